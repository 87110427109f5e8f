// seedcorpus DIR: writes the seed corpus of every fuzz target into DIR/<target>/, from a search and an
// article download of a generated blog of every platform behind the fake web (in this process).
#include "cerspblog.h"
#include "chinaunixblog.h"
#include "cnblogsblog.h"
#include "csdnblog.h"
#include "discovery/discoverydriver.h"
#include "fakeweb.h"
#include "fuzzsupport.h"
#include "health39blog.h"
#include "ifengblog.h"
#include "listpageblogs.h"
#include "model/platformprofile.h"
#include "model/runstate.h"
#include "model/taskfiles.h"
#include "neteaseblog.h"
#include "qzoneblog.h"
#include "render/articlepage.h"
#include "sinablog.h"
#include "text/charset.h"
#include "text/pagefetch.h"
#include "text/recordfile.h"
#include "text/textprimitives.h"
#include "yaolanblog.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QNetworkAccessManager>
#include <QSet>
#include <QTemporaryDir>

#include <QCoro/QCoroTask>

#include <cstdio>
#include <functional>

namespace {

struct Blog
{
    int code;
    QString name;    // the task name
    QString address; // the blog address the finder is given
};

struct Platform
{
    int code;
    std::function<Blog(FakeWeb::Server&)> install;
};

template <class Install>
std::function<Blog(FakeWeb::Server&)> ListPageBlog(int code, QString name, Install install)
{
    return [=](FakeWeb::Server& server) {
        FakeWeb::BlogSize size;
        size.name = name;
        size.articles = 7;
        size.perPage = 3;
        return Blog{code, name, install(server, size).address};
    };
}

template <class Generated> std::function<Blog(FakeWeb::Server&)> ClassBlog(int code, QString name)
{
    return [=](FakeWeb::Server& server) {
        const Generated blog(name, 7, 2);
        blog.install(server);
        return Blog{code, name, blog.address()};
    };
}

const QList<Platform>& Platforms()
{
    using namespace FakeWeb;
    static const QList<Platform> platforms = {
        {Model::Sina,
         [](Server& server) {
             const SinaBlog blog(SinaBlogOptions{.articles = 6,
                                                 .categories = 2,
                                                 .uncategorised = 1,
                                                 .favourites = 1,
                                                 .images = 1,
                                                 .comments = 2});
             blog.install(server);
             return Blog{Model::Sina, QStringLiteral("sina"), blog.firstPageAddress()};
         }},
        {Model::Baidu, ListPageBlog(Model::Baidu, QStringLiteral("lanxin"), installBaiduBlog)},
        {Model::Hexun, ListPageBlog(Model::Hexun, QStringLiteral("hexunfan"), installHexunBlog)},
        {Model::Netease, ClassBlog<NeteaseBlog>(Model::Netease, QStringLiteral("wangyi"))},
        {Model::Sohu, ListPageBlog(Model::Sohu, QStringLiteral("souhu"), installSohuBlog)},
        {Model::Ifeng, ListPageBlog(Model::Ifeng, QStringLiteral("fenghuang"), installIfengBlog)},
        {Model::Qzone, ClassBlog<QzoneBlog>(Model::Qzone, QStringLiteral("10001"))},
        {Model::Health39, ClassBlog<Health39Blog>(Model::Health39, QStringLiteral("jiankang"))},
        {Model::Tianya, ListPageBlog(Model::Tianya, QStringLiteral("4321987"), installTianyaBlog)},
        {Model::Yaolan, ListPageBlog(Model::Yaolan, QStringLiteral("yaolanma"), installYaolanBlog)},
        {Model::Csdn, ListPageBlog(Model::Csdn, QStringLiteral("csdnfan"), installCsdnBlog)},
        {Model::ChinaUnix, ListPageBlog(Model::ChinaUnix, QStringLiteral("2345678"), installChinaUnixBlog)},
        {Model::Cersp, ListPageBlog(Model::Cersp, QStringLiteral("876543"), installCerspBlog)},
        {Model::CerspEblog, ListPageBlog(Model::CerspEblog, QStringLiteral("jiaoyu"), installCerspEblogBlog)},
        {Model::Cnblogs, ClassBlog<CnblogsBlog>(Model::Cnblogs, QStringLiteral("bokeyuan"))},
        {Model::Tianya2, ListPageBlog(Model::Tianya2, QStringLiteral("tianyake"), installTianya2Blog)},
        {Model::Cto51, ListPageBlog(Model::Cto51, QStringLiteral("wuyao"), installCto51Blog)},
    };
    return platforms;
}

class Corpus
{
public:
    explicit Corpus(QString root) : m_root(std::move(root)) {}

    // Files are named after their content, so the same seed is written once.
    void add(const QString& target, const QByteArray& bytes)
    {
        QDir dir(m_root);
        dir.mkpath(target);
        const QString name =
            QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
        QFile file(dir.filePath(target + u'/' + name));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(bytes);
            ++m_count;
        }
    }
    int count() const { return m_count; }

private:
    QString m_root;
    int m_count = 0;
};

QByteArray Joined(const QList<QByteArray>& pages)
{
    return pages.join(Fuzz::PageBreak);
}

bool IsImage(const QByteArray& body)
{
    return body.startsWith("GIF8") || body.startsWith("\x89PNG") || body.startsWith("\xff\xd8");
}

// The bodies of the requests the server saw from index `from` on, fetched again, in order.
QList<QByteArray> BodiesSince(FakeWeb::Server& server, Model::RunState& state, qsizetype from)
{
    QList<QByteArray> bodies;
    const QList<FakeWeb::Request> requests = server.requests();
    for (qsizetype i = from; i < requests.size(); ++i) {
        try {
            const Text::HttpAnswer answer = Fuzz::Wait(Text::FetchAnswer(state.http, requests.at(i).url));
            bodies.append(answer.status == 200 ? answer.body : QByteArray());
        } catch (const std::exception&) {
            bodies.append(QByteArray());
        }
    }
    return bodies;
}

void SeedPlatform(const Platform& platform, Corpus& corpus)
{
    FakeWeb::Server server;
    if (!server.listen()) {
        qFatal("seedcorpus: the fake web cannot listen");
    }
    FakeWeb::useAsProxy(server);
    const Blog blog = platform.install(server);
    QTemporaryDir folder;
    Fuzz::QuietUserInterface ui;
    QNetworkAccessManager network;
    Model::RunState state(folder.path(), ui, &network);
    state.http.untilOkPauseMs = 0;
    state.task.PlatformCode = blog.code;
    state.task.TaskName = blog.name;
    state.task.BlogAddress = blog.address;
    state.task.FetchImages = true;
    state.task.FetchComments = blog.code == Model::Sina;
    const char code = char(blog.code);

    // The search: its pages in the order the finder asked for them.
    try {
        Fuzz::Wait(Discovery::Finders()[size_t(blog.code)](state, blog.address, std::nullopt));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "seedcorpus: platform %d: %s\n", blog.code, failure.what());
    }
    const QList<QByteArray> searchPages = BodiesSince(server, state, 0);
    corpus.add(QStringLiteral("finders"), code + Joined(searchPages));
    for (const QByteArray& page : searchPages) {
        if (!page.isEmpty() && !IsImage(page)) {
            corpus.add(QStringLiteral("listpages"), page);
        }
    }

    // The task file of the rows found, as 导入 and a resumed search read it.
    corpus.add(QStringLiteral("taskfile"), Model::TaskFileText(state).toUtf8());
    corpus.add(
        QStringLiteral("autoconfig"),
        QStringLiteral("<blog>%1</blog><name>%2</name><href>%3</href><pic>True</pic><cmt>False</cmt>\r\n")
            .arg(blog.code)
            .arg(blog.name, blog.address)
            .toUtf8());
    corpus.add(QStringLiteral("cookiefile"),
               QByteArray("# Netscape HTTP Cookie File\r\n\r\n.sina.com.cn\tTRUE\t/\tFALSE\t0\tSUB\tx\r\n"
                          "#HttpOnly_blog.sina.com.cn\tFALSE\t/s/\tTRUE\t2000000000\tSUP\ty\r\n"
                          ".com.cn\tTRUE\t/\tFALSE\t0\tWIDE\tz\n"));
    const QString taskName = state.task.TaskName;
    state.task.TaskName = QStringLiteral("task");
    corpus.add(
        QStringLiteral("checkpoint"),
        code +
            Joined({QStringLiteral("<blog>%1</blog><name>task</name><page>2</page>").arg(blog.code).toUtf8(),
                    Model::TaskFileText(state).toUtf8()}));
    state.task.TaskName = taskName;

    // The first articles: the page as fetched, then whatever assembling it asks the web for.
    for (int row = 1; row <= std::min(3, state.articles.articleCount()); ++row) {
        const qsizetype start = server.requests().size();
        try {
            const Text::HttpAnswer answer =
                Fuzz::Wait(Text::FetchAnswer(state.http, state.articleFetchAddress(row)));
            const QString page = Text::DecodeBytes(answer.body, state.profile().Charset);
            const qsizetype assembly = server.requests().size();
            Fuzz::Wait(Render::SaveArticlePage(state, page, row));
            const QList<QByteArray> later = BodiesSince(server, state, assembly);
            const QByteArray rowLine = (state.articles.title(row) + u'\t' + state.articles.category(row) +
                                        u'\t' + state.articles.link(row) + u'\t' + state.articles.date(row))
                                           .toUtf8();
            QList<QByteArray> pages{rowLine, answer.body};
            pages.append(later);
            corpus.add(QStringLiteral("articlepage"),
                       code + QByteArray(1, state.task.FetchComments ? 3 : 1) + Joined(pages));
            corpus.add(QStringLiteral("pagetext"), answer.body);
            corpus.add(QStringLiteral("xhtmlcleaner"), answer.body);
            corpus.add(QStringLiteral("names"), state.articles.title(row).toUtf8());
            corpus.add(QStringLiteral("names"), state.articles.category(row).toUtf8());
            for (const QByteArray& body : later) {
                if (!body.isEmpty() && !IsImage(body)) {
                    corpus.add(QStringLiteral("commentpage"), body);
                }
            }
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "seedcorpus: platform %d row %d: %s\n", blog.code, row, failure.what());
        }
        Q_UNUSED(start)
    }

    // The pages as written: the converter's and the book's input, and the record files beside them.
    QDirIterator written(state.taskFolder(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (written.hasNext()) {
        QFile file(written.next());
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray bytes = file.readAll();
        if (file.fileName().endsWith(QStringLiteral(".html")) ||
            file.fileName().endsWith(QStringLiteral(".htm"))) {
            corpus.add(QStringLiteral("pagetext"), bytes);
            corpus.add(QStringLiteral("xhtmlcleaner"), bytes);
        } else if (QFileInfo(file.fileName()).fileName().startsWith(QStringLiteral(".qvlrx-"))) {
            corpus.add(QStringLiteral("recordfile"), bytes);
        }
    }
}

// A compiled help file's header with a two-chunk listing whose first chunk is named wrongly.
QByteArray SmallHelpFile()
{
    QByteArray file(0x58 + 0x54 + 2 * 0x20, '\0');
    const auto put = [&file](int at, quint64 value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            file[at + i] = char((value >> (8 * i)) & 0xff);
        }
    };
    file.replace(0, 4, "ITSF");
    put(0x48, 0x58, 8);
    put(0x50, 0x54 + 2 * 0x20, 8);
    const int dir = 0x58;
    file.replace(dir, 4, "ITSP");
    put(dir + 0x08, 0x54, 4);
    put(dir + 0x10, 0x20, 4);
    put(dir + 0x20, 1, 4);
    put(dir + 0x2c, 2, 4);
    file.replace(dir + 0x54, 4, "PMGL");
    put(dir + 0x54 + 0x0c, 0xffffffff, 4);
    file.replace(dir + 0x74, 4, "PMGL");
    put(dir + 0x74 + 0x0c, 0, 4);
    return file;
}

void SeedSmallReaders(Corpus& corpus)
{
    corpus.add(QStringLiteral("chmlisting"), SmallHelpFile());
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("records"));
    Text::AppendRecordLine(path, {Text::EscapeRecordField(QStringLiteral("http://a.example/1.jpg")),
                                  Text::EscapeRecordField(QStringLiteral("类别/图 1\t%.jpg"))});
    Text::AppendRecordLine(path, {"ok", Text::EscapeRecordField(QStringLiteral("HTTP 500\r\n"))});
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        corpus.add(QStringLiteral("recordfile"), bytes);
        corpus.add(QStringLiteral("recordfile"), bytes.left(bytes.size() - 3));
    }
    for (const char* text : {"\\u4e2d\\u6587 \\u00", "a/b\\c:..d?.", "&nbsp;..&#x4E2D;", ". ."}) {
        corpus.add(QStringLiteral("names"), QByteArray(text));
    }
    corpus.add(QStringLiteral("commentpage"),
               QByteArray("var data={\"html\":\"<li class=\\\"SG_j_linedot\\\">\\u8bc4\\u8bba<\\/li>\"};"));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: seedcorpus DIR\n");
        return 2;
    }
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    Corpus corpus(QString::fromLocal8Bit(argv[1]));
    for (const Platform& platform : Platforms()) {
        SeedPlatform(platform, corpus);
    }
    SeedSmallReaders(corpus);
    std::printf("seedcorpus: %d seeds in %s\n", corpus.count(), argv[1]);
    return 0;
}
