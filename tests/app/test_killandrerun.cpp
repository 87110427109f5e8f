// The real qvlrx --batch, killed (SIGKILL) at moments of every phase and run again, a backup through a
// partly failing web that names what it is missing and completes once the web is healthy again, and runs
// that meet a folder they cannot write, a disk that fills, a proxy that cannot be reached, redirects that
// lead astray and a head that never ends.
#include "archive.h"
#include "assets/assetnames.h"
#include "fakeweb.h"
#include "listpageblogs.h"
#include "model/assetqueue.h"
#include "neteaseblog.h"
#include "sinablog.h"
#include "support/deadproxies.h"
#include "support/files.h"
#include "support/programfolder.h"
#include "support/proxyweb.h"
#include "text/charset.h"
#include "text/safefilename.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSslCertificate>
#include <QSslKey>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString TaskName = QStringLiteral("trust");
constexpr int RunLimitMs = 180'000;

using TestSupport::ProgramFolder;

struct RunResult
{
    bool killed = false;
    int exitCode = -1;
    QStringList lines;  // standard output
    QStringList errors; // standard error
    qint64 elapsedMs = 0;
    qint64 peakMemoryMb = 0;
};

// What a run meets besides the fake web: another proxy, a limit on the size of every file it writes.
struct RunConditions
{
    QString proxy;
    rlim_t fileSizeLimit = RLIM_INFINITY;
};

qint64 PeakMemoryMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
        }
    }
    return 0;
}

// Runs qvlrx --batch through the fake web. With killAt, the program is killed as soon as it has printed
// that many lines containing killOn.
RunResult RunBatch(const ProgramFolder& folder, quint16 proxyPort, const QString& killOn = {}, int killAt = 1,
                   const RunConditions& conditions = {})
{
    RunResult result;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("http_proxy"), conditions.proxy.isEmpty()
                                                         ? QStringLiteral("http://127.0.0.1:%1").arg(proxyPort)
                                                         : conditions.proxy);
    if (conditions.fileSizeLimit != RLIM_INFINITY) {
        // A file that grows past the limit fails with EFBIG, as on a disk that is full.
        process.setChildProcessModifier([limit = conditions.fileSizeLimit] {
            const rlimit fileSize{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &fileSize);
            std::signal(SIGXFSZ, SIG_IGN);
        });
    }
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder.path());
    process.setProcessChannelMode(QProcess::SeparateChannels);

    int seen = 0;
    QByteArray pending;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [&] {
        pending += process.readAllStandardOutput();
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            result.lines.append(line);
            if (!killOn.isEmpty() && !result.killed && line.contains(killOn) && ++seen >= killAt) {
                result.killed = true;
                process.kill();
            }
        }
    });
    QElapsedTimer clock;
    clock.start();
    process.start(folder.program(), {QStringLiteral("--batch")});
    if (!process.waitForStarted()) {
        return result;
    }
    // The fake web answers from this process: its events must run while the program works.
    QDeadlineTimer deadline(RunLimitMs);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        result.peakMemoryMb = std::max(result.peakMemoryMb, PeakMemoryMb(process.processId()));
        QTest::qWait(10);
    }
    result.elapsedMs = clock.elapsed();
    result.errors = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

QStringList FilesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.append(QDir(folder).relativeFilePath(it.next()));
    }
    return files;
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString FolderOf(const FakeWeb::SinaArticle& article)
{
    return Text::SafeFileName(article.category);
}

// The article pages below a task folder, by their path inside it.
QStringList ArticlePages(const ProgramFolder& folder)
{
    QStringList pages;
    for (const QString& file : FilesBelow(folder.taskFolder())) {
        if (file.contains(u'/') && Text::DecodeLocal(Bytes(folder.taskFolder() + u'/' + file))
                                       .contains(QStringLiteral("原文地址: "))) {
            pages.append(file);
        }
    }
    return pages;
}

} // namespace

class TestKillAndRerun : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_web;
    const FakeWeb::SinaBlog m_blog{{.articles = 60, .categories = 3, .images = 2, .comments = 60}};

    // Every article page holds its own body, every image is the served one byte for byte, every comment
    // page is there, and nothing of the program's own work is left lying about.
    void verifyComplete(const ProgramFolder& folder)
    {
        QVERIFY(QFile::exists(folder.chm()));
        for (const FakeWeb::SinaArticle& article : m_blog.articles()) {
            const QString categoryFolder = folder.taskFolder() + u'/' + FolderOf(article);
            const QString page = Text::DecodeLocal(Bytes(categoryFolder + u'/' + article.link()));
            const QString bodyStart =
                m_blog.articleBody(article.index).section(QStringLiteral("<p><img"), 0, 0);
            QVERIFY2(page.contains(bodyStart), qPrintable(article.link()));
            for (const QString& address : m_blog.imageAddresses(article.index)) {
                const QString image = categoryFolder + u'/' + Assets::LocalImageName(address);
                QVERIFY2(Bytes(image) == m_blog.imageBytes(address), qPrintable(image));
            }
            for (int k = 1; k <= m_blog.commentPageCount(article.index); ++k) {
                const QString name = Assets::LocalAssetName(Model::AssetQueue::CommentKind,
                                                            m_blog.commentPageAddress(article.index, k));
                QVERIFY2(QFile::exists(categoryFolder + u'/' + name), qPrintable(name));
            }
        }
        const QSet<QString> records{QStringLiteral(".qvlrx-jobs"), QStringLiteral(".qvlrx-pages"),
                                    QStringLiteral(".qvlrx-chm")};
        for (const QString& file : FilesBelow(folder.taskFolder())) {
            const QString name = QFileInfo(file).fileName();
            QVERIFY2(!name.startsWith(u'.') || records.contains(name), qPrintable(file));
            QVERIFY2(!name.startsWith(QStringLiteral("blog.hh")), qPrintable(file));
            QVERIFY2(name != QStringLiteral("failed.txt"), qPrintable(file));
        }
        for (const QString& file : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden)) {
            QVERIFY2(!file.startsWith(QStringLiteral(".qvlrx-")), qPrintable(file));
        }
    }

    QStringList articleRequests() const
    {
        QStringList requests;
        for (const QString& line : m_web.requestLog()) {
            if (line.contains(QStringLiteral("/s/blog_"))) {
                requests.append(line.section(u'/', -1));
            }
        }
        return requests;
    }

private Q_SLOTS:
    void init()
    {
        m_web.clear();
        m_web.setLatency(0);
        m_blog.install(m_web);
    }

    void killedAnywhereFinishesOnTheNextRun_data()
    {
        QTest::addColumn<QString>("killOn");
        QTest::addColumn<int>("killAt");
        QTest::newRow("discovery") << QStringLiteral("查找文章") << 1;
        QTest::newRow("articles") << QStringLiteral("下载文章：") << 6;
        QTest::newRow("images") << QStringLiteral("下载图片(评论) ") << 30;
        QTest::newRow("index pages") << QStringLiteral("生成文章索引") << 1;
        QTest::newRow("packing") << QStringLiteral("正在打包CHM") << 1;
        QTest::newRow("compiling") << QStringLiteral("打包第") << 1;
    }

    void killedAnywhereFinishesOnTheNextRun()
    {
        QFETCH(QString, killOn);
        QFETCH(int, killAt);
        m_web.setLatency(15);
        const ProgramFolder folder(m_blog.firstPageAddress());

        const RunResult first = RunBatch(folder, m_web.port(), killOn, killAt);
        QVERIFY2(first.killed, qPrintable(first.lines.join(u'\n')));

        // The pages saved before the kill are not fetched again.
        QSet<QString> saved;
        for (const FakeWeb::SinaArticle& article : m_blog.articles()) {
            if (QFile::exists(folder.taskFolder() + u'/' + FolderOf(article) + u'/' + article.link())) {
                saved.insert(article.link());
            }
        }
        m_web.clearLog();
        const RunResult second = RunBatch(folder, m_web.port());
        QCOMPARE(second.exitCode, 0);
        for (const QString& link : articleRequests()) {
            QVERIFY2(!saved.contains(link), qPrintable(link));
        }
        verifyComplete(folder);
    }

    void commentsOnForAnotherPlatformNeitherFailNorCostASavedPage()
    {
        m_web.clear();
        const FakeWeb::GeneratedBlog blog =
            FakeWeb::installBaiduBlog(m_web, {.name = QStringLiteral("lanxin"), .articles = 9, .perPage = 4});
        const ProgramFolder folder(blog.address, QStringLiteral("1"), blog.taskName);
        const RunResult first = RunBatch(folder, m_web.port());
        QCOMPARE(first.exitCode, 0);
        const QStringList pages = ArticlePages(folder);
        QCOMPARE(pages.size(), 9);
        QHash<QString, QByteArray> saved;
        for (const QString& page : pages) {
            saved.insert(page, Bytes(folder.taskFolder() + u'/' + page));
        }
        const auto articleRequests = [&] {
            int count = 0;
            for (const QString& address : blog.articleAddresses) {
                count += m_web.requestCount(address);
            }
            return count;
        };

        // Run again, nothing is fetched.
        m_web.clearLog();
        QCOMPARE(RunBatch(folder, m_web.port()).exitCode, 0);
        QCOMPARE(articleRequests(), 0);

        // A record that says every page failed for its comments (as earlier versions wrote it), and
        // articles that answer 500: every page keeps its article, and the run ends well.
        QByteArray record;
        for (const QString& page : pages) {
            record += "failed\t" + page.toUtf8() + "\thttp://x\t" +
                      QStringLiteral("评论数读取失败").toUtf8() + "\t.\n";
        }
        TestSupport::WriteBytes(folder.taskFolder() + QStringLiteral("/.qvlrx-pages"), record);
        FakeWeb::Response error;
        error.status = 500;
        for (const QString& address : blog.articleAddresses) {
            m_web.addRoute(address, error);
        }
        m_web.clearLog();
        QCOMPARE(RunBatch(folder, m_web.port()).exitCode, 0);
        QCOMPARE(articleRequests(), 0);
        for (const QString& page : pages) {
            QCOMPARE(Bytes(folder.taskFolder() + u'/' + page), saved.value(page));
        }
    }

    void partialBackupNamesWhatIsMissingAndHealsOnTheNextRun()
    {
        const QList<FakeWeb::SinaArticle>& articles = m_blog.articles();
        // Articles that answer 500, 404, never or with a reset, and images and a comment page that fail
        // alike.
        const QStringList failingArticles{articles.at(3).link(), articles.at(11).link(),
                                          articles.at(20).link(), articles.at(33).link()};
        const QStringList failingAssets{m_blog.imageAddresses(5).at(0), m_blog.imageAddresses(6).at(1),
                                        m_blog.imageAddresses(7).at(0), m_blog.commentPageAddress(40, 1)};
        const QStringList answers{QStringLiteral("500"), QStringLiteral("404"), QStringLiteral("never"),
                                  QStringLiteral("reset")};
        for (int i = 0; i < answers.size(); ++i) {
            for (const QString& address : {failingArticles.at(i), failingAssets.at(i)}) {
                const auto fault =
                    FakeWeb::Fault::parse(answers.at(i) + u'@' + QRegularExpression::escape(address));
                QVERIFY(fault);
                FakeWeb::addFault(m_web, *fault);
            }
        }
        const ProgramFolder folder(m_blog.firstPageAddress());
        const RunResult partial = RunBatch(folder, m_web.port());
        QCOMPARE(partial.exitCode, 5);

        // Each failed item is named, in the summary and in failed.txt, and nothing else is.
        QStringList named;
        for (const QString& line :
             QString::fromUtf8(Bytes(folder.taskFolder() + QStringLiteral("/failed.txt")))
                 .split(u'\n', Qt::SkipEmptyParts)) {
            named.append(line.section(u'\t', 0, 0));
            // Named in words, never a bare error number.
            QVERIFY2(line.section(u'\t', 1).contains(QRegularExpression(QStringLiteral("\\p{Han}"))),
                     qPrintable(line));
            QVERIFY2(partial.lines.contains(QStringLiteral("缺失\t") + line), qPrintable(line));
        }
        QStringList expected = failingAssets;
        for (const QString& link : failingArticles) {
            expected.append(QStringLiteral("http://blog.sina.com.cn/s/") + link);
        }
        named.sort();
        expected.sort();
        QCOMPARE(named, expected);
        QVERIFY(QFile::exists(folder.chm()));

        // The web heals, and the page record is found damaged: the next run fetches exactly what was
        // missing, judged by the pages on disk, ends with nothing missing and says what it found.
        TestSupport::WriteBytes(folder.taskFolder() + QStringLiteral("/.qvlrx-pages"),
                                QByteArray("\x1f\x8b\x08\0garbage\xff\n\0\0", 16));
        m_web.clear();
        m_blog.install(m_web);
        const RunResult healed = RunBatch(folder, m_web.port());
        QCOMPARE(healed.exitCode, 0);
        QCOMPARE(healed.lines.filter(QRegularExpression(QStringLiteral("^文章下载记录.*已损坏"))).size(), 1);
        QVERIFY(healed.lines.filter(QStringLiteral("备份摘要："))
                    .join(u' ')
                    .contains(QStringLiteral(".qvlrx-pages")));
        QStringList refetched = articleRequests();
        refetched.sort();
        QStringList failingLinks = failingArticles;
        failingLinks.sort();
        QCOMPARE(refetched, failingLinks);
        verifyComplete(folder);
    }

    // An article leaves the blog while its image fails: the next backup no longer misses that image.
    void imagesOfArticlesNoLongerListedAreForgotten()
    {
        const FakeWeb::SinaBlog before{{.articles = 8, .categories = 2, .images = 1}};
        const FakeWeb::SinaBlog after{{.articles = 7, .categories = 2, .images = 1}};
        const auto fault = FakeWeb::Fault::parse(QStringLiteral("404@") +
                                                 QRegularExpression::escape(before.imageAddresses(7).at(0)));
        QVERIFY(fault);
        m_web.clear();
        before.install(m_web);
        FakeWeb::addFault(m_web, *fault);
        const ProgramFolder folder(before.firstPageAddress());
        QCOMPARE(RunBatch(folder, m_web.port()).exitCode, 5);

        m_web.clear();
        after.install(m_web);
        FakeWeb::addFault(m_web, *fault);
        const RunResult next = RunBatch(folder, m_web.port());
        QVERIFY2(next.exitCode == 0, qPrintable(next.lines.join(u'\n')));
        QVERIFY(!QFile::exists(folder.taskFolder() + QStringLiteral("/failed.txt")));
    }

    // The record of queued images is garbage and images are gone: the saved pages bring them back.
    void damagedJobRecordIsMadeGoodFromTheSavedPages()
    {
        const FakeWeb::SinaBlog blog{{.articles = 8, .categories = 2, .images = 2}};
        m_web.clear();
        blog.install(m_web);
        const ProgramFolder folder(blog.firstPageAddress());
        QCOMPARE(RunBatch(folder, m_web.port()).exitCode, 0);

        QStringList lost;
        for (const int index : {2, 5}) {
            const FakeWeb::SinaArticle& article = blog.articles().at(index);
            lost.append(folder.taskFolder() + u'/' + FolderOf(article) + u'/' +
                        Assets::LocalImageName(blog.imageAddresses(index).at(1)));
            QVERIFY(QFile::remove(lost.last()));
        }
        QFile record(folder.taskFolder() + QStringLiteral("/.qvlrx-jobs"));
        QVERIFY(record.open(QIODevice::WriteOnly | QIODevice::Truncate));
        record.write(QByteArray::fromHex("89504e470d0a1a0a0000000d49484452ffd8ffe000104a464946"));
        record.close();

        const RunResult next = RunBatch(folder, m_web.port());
        QVERIFY2(next.exitCode == 0, qPrintable(next.lines.join(u'\n')));
        for (const QString& image : lost) {
            QVERIFY2(QFile::exists(image), qPrintable(image));
        }
        const QStringList summary = next.lines.filter(QStringLiteral("备份摘要："));
        QVERIFY(summary.size() == 1 && summary.at(0).contains(QStringLiteral("图片记录已损坏")));
    }

    // A task folder that cannot be made or written is named with the system's reason before a single
    // page of the blog is asked for.
    void refusesAnUnwritableTaskFolderBeforeAnyRequest()
    {
        const ProgramFolder blocked(m_blog.firstPageAddress());
        TestSupport::WriteBytes(blocked.taskFolder(), "not a folder");
        m_web.clearLog();
        RunResult run = RunBatch(blocked, m_web.port());
        QCOMPARE(run.exitCode, 7);
        QVERIFY2(run.errors.join(u'\n').contains(blocked.taskFolder()), qPrintable(run.errors.join(u'\n')));
        QCOMPARE(m_web.requestCount(QStringLiteral("http://blog.sina.com.cn")), 0);

        // A read-only program folder: a read-only mount of its own (root writes through any mode bits).
        QString mounted;
        const auto readOnly = [&mounted](const QString& path) {
            if (::geteuid() != 0 || QProcess::execute(QStringLiteral("mount"),
                                                      {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                       QStringLiteral("-o"), QStringLiteral("size=1g"),
                                                       QStringLiteral("tmpfs"), path}) == 0) {
                mounted = ::geteuid() == 0 ? path : QStringLiteral("chmod");
            }
        };
        const ProgramFolder folder(m_blog.firstPageAddress(), QStringLiteral("0"), TaskName, readOnly);
        if (mounted.isEmpty()) {
            QSKIP("no tmpfs can be mounted here for a read-only program folder");
        }
        const auto unmount = qScopeGuard([&mounted] {
            if (mounted != QStringLiteral("chmod")) {
                QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), mounted});
            }
        });
        if (mounted == QStringLiteral("chmod")) {
            QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        } else {
            QCOMPARE(QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-o"),
                                                               QStringLiteral("remount,ro"), mounted}),
                     0);
        }
        m_web.clearLog();
        run = RunBatch(folder, m_web.port());
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(run.exitCode, 7);
        const QString said = run.errors.join(u'\n');
        QVERIFY2(said.contains(folder.taskFolder()) &&
                     (said.contains(QStringLiteral("只读文件系统")) || said.contains(QStringLiteral("没有写入权限"))),
                 qPrintable(said));
        QCOMPARE(m_web.requestCount(QStringLiteral("http://blog.sina.com.cn")), 0);
    }

    // A proxy that refuses or never answers is named, with its own exit status, in seconds.
    void namesAProxyThatCannotBeReached()
    {
        TestSupport::DeadProxies proxies;
        QVERIFY(proxies.open());
        const quint16 refusing = proxies.refusingPort;
        for (const quint16 port : {refusing, proxies.silent.serverPort()}) {
            const ProgramFolder folder(m_blog.firstPageAddress());
            const RunResult run =
                RunBatch(folder, m_web.port(), {}, 1, {QStringLiteral("http://127.0.0.1:%1").arg(port)});
            const QString said = run.errors.join(u'\n');
            QCOMPARE(run.exitCode, 8);
            QVERIFY2(said.contains(QStringLiteral("127.0.0.1:%1").arg(port)), qPrintable(said));
            QVERIFY2(!said.contains(QStringLiteral("未找到文章")), qPrintable(said));
            QVERIFY2(run.elapsedMs < 10'000, qPrintable(QString::number(run.elapsedMs)));
        }
    }

    // A disk that fills ends the run after the files under way, with one message that names the cause
    // and the folder; the records keep whole lines only, and with room again the next run completes.
    void stopsOnceWhenTheDiskFillsAndCompletesWithRoom()
    {
        const ProgramFolder folder(m_blog.firstPageAddress());
        const RunResult full = RunBatch(folder, m_web.port(), {}, 1, {{}, 1024});
        QVERIFY2(full.exitCode == 7, qPrintable((full.lines + full.errors).join(u'\n')));
        const QStringList all = full.lines + full.errors;
        QCOMPARE(full.errors.filter(QStringLiteral("磁盘已满")).size(), 1);
        QVERIFY2(full.errors.first().contains(folder.taskFolder()), qPrintable(full.errors.join(u'\n')));
        QVERIFY2(all.filter(QStringLiteral("cannot write")).isEmpty(), qPrintable(all.join(u'\n')));
        QVERIFY(!QFile::exists(folder.chm()));
        for (const char* record : {".qvlrx-jobs", ".qvlrx-pages"}) {
            const QByteArray bytes = Bytes(folder.taskFolder() + u'/' + QString::fromLatin1(record));
            QVERIFY2(bytes.isEmpty() || bytes.endsWith(".\n"), record);
        }
        // The run stopped instead of fetching the rest: no image was asked for.
        qsizetype images = 0;
        for (const FakeWeb::SinaArticle& article : m_blog.articles()) {
            images += m_blog.imageAddresses(article.index).size();
        }
        QVERIFY(m_web.requestLog().filter(QStringLiteral("sinaimg.cn")).size() < images / 2);

        QCOMPARE(RunBatch(folder, m_web.port()).exitCode, 0);
        verifyComplete(folder);
    }

    // Redirects that lead off the site, to the local machine, to a login page or round in circles are
    // not followed; each is named, and nothing of another server lands in the book.
    void keepsRedirectedPagesAndImagesOnTheirSite()
    {
        const QList<FakeWeb::SinaArticle>& articles = m_blog.articles();
        const QString elsewhere = QStringLiteral("http://127.0.0.1:%1/elsewhere.html").arg(m_web.port());
        m_web.addFirstHandler([](const FakeWeb::Request& request) -> std::optional<FakeWeb::Response> {
            if (request.url.contains(QLatin1String("elsewhere"))) {
                return FakeWeb::Response{200, QByteArray("<!-- 正文开始 -->ELSEWHERE ELSEWHERE<!-- 正文结束 -->")};
            }
            return std::nullopt;
        });
        const QString image = m_blog.imageAddresses(9).at(0);
        const QList<QPair<QString, QString>> redirects{
            {articles.at(3).link(), elsewhere},
            {articles.at(5).link(), QStringLiteral("http://login.sina.com.cn/signup/signin.php")},
            {articles.at(7).link(), QStringLiteral("http://blog.sina.com.cn/s/") + articles.at(7).link()},
            {image, QStringLiteral("http://img.elsewhere.com/elsewhere.png")},
        };
        for (const auto& [from, to] : redirects) {
            const auto fault = FakeWeb::Fault::parse(QStringLiteral("302=") + to + u'@' + QRegularExpression::escape(from));
            QVERIFY(fault);
            FakeWeb::addFault(m_web, *fault);
        }
        const ProgramFolder folder(m_blog.firstPageAddress());
        const RunResult run = RunBatch(folder, m_web.port());
        QCOMPARE(run.exitCode, 5);
        const QString failed = QString::fromUtf8(Bytes(folder.taskFolder() + QStringLiteral("/failed.txt")));
        for (const QString& reason : {QStringLiteral("重定向到内网地址"), QStringLiteral("需要登录"),
                                      QStringLiteral("重定向循环"), QStringLiteral("重定向到其他网站")}) {
            QVERIFY2(failed.contains(reason), qPrintable(failed));
        }
        for (const QString& line : m_web.requestLog()) {
            QVERIFY2(!line.contains(QLatin1String("elsewhere")) && !line.contains(QLatin1String("login.")),
                     qPrintable(line));
        }
        for (const QString& file : FilesBelow(folder.taskFolder())) {
            QVERIFY2(!Bytes(folder.taskFolder() + u'/' + file).contains("ELSEWHERE"), qPrintable(file));
        }
    }

    // A list page and an image whose heads never end fail in words within seconds, and the program's
    // memory stays bounded.
    void endlessHeadsFailInWords()
    {
        for (const QString& pattern : {QStringLiteral("articlelist_.*_2\\.html"),
                                       QRegularExpression::escape(m_blog.imageAddresses(4).at(0))}) {
            const auto fault = FakeWeb::Fault::parse(QStringLiteral("headers@") + pattern);
            QVERIFY(fault);
            FakeWeb::addFault(m_web, *fault);
        }
        const ProgramFolder folder(m_blog.firstPageAddress());
        const RunResult run = RunBatch(folder, m_web.port());
        QCOMPARE(run.exitCode, 5);
        QVERIFY2(!run.lines.filter(QStringLiteral("查找文章中断：")).filter(QStringLiteral("响应头")).isEmpty(),
                 qPrintable(run.lines.join(u'\n')));
        const QString failed = QString::fromUtf8(Bytes(folder.taskFolder() + QStringLiteral("/failed.txt")));
        // The image's own time limit is shorter than the head's: it fails by that, and is named.
        QVERIFY2(failed.contains(m_blog.imageAddresses(4).at(0) + u'\t'), qPrintable(failed));
        qInfo("peak memory of the run: %lld MB in %lld ms", run.peakMemoryMb, run.elapsedMs);
#ifndef __SANITIZE_ADDRESS__ // the sanitizer keeps freed memory aside: its peak says nothing of the program's
        QVERIFY2(run.peakMemoryMb < 150, qPrintable(QString::number(run.peakMemoryMb)));
#endif
    }

    // A blog that is gone, backed up from a web archive: a fifth of the captures, the category lists and
    // then the whole list service missing, bursts of 429. Every capture the archive holds is saved, every
    // missing one named as such, no request goes to the sites and none breaks the archive's rate; once the
    // archive has them all, the next run completes the book.
    void archiveBackupNamesMissingCapturesAndCompletesLater()
    {
        const auto archiveTask = [](const ProgramFolder& folder) {
            QFile config(folder.path() + QStringLiteral("/auto.cfg"));
            QVERIFY(config.open(QIODevice::Append));
            config.write("<archive>newest</archive>");
            config.close();
            // Fast for the test, but still a rate the log can be held to.
            TestSupport::WriteBytes(folder.path() + QStringLiteral("/qvlrx.ini"),
                                    "[archive]\nrate=20\nconnections=2\n");
        };
        qputenv("QVLRX_ARCHIVE", "http://web.archive.org");
        const auto unset = qScopeGuard([] { qunsetenv("QVLRX_ARCHIVE"); });
        const auto installArchive = [this](const QString& keys) {
            const std::optional<FakeWeb::ArchiveOptions> options = FakeWeb::ArchiveOptions::parse(keys);
            QVERIFY(options);
            FakeWeb::installArchive(m_web, *options);
            const auto burst = FakeWeb::Fault::parse(QStringLiteral("429x3=1@/web/"));
            QVERIFY(burst);
            FakeWeb::addFault(m_web, *burst);
        };
        const FakeWeb::SinaBlog blog{{.articles = 15, .categories = 3, .images = 1, .comments = 0}};
        m_web.clear();
        blog.install(m_web);
        installArchive(QStringLiteral("missing=0.2,seed=3,dates=20120101000000;20150601120000,"
                                      "drop=articlelist_\\d+_[1-9]\\d*_\\d+\\.html"));
        QBuffer log;
        log.open(QIODevice::WriteOnly);
        m_web.logRequestsTo(&log);
        const ProgramFolder folder(blog.firstPageAddress());
        archiveTask(folder);
        const RunResult partial = RunBatch(folder, m_web.port());
        QCOMPARE(partial.exitCode, 5);
        const QString summary = partial.lines.filter(QStringLiteral("备份摘要：")).join(u' ');
        QVERIFY2(summary.contains(
                     QRegularExpression(QStringLiteral("存档：列表页找到\\d+篇，存档索引补充\\d+篇"))),
                 qPrintable(summary));
        const QString failed = QString::fromUtf8(Bytes(folder.taskFolder() + QStringLiteral("/failed.txt")));
        QVERIFY2(failed.contains(QStringLiteral("\t网页存档中没有此页")), qPrintable(failed));
        // Every article the archive holds is saved; the site itself was never asked.
        const QStringList pages = ArticlePages(folder);
        QList<qint64> times;
        for (const QByteArray& line : log.data().split('\n')) {
            const QList<QByteArray> fields = line.split('\t');
            // (the program's own update check is no request to the blog's sites)
            if (fields.size() < 3 || fields.at(2).contains(".qvlrx.invalid/")) {
                continue;
            }
            QVERIFY2(fields.at(2).startsWith("http://web.archive.org/"), line.constData());
            times.append(fields.at(0).toLongLong());
        }
        // 20 a second, a redirect to the nearest capture counting as a request. This process notes
        // arrivals only between its own waits, late and in bunches on a busy machine: two seconds at a
        // time, with room for a bunch (a program that ignored the rate would send hundreds).
        for (qsizetype first = 0, last = 0; first < times.size(); ++first) {
            while (last < times.size() && times.at(last) < times.at(first) + 2000) {
                ++last;
            }
            QVERIFY2(last - first <= 48, qPrintable(QString::number(last - first)));
        }
        const std::optional<FakeWeb::ArchiveOptions> gaps = FakeWeb::ArchiveOptions::parse(
            QStringLiteral("missing=0.2,seed=3,dates=20120101000000;20150601120000,"
                           "drop=articlelist_\\d+_[1-9]\\d*_\\d+\\.html"));
        const FakeWeb::WebArchive archive(m_web, *gaps);
        int held = 0;
        for (const FakeWeb::SinaArticle& article : blog.articles()) {
            const bool saved = !pages.filter(article.id).isEmpty();
            QVERIFY2(saved == archive.holds(article.address()), qPrintable(article.address()));
            held += saved ? 1 : 0;
        }
        QVERIFY2(held > 0 && held < blog.articles().size(), qPrintable(QString::number(held)));

        // The archive gains the captures it lacked: the book is completed.
        m_web.logRequestsTo(nullptr);
        m_web.clear();
        blog.install(m_web);
        installArchive(QStringLiteral("dates=20120101000000;20150601120000"));
        const RunResult healed = RunBatch(folder, m_web.port());
        QCOMPARE(healed.exitCode, 0);
        QCOMPARE(ArticlePages(folder).size(), blog.articles().size());

        // NetEase lists its articles through a service no archive replays: its index finds them all.
        const FakeWeb::NeteaseBlog netease(QStringLiteral("fan"), 12, 2);
        m_web.clear();
        netease.install(m_web);
        installArchive(QStringLiteral("drop=dwr"));
        const ProgramFolder neteaseFolder(netease.address(), QStringLiteral("3"), QStringLiteral("fan"));
        archiveTask(neteaseFolder);
        const RunResult indexed = RunBatch(neteaseFolder, m_web.port());
        QCOMPARE(indexed.exitCode, 0);
        QVERIFY2(!indexed.lines.filter(QStringLiteral("列表页找到0篇，存档索引补充12篇")).isEmpty(),
                 qPrintable(indexed.lines.join(u'\n')));

        // The default archive answers over https only: here with a certificate the run is told to trust.
        QTemporaryDir keys;
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                       QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                       QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=web.archive.org"),
                       QStringLiteral("-addext"), QStringLiteral("subjectAltName=DNS:web.archive.org"),
                       QStringLiteral("-keyout"), keys.filePath(QStringLiteral("a.key")),
                       QStringLiteral("-out"), keys.filePath(QStringLiteral("a.crt"))});
        if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
            QSKIP("openssl cannot make a certificate here");
        }
        qunsetenv("QVLRX_ARCHIVE");
        qputenv("SSL_CERT_FILE", keys.filePath(QStringLiteral("a.crt")).toUtf8());
        qputenv("https_proxy", QByteArray("http://127.0.0.1:") + QByteArray::number(m_web.port()));
        const auto untrust = qScopeGuard([] {
            qunsetenv("SSL_CERT_FILE");
            qunsetenv("https_proxy");
        });
        m_web.clear();
        m_web.setTls(QSslCertificate(Bytes(keys.filePath(QStringLiteral("a.crt")))),
                     QSslKey(Bytes(keys.filePath(QStringLiteral("a.key"))), QSsl::Rsa));
        const auto plain = qScopeGuard([this] { m_web.setTls(QSslCertificate(), QSslKey()); });
        const FakeWeb::SinaBlog small{{.articles = 6, .categories = 2, .images = 1, .comments = 0}};
        small.install(m_web);
        installArchive(QString());
        const ProgramFolder secure(small.firstPageAddress(), QStringLiteral("0"), QStringLiteral("secure"));
        archiveTask(secure);
        const RunResult overTls = RunBatch(secure, m_web.port());
        QCOMPARE(overTls.exitCode, 0);
        QVERIFY(m_web.requestLog().filter(QStringLiteral("https://web.archive.org/web/")).size() >= 6);
    }
};

QTEST_GUILESS_MAIN(TestKillAndRerun)
#include "test_killandrerun.moc"
