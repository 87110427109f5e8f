// qvlrx --batch: the unattended backup of auto.cfg, from a generated Sina blog behind the fake web to a
// CHM with every image and comment page in place.
#include "app/batchmode.h"
#include "fakeweb.h"
#include "sinablog.h"
#include "support/files.h"
#include "support/proxyweb.h"
#include "text/safefilename.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLockFile>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

void WriteAutoConfig(const QString& folder, const QString& platform, const QString& address)
{
    TestSupport::WriteAutoConfig(folder, {platform, QStringLiteral("batchdemo"), address});
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

    // --epub: the book of the same backup follows the CHM, and it is a valid EPUB.
    void packsTheEpubAfterTheChm()
    {
        const FakeWeb::SinaBlog blog(
            {.articles = 10, .categories = 2, .uncategorised = 2, .images = 1, .comments = 60});
        blog.install(m_web);

        QTemporaryDir folder;
        WriteAutoConfig(folder.path(), QStringLiteral("0"), blog.firstPageAddress());
        QNetworkAccessManager network;
        QCOMPARE(App::RunBatch(folder.path(), network, true), 0);
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("batchdemo.chm"))));
        const QString epub = folder.filePath(QStringLiteral("batchdemo.epub"));
        QVERIFY(QFile::exists(epub));
        QVERIFY(!QFile::exists(epub + QStringLiteral(".part")));

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
