// qvlrx --batch on every platform: a generated blog of each of the 17 platforms behind the fake web is
// backed up unattended into a CHM, with every article page cut from its article and every image in place.
#include "app/batchmode.h"
#include "cerspblog.h"
#include "chinaunixblog.h"
#include "cnblogsblog.h"
#include "csdnblog.h"
#include "fakeweb.h"
#include "health39blog.h"
#include "ifengblog.h"
#include "listpageblogs.h"
#include "model/platformprofile.h"
#include "neteaseblog.h"
#include "qzoneblog.h"
#include "sinablog.h"
#include "support/chmnames.h"
#include "support/files.h"
#include "support/proxyweb.h"
#include "text/safefilename.h"
#include "ui/platformchoices.h"
#include "yaolanblog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

// What a generated blog tells the test: the name and address the user gives the new-task dialog, the
// task folder's name once discovery is done, and how many rows discovery must find.
struct InstalledBlog
{
    QString typedName;    // what the user types as the name
    QString typedAddress; // only for the platforms whose address is typed
    bool addressGiven = false; // typedAddress goes into auto.cfg, whatever the dialog would build
    QString generatorAddress;
    QString taskName;
    int rows = 0;
    int images = 0; // images the generator placed in the articles (at least)
};

struct PlatformCase
{
    int code;
    bool comments;
    std::function<InstalledBlog(FakeWeb::Server&)> install;
    const char* layout = nullptr; // a layout the site took on later
};

InstalledBlog FromGenerated(const QString& name, const FakeWeb::GeneratedBlog& blog, bool typed = false)
{
    InstalledBlog result;
    result.typedName = name;
    result.typedAddress = typed ? blog.address : QString();
    result.generatorAddress = blog.address;
    result.taskName = blog.taskName;
    result.rows = int(blog.articles.size());
    result.images = int(blog.imageAddresses.size());
    return result;
}

template <class Install>
std::function<InstalledBlog(FakeWeb::Server&)> ListPageCase(QString name, Install install, bool typed = false)
{
    return [=](FakeWeb::Server& server) {
        FakeWeb::BlogSize size;
        size.name = name;
        size.articles = 9;
        size.perPage = 4;
        return FromGenerated(name, install(server, size), typed);
    };
}

// images: how many of the nine articles show an image.
template <class Blog> std::function<InstalledBlog(FakeWeb::Server&)> ClassCase(QString name, int images)
{
    return [=](FakeWeb::Server& server) {
        const Blog blog(name, 9, 2);
        blog.install(server);
        InstalledBlog result;
        result.typedName = name;
        result.generatorAddress = blog.address();
        result.taskName = name;
        result.rows = int(blog.listedArticles().size());
        result.images = images;
        return result;
    };
}

std::function<InstalledBlog(FakeWeb::Server&)> SinaCase(bool saved)
{
    return [=](FakeWeb::Server& server) {
        // Large enough for a CHM whose file listing takes several chunks.
        const FakeWeb::SinaBlogOptions options{.articles = 40,
                                               .categories = 2,
                                               .uncategorised = 3,
                                               .favourites = saved ? 0 : 2,
                                               .images = 2,
                                               .comments = 2,
                                               .saved = saved};
        const FakeWeb::SinaBlog blog(options);
        blog.install(server);
        InstalledBlog result;
        result.typedName = QStringLiteral("我的/新浪?博客");
        result.typedAddress = blog.firstPageAddress();
        result.generatorAddress = blog.firstPageAddress();
        result.taskName = Text::SafeFileName(result.typedName);
        result.rows = int(blog.expectedRows().size());
        result.images = options.articles * options.images;
        return result;
    };
}

// NetEase with the article pages of the site's later layout.
std::function<InstalledBlog(FakeWeb::Server&)> NeteaseLaterCase(QString name)
{
    return [=](FakeWeb::Server& server) {
        FakeWeb::NeteaseBlog blog(name, 9, 2);
        blog.serveLaterLayout();
        blog.install(server);
        InstalledBlog result;
        result.typedName = name;
        result.generatorAddress = blog.address();
        result.taskName = name;
        result.rows = int(blog.listedArticles().size());
        result.images = 2;
        return result;
    };
}

const QList<PlatformCase>& Cases()
{
    using namespace FakeWeb;
    static const QList<PlatformCase> cases = {
        {Model::Sina, true, SinaCase(false)},
        // List pages as a browser saves them: titles only in the anchors' text.
        {Model::Sina, true, SinaCase(true), "saved list pages"},
        {Model::Baidu, false, ListPageCase(QStringLiteral("lanxin"), installBaiduBlog)},
        {Model::Hexun, false, ListPageCase(QStringLiteral("hexunfan"), installHexunBlog)},
        {Model::Netease, false, ClassCase<NeteaseBlog>(QStringLiteral("wangyi"), 2)},
        {Model::Netease, false, NeteaseLaterCase(QStringLiteral("wangyi2015")), "2015 pages"},
        {Model::Sohu, false, ListPageCase(QStringLiteral("souhu"), installSohuBlog)},
        {Model::Ifeng, false, ListPageCase(QStringLiteral("fenghuang"), installIfengBlog, true)},
        {Model::Qzone, false, ClassCase<QzoneBlog>(QStringLiteral("10001"), 2)},
        {Model::Health39, false, ClassCase<Health39Blog>(QStringLiteral("jiankang"), 2)},
        {Model::Tianya, false, ListPageCase(QStringLiteral("4321987"), installTianyaBlog)},
        {Model::Yaolan, false, ListPageCase(QStringLiteral("yaolanma"), installYaolanBlog)},
        {Model::Csdn, false, ListPageCase(QStringLiteral("csdnfan"), installCsdnBlog)},
        {Model::ChinaUnix, false, ListPageCase(QStringLiteral("2345678"), installChinaUnixBlog)},
        {Model::Cersp, false, ListPageCase(QStringLiteral("876543"), installCerspBlog)},
        {Model::CerspEblog, false, ListPageCase(QStringLiteral("jiaoyu"), installCerspEblogBlog, true)},
        {Model::Cnblogs, false, ClassCase<CnblogsBlog>(QStringLiteral("bokeyuan"), 4)},
        {Model::Tianya2, false, ListPageCase(QStringLiteral("tianyake"), installTianya2Blog)},
        {Model::Cto51, false, ListPageCase(QStringLiteral("wuyao"), installCto51Blog)},
        // The site's later article pages, whose markers the profile no longer finds.
        {Model::Cto51, false, ListPageCase(QStringLiteral("wuyao2022"), installCto51LaterBlog), "2022 pages"},
        {Model::Csdn, false,
         [](Server& server) {
             InstalledBlog blog =
                 ListPageCase(QStringLiteral("csdnnow"), installCsdnCategoryBlog, true)(server);
             blog.addressGiven = true;
             return blog;
         },
         "category page"},
        {Model::Cnblogs, false,
         [](Server& server) {
             const CnblogsBlog blog = CnblogsBlog::laterLayout(QStringLiteral("bokenow"), 25, 2);
             blog.install(server);
             InstalledBlog result;
             result.typedName = QStringLiteral("bokenow");
             result.generatorAddress = blog.address();
             result.taskName = result.typedName;
             result.rows = int(blog.listedArticles().size());
             result.images = 7;
             return result;
         },
         "posts at /p/"},
    };
    return cases;
}

using TestSupport::ReadPage;

} // namespace

class TestAllPlatforms : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_web;

private Q_SLOTS:
    void init() { m_web.clear(); }

    void backsUpEveryPlatform_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < Cases().size(); ++i) {
            const int code = Cases().at(i).code;
            const char* layout = Cases().at(i).layout;
            QTest::newRow(qPrintable(
                Ui::PlatformChoices()[size_t(code)].item +
                (layout != nullptr ? QStringLiteral(", ") + QString::fromUtf8(layout) : QString())))
                << i;
        }
    }
    void backsUpEveryPlatform()
    {
        QFETCH(int, index);
        const PlatformCase& platform = Cases().at(index);
        const InstalledBlog blog = platform.install(m_web);

        // What the new-task dialog hands over: the typed address, or the one it builds from the name.
        const auto& choice = Ui::PlatformChoices()[size_t(platform.code)];
        QString name = blog.typedName;
        QString address;
        if (blog.addressGiven) {
            address = blog.typedAddress;
        } else if (choice.typedAddress) {
            name = Text::SafeFileName(name);
            address = blog.typedAddress;
        } else {
            address = Ui::GeneratedAddress(platform.code, name);
            QCOMPARE(address, blog.generatorAddress);
        }

        // The comments switch is on for every platform: only Sina has comments, the others ignore it.
        QTemporaryDir folder;
        TestSupport::WriteAutoConfig(folder.path(), {QString::number(platform.code), name, address,
                                                     QStringLiteral("True"), QStringLiteral("True")});
        QNetworkAccessManager network;
        QCOMPARE(App::RunBatch(folder.path(), network), 0);

        QFile chm(folder.filePath(blog.taskName + QStringLiteral(".chm")));
        QVERIFY(chm.open(QIODevice::ReadOnly));
        const QStringList packed = TestSupport::ChmListedNames(chm.readAll());
        const QDir task(folder.filePath(blog.taskName));
        // Every local link of the home page reaches a file, and the CHM holds both index pages.
        const QString home = ReadPage(task.filePath(QStringLiteral("index.html")));
        const QRegularExpression homeLink(QStringLiteral("href=([^ >]+)"));
        for (auto match = homeLink.globalMatch(home); match.hasNext();) {
            const QString link = match.next().captured(1);
            QVERIFY2(link.startsWith(QStringLiteral("http://")) || task.exists(link), qPrintable(link));
        }
        QVERIFY(packed.contains(QStringLiteral("/index.html")));
        QVERIFY(packed.contains(QStringLiteral("/all.htm")));

        // all.htm links every row's page in its category folder; the page holds the body cut from the
        // article, every image it shows lies beside it, and the CHM holds page and images.
        const QString all = ReadPage(task.filePath(QStringLiteral("all.htm")));
        const QRegularExpression row(QStringLiteral("<A target=_blank href=([^>]+)>"));
        const QRegularExpression source(QStringLiteral("src=(?:\"([^\"]*)\"|'([^']*)'|([^\\s>\"']+))"));
        const QString fallback = QStringLiteral("博文已经删除或访问受限或者下载超时");
        int rows = 0;
        int images = 0;
        for (auto match = row.globalMatch(all); match.hasNext(); ++rows) {
            const QString link = match.next().captured(1);
            QVERIFY2(link.contains(u'/'), qPrintable(link));
            const QString path = task.filePath(link);
            QVERIFY2(QFileInfo::exists(path), qPrintable(link));
            QVERIFY2(packed.contains(u'/' + link), qPrintable(link + QStringLiteral(" is not in the CHM")));
            const QString page = ReadPage(path);
            QVERIFY2(!page.contains(fallback), qPrintable(link + QStringLiteral(" is the fallback page")));
            QVERIFY2(page.contains(QStringLiteral("原文地址: ")), qPrintable(link));
            // Only the page's own title: nothing of the web page around the body.
            QVERIFY2(page.count(QStringLiteral("<title>"), Qt::CaseInsensitive) == 1, qPrintable(link));
            for (const QString& chrome : {QStringLiteral("著作权归作者所有"), QStringLiteral("举报"),
                                          QStringLiteral("字号"), QStringLiteral("扫一扫")}) {
                QVERIFY2(!page.contains(chrome), qPrintable(link + QStringLiteral(": ") + chrome));
            }
            const QString folderName = link.left(link.lastIndexOf(u'/') + 1);
            for (auto image = source.globalMatch(page); image.hasNext(); ++images) {
                const auto found = image.next();
                const QString name = found.hasCaptured(1)   ? found.captured(1)
                                     : found.hasCaptured(2) ? found.captured(2)
                                                            : found.captured(3);
                QVERIFY2(!name.contains(QStringLiteral("://")),
                         qPrintable(link + QStringLiteral(": ") + name));
                QVERIFY2(task.exists(folderName + name), qPrintable(link + QStringLiteral(": ") + name));
                QVERIFY2(packed.contains(u'/' + folderName + name), qPrintable(name));
            }
        }
        QCOMPARE(rows, blog.rows);
        QVERIFY(blog.images > 0);
        QVERIFY2(images >= blog.images,
                 qPrintable(QStringLiteral("%1 of %2 images").arg(images).arg(blog.images)));

        // Run again, the backup finds every page saved and fetches none.
        const QDateTime before = QFileInfo(task.filePath(QStringLiteral("all.htm"))).lastModified();
        QStringList pages;
        for (auto match = row.globalMatch(all); match.hasNext();) {
            pages.append(task.filePath(match.next().captured(1)));
        }
        QHash<QString, QByteArray> saved;
        for (const QString& page : pages) {
            saved.insert(page, TestSupport::ReadBytes(page));
        }
        QCOMPARE(App::RunBatch(folder.path(), network), 0);
        QVERIFY(QFileInfo(task.filePath(QStringLiteral("all.htm"))).lastModified() >= before);
        for (const QString& page : pages) {
            QVERIFY2(QFileInfo(page).lastModified() < before.addMSecs(1), qPrintable(page));
            QCOMPARE(TestSupport::ReadBytes(page), saved.value(page));
        }
    }
};

QTEST_GUILESS_MAIN(TestAllPlatforms)
#include "test_allplatforms.moc"
