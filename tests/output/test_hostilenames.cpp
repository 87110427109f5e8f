// A blog whose categories, titles, links and image addresses try to lead the program out of its folder:
// downloading, fetching images, writing index pages, converting to text and to Markdown, renaming and
// packing must leave every file inside the program folder, read no local file and request nothing but the
// fake web.

#include "assets/assetfetcher.h"
#include "model/runstate.h"
#include "output/chmpacker.h"
#include "output/epubwriter.h"
#include "output/markdownexport.h"
#include "output/renamer.h"
#include "output/txtconverter.h"
#include "render/articlepage.h"
#include "render/downloaddriver.h"
#include "render/downloadfixture.h"
#include "support/chmnames.h"
#include "support/fakeui.h"
#include "support/proxyweb.h"
#include "support/wait.h"
#include "text/containedpath.h"
#include "text/failure.h"

#include <QDirIterator>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Nul = QString(QChar(u'\0'));

FakeWeb::Response Page(const QString& html)
{
    FakeWeb::Response response;
    response.body = html.toUtf8();
    response.headers = {{"Content-Type", "text/html; charset=utf-8"}};
    return response;
}

// Every article names its images the hostile ways a page can, and links to files far outside.
QString HostileArticle(const QString& path)
{
    const QString images =
        QStringLiteral("<img src=\"http://img.example.com/../../../../../../etc/escape.png\">"
                       "<img src=\"http://img.example.com/%2e%2e/%2e%2e/%2e%2e/escape2.png\">"
                       "<img src=\"file:///etc/passwd\"><img src=\"file:///http/escape3.png\">"
                       "<img src=\"/etc/hostname\"><img src=\"../../../../../../../../etc/passwd\">"
                       "<img src=\"data:image/png;base64,iVBORw0KGgo=\">");
    return QStringLiteral("<html><head><title>x</title></head><body><div><!-- 正文开始 --><p>") + path +
           QStringLiteral("的正文</p>") + images +
           QStringLiteral("<a href=\"../../../../../../../../etc/passwd\">p</a>"
                          "<a href=\"file:///etc/passwd\">q</a><!-- 正文结束 --></div></body></html>");
}

QStringList FilesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.append(it.next());
    }
    return files;
}

} // namespace

class TestHostileNames : public QObject
{
    Q_OBJECT

private:
    TestSupport::ProxyWeb m_web;

private slots:
    void pathsStayInsideTheProgramFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("inside");
        QTest::newRow("plain") << QStringLiteral("p/blog/a.html") << true;
        QTest::newRow("folder itself") << QStringLiteral("p") << true;
        QTest::newRow("dots inside") << QStringLiteral("p/blog/../other/./a.html") << true;
        QTest::newRow("up") << QStringLiteral("p/../a.html") << false;
        QTest::newRow("up deep") << QStringLiteral("p/blog/../../../a.html") << false;
        QTest::newRow("sibling prefix") << QStringLiteral("p2/a.html") << false;
        QTest::newRow("absolute") << QStringLiteral("/etc/passwd") << false;
        QTest::newRow("nul") << QStringLiteral("p/a") + Nul + QStringLiteral("/../../x") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void pathsStayInsideTheProgramFolder()
    {
        QFETCH(QString, path);
        QFETCH(bool, inside);
        QTemporaryDir parent;
        const QString folder = parent.path() + QStringLiteral("/p");
        const QString full = path.startsWith(u'/') || path.isEmpty() ? path : parent.path() + u'/' + path;
        QCOMPARE(Text::LiesInside(folder, full), inside);
        if (!inside) {
            QVERIFY_THROWS_EXCEPTION(Text::Failure, Text::RequireInside(folder, full));
        }
    }

    void hostileBlogWritesNothingOutside()
    {
        QTemporaryDir parent;
        const QString programFolder = parent.path() + QStringLiteral("/程序");
        QVERIFY(QDir().mkpath(programFolder));
        const QString escapeMark = parent.path() + QStringLiteral("/outside-before");
        QVERIFY(QDir().mkpath(escapeMark));

        m_web.clear();
        m_web.addHandler([](const FakeWeb::Request& request) -> std::optional<FakeWeb::Response> {
            if (request.host == QStringLiteral("blog.sina.com.cn")) {
                return Page(HostileArticle(request.path));
            }
            FakeWeb::Response image;
            image.body = QByteArray("\x89PNG\r\n\x1a\n", 8) + request.path.toUtf8();
            image.headers = {{"Content-Type", "image/png"}};
            return image;
        });

        FakeUserInterface ui;
        QNetworkAccessManager network;
        Model::RunState state(programFolder, ui, &network);
        state.http.timeoutMs = 3000;
        DownloadFixture::MakeSinaTask(state, 0);
        state.task.FetchImages = true;
        const QStringList categories{QStringLiteral("../逃逸"),
                                     QStringLiteral("/etc/absolute"),
                                     QStringLiteral("a/../../b"),
                                     QStringLiteral(".."),
                                     QStringLiteral("x") + Nul + QStringLiteral("/../../y"),
                                     QStringLiteral("...."),
                                     QStringLiteral("..\\..\\win")};
        const QStringList titles{
            QStringLiteral("../../标题"), QStringLiteral("/tmp/abs"),
            QStringLiteral(".."),         QStringLiteral("t") + Nul + QStringLiteral("/.."),
            QStringLiteral("...."),       QStringLiteral("..\\..\\x"),
            QStringLiteral("正常")};
        const QStringList links{QStringLiteral("../../../../逃逸1.html"),
                                QStringLiteral("/abs/2.html"),
                                QStringLiteral("blog_3.html"),
                                QStringLiteral("%2e%2e%2f%2e%2e%2fblog_4.html"),
                                QStringLiteral("blog_5") + Nul + QStringLiteral("/../../6.html"),
                                QStringLiteral("file:///etc/passwd"),
                                QStringLiteral("...."),
                                QStringLiteral("blog_8.html")};
        for (qsizetype n = 0; n < links.size(); ++n) {
            state.addArticleRow(titles.at(n % titles.size()), categories.at(n % categories.size()),
                                links.at(n), QStringLiteral("../../2012-04-01 10:00"));
        }

        Assets::AssetFetcher fetcher(state);
        QSignalSpy done(&fetcher, &Assets::AssetFetcher::allDone);
        TestSupport::Wait(Render::DownloadDriver(state));
        QVERIFY(done.count() > 0 || done.wait(30000));
        TestSupport::Wait(Output::ConvertToText(state));
        QVERIFY(TestSupport::Wait(Output::ExportMarkdown(state)));
        QVERIFY(TestSupport::Wait(Output::PackEpub(state)));
        Output::HelpCompilerSettings compiler;
        compiler.silenceLimitMs = 60000;
        TestSupport::Wait(Output::PackChm(state, compiler));
        TestSupport::Wait(Output::RenamePagesToTitles(state));

        QStringList outside;
        for (const QString& file : FilesUnder(parent.path())) {
            if (file != escapeMark && !Text::LiesInside(programFolder, file)) {
                outside.append(file);
            }
        }
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join(u'\n')));

        // Only the fake web's hosts over http were asked for, and no local file found its way in.
        for (const QString& line : m_web.requestLog()) {
            QVERIFY2(line.startsWith(QStringLiteral("GET http://")), qPrintable(line));
        }
        QVERIFY(m_web.requestCount(QStringLiteral("http://img.example.com/")) > 0);
        QFile book(programFolder + QStringLiteral("/blog.chm"));
        QVERIFY(book.open(QIODevice::ReadOnly));
        const QStringList packed = TestSupport::ChmListedNames(book.readAll());
        QVERIFY(packed.contains(QStringLiteral("/index.html")));
        for (const QString& name : packed) {
            QVERIFY2(!name.contains(QStringLiteral("etc/")) && !name.contains(QStringLiteral("..")),
                     qPrintable(name));
        }
        for (const QString& file : FilesUnder(programFolder)) {
            QFile written(file);
            if (QFileInfo(file).isFile() && written.open(QIODevice::ReadOnly)) {
                QVERIFY2(!written.readAll().contains("root:x:0:0"), qPrintable(file));
            }
        }
    }

    // Every name from a blog is made a safe file name before it becomes a path; the task name is only
    // checked where a task begins. One that got past those checks reaches the writes as it is, and each
    // write refuses a path outside the program folder: no page, folder or image lands there.
    void taskNameLeadingOutsideIsRefused_data()
    {
        QTest::addColumn<QString>("taskName");
        QTest::newRow("parent") << QStringLiteral("..");
        QTest::newRow("sibling") << QStringLiteral("../逃逸");
        QTest::newRow("down and up") << QStringLiteral("a/../../逃逸");
    }
    void taskNameLeadingOutsideIsRefused()
    {
        QFETCH(QString, taskName);
        QTemporaryDir parent;
        const QString programFolder = parent.path() + QStringLiteral("/程序");
        QVERIFY(QDir().mkpath(programFolder));
        m_web.clear();
        m_web.addHandler([](const FakeWeb::Request&) -> std::optional<FakeWeb::Response> {
            FakeWeb::Response image;
            image.body = QByteArray("\x89PNG\r\n\x1a\n", 8);
            image.headers = {{"Content-Type", "image/png"}};
            return image;
        });

        FakeUserInterface ui;
        QNetworkAccessManager network;
        Model::RunState state(programFolder, ui, &network);
        state.http.timeoutMs = 3000;
        DownloadFixture::MakeSinaTask(state, 1);
        state.task.TaskName = taskName;

        QVERIFY_THROWS_EXCEPTION(Text::Failure,
                                 TestSupport::Wait(Render::SaveArticlePage(
                                     state, HostileArticle(QStringLiteral("/s/blog_1.html")), 1)));
        Assets::AssetFetcher fetcher(state);
        QSignalSpy done(&fetcher, &Assets::AssetFetcher::allDone);
        state.assets.AddAssetRow(Model::AssetQueue::ImageKind, QStringLiteral("http://img.example.com/a.png"),
                                 QStringLiteral("随笔"), false);
        Assets::StartAssetDownloads(state);
        QVERIFY(done.count() > 0 || done.wait(10000));
        QVERIFY2(state.assets.result(1).contains(QStringLiteral("拒绝写入")),
                 qPrintable(state.assets.result(1)));

        QStringList outside;
        for (const QString& file : FilesUnder(parent.path())) {
            if (!Text::LiesInside(programFolder, file)) {
                outside.append(file);
            }
        }
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestHostileNames)
#include "test_hostilenames.moc"
