// qvlrx --batch: the unattended backup of auto.cfg, from a generated Sina blog behind the fake web to a
// CHM with every image and comment page in place.
#include "app/batchmode.h"
#include "fakeweb.h"
#include "listpageblogs.h"
#include "sinablog.h"
#include "support/files.h"
#include "support/proxyweb.h"
#include "support/wait.h"
#include "text/pagefetch.h"
#include "text/safefilename.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(FakeWeb::Response)

namespace {

void WriteAutoConfig(const QString& folder, const QString& platform, const QString& address)
{
    TestSupport::WriteAutoConfig(folder, {platform, QStringLiteral("batchdemo"), address});
}

struct ProgramRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// The real program, copied into a program folder with auto.cfg for the blog (images on, comments off,
// and the further fields given), run with --batch and the further arguments through the fake web, which
// answers from this process meanwhile.
ProgramRun RunProgram(const QTemporaryDir& folder, quint16 proxyPort, const QString& platform,
                      const QString& name, const QString& address, const QStringList& arguments = {},
                      const QByteArray& moreFields = {})
{
    TestSupport::WriteAutoConfig(folder.path(),
                                 {platform, name, address, QStringLiteral("True"), QStringLiteral("False")});
    if (!moreFields.isEmpty()) {
        QFile config(folder.filePath(QStringLiteral("auto.cfg")));
        if (!config.open(QIODevice::Append) || config.write(moreFields) != moreFields.size()) {
            return {};
        }
    }
    const QString program = folder.filePath(QStringLiteral("qvlrx"));
    QFile::copy(QStringLiteral(QVLRX_EXECUTABLE), program);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("http_proxy"), QStringLiteral("http://127.0.0.1:%1").arg(proxyPort));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder.path());
    process.start(program, QStringList{QStringLiteral("--batch")} + arguments);
    ProgramRun run;
    if (!process.waitForStarted()) {
        return run;
    }
    QDeadlineTimer deadline(180'000);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        QTest::qWait(10);
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

class TestBatchMode : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_web;

private Q_SLOTS:
    void init() { m_web.clear(); }

    void backsUpASinaBlogCompletely()
    {
        const FakeWeb::SinaBlog blog(
            {.articles = 24, .categories = 3, .favourites = 2, .images = 2, .comments = 60});
        blog.install(m_web);

        QTemporaryDir folder;
        WriteAutoConfig(folder.path(), QStringLiteral("0"), blog.firstPageAddress());
        QNetworkAccessManager network;
        QCOMPARE(App::RunBatch(folder.path(), network), 0);

        const QString task = folder.filePath(QStringLiteral("batchdemo"));
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("batchdemo.chm"))));
        QVERIFY(QFile::exists(task + QStringLiteral("/index.html")));
        QVERIFY(QFile::exists(task + QStringLiteral("/all.htm")));
        // The project files are gone once the CHM is made.
        QVERIFY(!QFile::exists(task + QStringLiteral("/blog.hhp")));

        // Every article page is saved, and every image and comment link of it names a file beside it.
        int pages = 0;
        QDirIterator it(task, {QStringLiteral("blog_*.html")}, QDir::Files, QDirIterator::Subdirectories);
        const QRegularExpression source(QStringLiteral("src=\"([^\"]+)\""));
        const QRegularExpression comment(QStringLiteral("<a href=(http___[^>]+comment_[^>]+)>"));
        int images = 0;
        int comments = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            ++pages;
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            const QDir beside = QFileInfo(path).dir();
            for (auto match = source.globalMatch(text); match.hasNext(); ++images) {
                const QString name = match.next().captured(1);
                QVERIFY2(beside.exists(name), qPrintable(path + QStringLiteral(": ") + name));
            }
            for (auto match = comment.globalMatch(text); match.hasNext(); ++comments) {
                const QString name = match.next().captured(1);
                QVERIFY2(beside.exists(name), qPrintable(path + QStringLiteral(": ") + name));
            }
        }
        // Every row has its page: the 24 articles, and the 2 favourites again in the 博文收藏 folder.
        QCOMPARE(pages, 26);
        QVERIFY(images >= 48);
        QVERIFY(comments > 0);
    }

    // A blog whose posts only their author, logged in, may read: without the author's cookie file every
    // article is named as needing a login; with it (--cookies, which wins over auto.cfg's <cookies>) the
    // next run completes the backup. No cookie ever shows in the output or in a file of the backup.
    void backsUpPostsBehindTheAuthorsLogin()
    {
        const FakeWeb::SinaBlog blog({.articles = 6, .categories = 2, .images = 1, .login = 1});
        blog.install(m_web);
        QTemporaryDir elsewhere;
        const QString cookies = elsewhere.filePath(QStringLiteral("cookies.txt"));
        QByteArray cookie = blog.loginCookie().toLatin1();
        TestSupport::WriteBytes(cookies, "# Netscape HTTP Cookie File\r\n.sina.com.cn\tTRUE\t/\tFALSE\t0\t" +
                                             cookie.replace('=', '\t') + "\r\n");

        QTemporaryDir folder;
        const QString address = blog.firstPageAddress();
        const ProgramRun without =
            RunProgram(folder, m_web.port(), QStringLiteral("0"), QStringLiteral("mine"), address);
        QVERIFY2(without.exitCode == 5, qPrintable(without.out + without.err));
        const QString failed =
            QString::fromUtf8(TestSupport::ReadBytes(folder.filePath(QStringLiteral("mine/failed.txt"))));
        for (const FakeWeb::SinaArticle& article : blog.articles()) {
            const QString line = article.address() + QStringLiteral("\t需要登录：博文仅作者可见");
            QVERIFY2(without.out.contains(QStringLiteral("缺失\t") + line), qPrintable(without.out));
            QVERIFY2(failed.contains(line + u'\n'), qPrintable(failed));
        }

        const QByteArray missing = "<cookies>nothere.txt</cookies>\r\n";
        const ProgramRun unreadable = RunProgram(folder, m_web.port(), QStringLiteral("0"),
                                                 QStringLiteral("mine"), address, {}, missing);
        QCOMPARE(unreadable.exitCode, 2);
        QVERIFY2(unreadable.err.contains(folder.filePath(QStringLiteral("nothere.txt"))),
                 qPrintable(unreadable.err));

        const ProgramRun with = RunProgram(folder, m_web.port(), QStringLiteral("0"), QStringLiteral("mine"),
                                           address, {QStringLiteral("--cookies"), cookies}, missing);
        QVERIFY2(with.exitCode == 0, qPrintable(with.out + with.err));
        QVERIFY2(with.out.contains(QStringLiteral("使用你的登录")), qPrintable(with.out));
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("mine/failed.txt"))));

        const QByteArray secret = blog.loginCookie().section(u'=', 1).toLatin1();
        for (const ProgramRun& run : {without, unreadable, with}) {
            QVERIFY(!(run.out + run.err).contains(QString::fromLatin1(secret)));
        }
        QDirIterator files(folder.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            QVERIFY2(!TestSupport::ReadBytes(path).contains(secret), qPrintable(path));
        }
    }

    // A site that asks to wait (429 or 503 with Retry-After in seconds or as a date) is waited for, with
    // no request to it meanwhile and the status line saying how long, and backed up completely; one that
    // asks for ever ends the run within its bounds, naming why each article is missing.
    void waitsForASiteThatAsksToWait_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("leastGapMs");
        QTest::addColumn<int>("mostGapMs");
        QTest::newRow("burst, seconds") << QStringLiteral("429x5=5") << 0
                                        << QStringLiteral("网站要求稍候，5秒后继续") << 4500 << 9000;
        QTest::newRow("burst, date") << QStringLiteral("503x5=date+3") << 0 << QStringLiteral("网站要求稍候，")
                                     << 1000 << 6000;
        QTest::newRow("for ever") << QStringLiteral("429=0") << 5 << QStringLiteral("网站一直要求稍候") << 0
                                  << 0;
    }
    void waitsForASiteThatAsksToWait()
    {
        QFETCH(QString, fault);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QFETCH(int, leastGapMs);
        QFETCH(int, mostGapMs);
        const FakeWeb::SinaBlog blog({.articles = 12, .categories = 2, .images = 1, .comments = 0});
        blog.install(m_web);
        const QString articles = QStringLiteral("/s/blog_");
        FakeWeb::addFault(m_web, *FakeWeb::Fault::parse(fault + u'@' + articles));
        QElapsedTimer clock;
        clock.start();
        QList<qint64> asked;
        m_web.addFirstHandler([&](const FakeWeb::Request& request) -> std::optional<FakeWeb::Response> {
            if (request.path.startsWith(articles)) {
                asked.append(clock.elapsed());
            }
            return std::nullopt;
        });

        QTemporaryDir folder;
        const ProgramRun run = RunProgram(folder, m_web.port(), QStringLiteral("0"), QStringLiteral("polite"),
                                          blog.firstPageAddress());
        QVERIFY2(run.exitCode == exitCode, qPrintable(run.out + run.err));
        QVERIFY2(run.out.contains(said), qPrintable(run.out));
        if (exitCode == 0) {
            QVERIFY2(run.out.contains(QStringLiteral("保存12篇，失败0篇")), qPrintable(run.out));
            // The five slots asked at once; the next request waited for the site.
            QVERIFY(asked.size() > 5);
            const qint64 gap = asked.at(5) - asked.at(4);
            QVERIFY2(gap >= leastGapMs && gap <= mostGapMs, qPrintable(QString::number(gap)));
        } else {
            QCOMPARE(run.out.count(QStringLiteral("缺失\thttp")), 12);
            QVERIFY(asked.size() < 60);
        }
    }

    // --epub --markdown: the book of the same backup follows the CHM, and it is a valid EPUB; the Markdown
    // export holds every saved article.
    void packsTheEpubAfterTheChm()
    {
        const FakeWeb::SinaBlog blog(
            {.articles = 10, .categories = 2, .uncategorised = 2, .images = 1, .comments = 60});
        blog.install(m_web);

        QTemporaryDir folder;
        WriteAutoConfig(folder.path(), QStringLiteral("0"), blog.firstPageAddress());
        QNetworkAccessManager network;
        QCOMPARE(App::RunBatch(folder.path(), network, {.epub = true, .markdown = true}), 0);
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("batchdemo.chm"))));
        const QString epub = folder.filePath(QStringLiteral("batchdemo.epub"));
        QVERIFY(QFile::exists(epub));
        QVERIFY(!QFile::exists(epub + QStringLiteral(".part")));
        QSet<QString> pages;
        QDirIterator it(folder.filePath(QStringLiteral("batchdemo")), {QStringLiteral("blog_*.html")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            pages.insert(it.next());
        }
        QCOMPARE(QDir(folder.filePath(QStringLiteral("batchdemo-markdown")))
                     .entryList({QStringLiteral("*.md")}, QDir::Files)
                     .size(),
                 pages.size());

        const QString epubcheck = QStringLiteral("/usr/share/java/epubcheck.jar");
        if (!QFile::exists(epubcheck)) {
            QSKIP("epubcheck is not installed");
        }
        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(QStringLiteral("java"), {QStringLiteral("-jar"), epubcheck, epub});
        QVERIFY(check.waitForFinished(240000));
        const QString report = QString::fromLocal8Bit(check.readAll());
        QVERIFY2(check.exitCode() == 0 && !report.contains(QLatin1String("ERROR")), qPrintable(report));
    }

    // A list page that does not answer with a page breaks the search off: the backup of what was found
    // is packed, but the run says which list page failed and why, and counts the list as incomplete.
    void namesTheListPageThatBrokeTheSearchOff_data()
    {
        QTest::addColumn<FakeWeb::Response>("answer");
        QTest::addColumn<QString>("reason");
        QTest::newRow("500") << FakeWeb::Response{500, QByteArray("busy")}
                             << QStringLiteral("查找文章中断：服务器答复HTTP 500");
        QTest::newRow("reset") << FakeWeb::Response{200, {}, {}, 0, FakeWeb::Response::Mode::Reset}
                               << QStringLiteral("查找文章中断：请求失败");
    }
    void namesTheListPageThatBrokeTheSearchOff()
    {
        QFETCH(FakeWeb::Response, answer);
        QFETCH(QString, reason);
        const FakeWeb::GeneratedBlog blog =
            FakeWeb::installBaiduBlog(m_web, FakeWeb::BlogSize{QStringLiteral("lanxin"), 23, 10});
        const QString failing = QStringLiteral("http://hi.baidu.com/lanxin/blog/index/1");
        m_web.addRoute(failing, answer);

        QTemporaryDir folder;
        const ProgramRun run =
            RunProgram(folder, m_web.port(), QStringLiteral("1"), blog.taskName, blog.address);
        QVERIFY2(run.exitCode == 5, qPrintable(run.out + run.err));
        QVERIFY2(run.out.contains(QStringLiteral("查找文章中断，文章可能不全（列表页 ") + failing),
                 qPrintable(run.out));
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("lanxin.chm"))));
        const QStringList failed =
            QString::fromUtf8(TestSupport::ReadBytes(folder.filePath(QStringLiteral("lanxin/failed.txt"))))
                .split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(failed.size(), 1);
        QVERIFY2(failed.first().startsWith(failing + u'\t' + reason), qPrintable(failed.first()));

        // Nothing found before the break: no backup, and no blame on the address.
        m_web.addRoute(blog.address, answer);
        QTemporaryDir empty;
        const ProgramRun nothing =
            RunProgram(empty, m_web.port(), QStringLiteral("1"), blog.taskName, blog.address);
        QCOMPARE(nothing.exitCode, 3);
        QVERIFY2(nothing.err.contains(QStringLiteral("查找文章中断，找到0篇文章，没有下载（列表页 ") +
                                      blog.address),
                 qPrintable(nothing.err));
        QVERIFY(!nothing.err.contains(QStringLiteral("请检查地址")));
    }

    // A site that changed its pages is told apart from a network fault: article pages served without
    // any known layout are listed on their own, and a blog whose list pages match no layout ends with
    // its own status.
    void tellsAChangedSiteFromANetworkFault()
    {
        const FakeWeb::GeneratedBlog blog =
            FakeWeb::installBaiduBlog(m_web, FakeWeb::BlogSize{QStringLiteral("gaiban"), 12, 10});
        const QString changed = blog.articleAddresses.at(3);
        const QString busy = blog.articleAddresses.at(5);
        m_web.addRoute(changed, FakeWeb::Response{
                                    200, QByteArray("<html><body><div id=\"new\">正文</div></body></html>")});
        m_web.addRoute(busy, FakeWeb::Response{500, QByteArray("busy")});

        QTemporaryDir folder;
        const ProgramRun run =
            RunProgram(folder, m_web.port(), QStringLiteral("1"), blog.taskName, blog.address);
        QVERIFY2(run.exitCode == 5, qPrintable(run.out + run.err));
        QVERIFY2(run.out.contains(QStringLiteral("缺失1项")) &&
                     run.out.contains(QStringLiteral("缺失\t") + busy + u'\t'),
                 qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("页面格式无法识别1项")) &&
                     run.out.contains(QStringLiteral("格式不符\t") + changed +
                                      QStringLiteral("\t页面格式无法识别：缺少正文标记")),
                 qPrintable(run.out));
        QVERIFY(!run.out.contains(QStringLiteral("缺失\t") + changed));

        // The blog's first page in a layout no finder knows.
        m_web.addRoute(blog.address,
                       FakeWeb::Response{200, QByteArray("<html><body>新版博客</body></html>")});
        QTemporaryDir other;
        const ProgramRun nothing =
            RunProgram(other, m_web.port(), QStringLiteral("1"), blog.taskName, blog.address);
        QVERIFY2(nothing.exitCode == 9, qPrintable(nothing.out + nothing.err));
        QVERIFY2(nothing.err.contains(QStringLiteral("页面格式无法识别：缺少页数（") + blog.address),
                 qPrintable(nothing.err));
        QVERIFY(!nothing.err.contains(QStringLiteral("未找到文章")));
    }

    // The blog announces more articles than its lists show: the missing ones are counted and named.
    void countsArticlesAnnouncedButNotFound()
    {
        const FakeWeb::GeneratedBlog blog =
            FakeWeb::installSohuBlog(m_web, FakeWeb::BlogSize{QStringLiteral("souhu"), 25, 10});
        QNetworkAccessManager network;
        Text::HttpContext http;
        http.manager = &network;
        QByteArray first = TestSupport::Wait(Text::FetchAnswer(http, blog.address)).body;
        QVERIFY(first.contains("totalCount = 25;"));
        first.replace("totalCount = 25;", "totalCount = 27;");
        m_web.addRoute(blog.address, FakeWeb::Response{200, first});

        QTemporaryDir folder;
        const ProgramRun run =
            RunProgram(folder, m_web.port(), QStringLiteral("4"), blog.taskName, blog.address);
        QVERIFY2(run.exitCode == 5, qPrintable(run.out + run.err));
        QVERIFY2(run.out.contains(QStringLiteral("文章25篇：保存25篇，失败0篇（博客显示27篇，2篇未找到）")),
                 qPrintable(run.out));
        QCOMPARE(
            QString::fromUtf8(TestSupport::ReadBytes(folder.filePath(QStringLiteral("souhu/failed.txt")))),
            blog.address + QStringLiteral("\t博客显示27篇，只找到25篇\n"));
    }

    void endsWithAnErrorWhenNothingIsFound()
    {
        QTemporaryDir folder;
        WriteAutoConfig(folder.path(), QStringLiteral("0"),
                        QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html"));
        QNetworkAccessManager network;
        QCOMPARE(App::RunBatch(folder.path(), network), 3);
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("batchdemo.chm"))));
    }

    void refusesAConfigWithoutAPlatform()
    {
        QTemporaryDir folder;
        QNetworkAccessManager network;
        QCOMPARE(App::RunBatch(folder.path(), network), 2);
        WriteAutoConfig(folder.path(), QStringLiteral("17"), QString());
        QCOMPARE(App::RunBatch(folder.path(), network), 2);
        WriteAutoConfig(folder.path(), QStringLiteral("x"), QString());
        QCOMPARE(App::RunBatch(folder.path(), network), 2);
        // Task names that would put the backup outside the program folder are refused before anything is
        // written.
        // So are names with control characters, which would end up in file names.
        for (const QString& name :
             {QStringLiteral(".."), QStringLiteral("../up"), QStringLiteral("a/b"), QString(),
              QString(251, u'x'), QStringLiteral("de\nmo"), QStringLiteral("de\rmo"),
              QStringLiteral("de\tmo"), QStringLiteral("de\x01mo"), QStringLiteral("de\u0085mo"),
              QStringLiteral("demo\x7f")}) {
            TestSupport::WriteAutoConfig(
                folder.path(), {QStringLiteral("0"), name,
                                QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html")});
            QCOMPARE(App::RunBatch(folder.path(), network), 2);
            QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                     QStringList{QStringLiteral("auto.cfg")});
        }
        // The blog address must be a web address of sane length (a huge one is not even read whole).
        const QString path = QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html");
        for (const QString& address :
             {QString(), QStringLiteral("blog.sina.com.cn/s/articlelist_1_0_1.html"),
              QStringLiteral("http://"), QStringLiteral("http:///s/x.html"),
              QStringLiteral("ftp://blog.sina.com.cn/"), QStringLiteral("file:///etc/passwd"),
              QStringLiteral("http://blog.sina.com.cn/a b"), path + u'?' + QString(2048, u'x'),
              path + u'?' + QString(200'000, u'x')}) {
            TestSupport::WriteAutoConfig(folder.path(),
                                         {QStringLiteral("0"), QStringLiteral("demo"), address});
            QCOMPARE(App::RunBatch(folder.path(), network), 2);
            QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                     QStringList{QStringLiteral("auto.cfg")});
        }
    }

    // What runs that ended left (a compile's files, an unfinished EPUB and its spool, a stale lock) goes
    // before the backup starts; the files of a run still under way (another task's compile) stay.
    void sweepsWhatEndedRunsLeft()
    {
        const FakeWeb::SinaBlog blog({.articles = 6, .categories = 1});
        blog.install(m_web);
        QTemporaryDir folder;
        WriteAutoConfig(folder.path(), QStringLiteral("0"), blog.firstPageAddress());

        QProcess ended;
        ended.start(QStringLiteral("true"), QStringList());
        QVERIFY(ended.waitForStarted());
        const QString dead = QString::number(ended.processId());
        QVERIFY(ended.waitForFinished());
        QProcess running;
        running.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(running.waitForStarted());
        const QString alive = QString::number(running.processId());

        const QString lock = folder.filePath(QStringLiteral("batchdemo/.qvlrx-lock"));
        {
            QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("batchdemo"))));
            QLockFile held(lock);
            QVERIFY(held.tryLock(0));
            QByteArray info = TestSupport::ReadBytes(lock);
            held.unlock();
            info.replace(0, info.indexOf('\n'), dead.toLatin1());
            TestSupport::WriteBytes(lock, info);
        }
        const QStringList gone{QStringLiteral(".qvlrx-%1-a1B2c3.chm").arg(dead),
                               QStringLiteral(".qvlrx-x1Y2z3.chm"),
                               QStringLiteral("batchdemo/.qvlrx-%1-a1B2c3.hhp").arg(dead),
                               QStringLiteral("batchdemo.epub.part"),
                               QStringLiteral("batchdemo.epub.part.Q1w2E3"),
                               QStringLiteral("batchdemo.epub.part.files-R4t5Y6/1")};
        const QStringList kept{QStringLiteral(".qvlrx-%1-a1B2c3.chm").arg(alive),
                               QStringLiteral("other.epub.part.files-R4t5Y6/1")};
        for (const QString& file : gone + kept) {
            TestSupport::WriteBytes(folder.filePath(file), "x");
        }

        QNetworkAccessManager network;
        QCOMPARE(App::RunBatch(folder.path(), network), 0);
        running.kill();
        running.waitForFinished();
        for (const QString& file : gone) {
            QVERIFY2(!QFile::exists(folder.filePath(file)), qPrintable(file));
        }
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("batchdemo.epub.part.files-R4t5Y6"))));
        QVERIFY(!QFile::exists(lock));
        for (const QString& file : kept) {
            QVERIFY2(QFile::exists(folder.filePath(file)), qPrintable(file));
        }
    }
};

QTEST_GUILESS_MAIN(TestBatchMode)
#include "test_batchmode.moc"
