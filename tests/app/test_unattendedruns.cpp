// Unattended runs of the real qvlrx --batch that meet what cron and service managers do to them: a
// signal in any phase, a second run on the same task, a reader of the output that goes away; and the
// window ended by a signal.
#include "assets/assetnames.h"
#include "fakeweb.h"
#include "model/assetqueue.h"
#include "sinablog.h"
#include "support/chmnames.h"
#include "support/files.h"
#include "support/programfolder.h"
#include "support/proxyweb.h"
#include "text/charset.h"
#include "text/safefilename.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <optional>
#include <signal.h>
#include <unistd.h>

namespace {

const QString TaskName = QStringLiteral("trust");
constexpr int RunLimitMs = 180'000;

using TestSupport::ProgramFolder;

struct RunResult
{
    bool killed = false;
    int exitCode = -1;
    QStringList lines; // standard output
    QString errors;    // standard error
    qint64 msAfterKill = -1;
};

// When to send the program which signal: as soon as it has printed `at` lines containing `on`.
struct Stop
{
    QString on;
    int at = 1;
    int signal = SIGKILL;
};

// qvlrx --batch through the fake web, in its own process, stopped as asked.
// While it lives, the runs this test starts find a help compiler that waits two seconds before it compiles,
// so that a run is surely in its compile when the test acts on "正在打包CHM...".
class SlowCompiler
{
public:
    SlowCompiler()
        : m_path(qgetenv("PATH"))
    {
        const QString real = QStandardPaths::findExecutable(QStringLiteral("chmcmd"));
        const QString script = m_folder.filePath(QStringLiteral("chmcmd"));
        TestSupport::WriteBytes(script, "#!/bin/sh\nsleep 2\nexec '" + QFile::encodeName(real) + "' \"$@\"\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(m_folder.path()) + ':' + m_path);
    }
    ~SlowCompiler() { qputenv("PATH", m_path); }
    Q_DISABLE_COPY_MOVE(SlowCompiler)

private:
    QTemporaryDir m_folder;
    QByteArray m_path;
};

// Whether the process is stopped by a signal (and not, say, a zombie that ended before it).
bool HeldStill(pid_t pid)
{
    QDeadlineTimer deadline(2000);
    while (!deadline.hasExpired()) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) {
            return false;
        }
        const QByteArray text = stat.readAll();
        const qsizetype state = text.lastIndexOf(')') + 2;
        if (state > 1 && state < text.size()) {
            if (text.at(state) == 'T') {
                return true;
            }
            if (text.at(state) == 'Z' || text.at(state) == 'X') {
                return false;
            }
        }
        QTest::qWait(5);
    }
    return false;
}

class BatchProcess
{
public:
    BatchProcess(const ProgramFolder& folder, quint16 proxyPort, const Stop& stop = {},
                 const QStringList& arguments = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("http_proxy"),
                           QStringLiteral("http://127.0.0.1:%1").arg(proxyPort));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(folder.path());
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this, stop] {
            m_pending += m_process.readAllStandardOutput();
            for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
                const QString line = QString::fromUtf8(m_pending.left(end));
                m_pending.remove(0, end + 1);
                m_result.lines.append(line);
                if (!stop.on.isEmpty() && !m_result.killed && line.contains(stop.on) && ++m_seen >= stop.at) {
                    m_result.killed = true;
                    m_sinceKill.start();
                    ::kill(pid_t(m_process.processId()), stop.signal);
                }
            }
        });
        QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                         [this] { m_result.errors += QString::fromUtf8(m_process.readAllStandardError()); });
        QObject::connect(&m_process, &QProcess::finished, &m_process, [this] {
            if (m_sinceKill.isValid()) {
                m_result.msAfterKill = m_sinceKill.elapsed();
            }
        });
        m_process.start(folder.program(), QStringList{QStringLiteral("--batch")} + arguments);
        m_process.waitForStarted();
    }

    qint64 pid() const { return m_process.processId(); }
    const RunResult& result() const { return m_result; }

    // Lets the fake web, which answers from this process, work until the program has printed a line
    // containing text (true) or has ended.
    bool waitForLine(const QString& text)
    {
        QDeadlineTimer deadline(RunLimitMs);
        while (m_process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            for (const QString& line : std::as_const(m_result.lines)) {
                if (line.contains(text)) {
                    return true;
                }
            }
            QTest::qWait(10);
        }
        return false;
    }

    // The same until the program has ended; a program that does not end in time is killed.
    const RunResult& finish()
    {
        QDeadlineTimer deadline(RunLimitMs);
        while (m_process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            QTest::qWait(10);
        }
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
            return m_result;
        }
        m_result.errors += QString::fromUtf8(m_process.readAllStandardError());
        m_result.exitCode = m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
        return m_result;
    }

private:
    QProcess m_process;
    QByteArray m_pending;
    int m_seen = 0;
    QElapsedTimer m_sinceKill;
    RunResult m_result;
};

RunResult RunBatch(const ProgramFolder& folder, quint16 proxyPort, const Stop& stop = {},
                   const QStringList& arguments = {})
{
    BatchProcess process(folder, proxyPort, stop, arguments);
    return process.finish();
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

// The help compilers running in folder.
QStringList CompilersIn(const QString& folder)
{
    QStringList found;
    const QString wanted = QFileInfo(folder).canonicalFilePath();
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QString process = QStringLiteral("/proc/") + pid;
        if (!pid.front().isDigit() ||
            !TestSupport::ReadBytes(process + QStringLiteral("/cmdline")).contains("chmcmd")) {
            continue;
        }
        if (QFileInfo(process + QStringLiteral("/cwd")).canonicalFilePath() == wanted) {
            found.append(pid);
        }
    }
    return found;
}

QString FolderOf(const FakeWeb::SinaArticle& article)
{
    return Text::SafeFileName(article.category);
}

// No temporary file, project file or lock of a run is left, and no compiler runs.
void VerifyNothingLeft(const ProgramFolder& folder)
{
    const QSet<QString> records{QStringLiteral(".qvlrx-jobs"), QStringLiteral(".qvlrx-pages"),
                                QStringLiteral(".qvlrx-chm"), QStringLiteral(".qvlrx-epub")};
    for (const QString& file : FilesBelow(folder.taskFolder())) {
        const QString name = QFileInfo(file).fileName();
        QVERIFY2(!name.startsWith(u'.') || records.contains(name), qPrintable(file));
        QVERIFY2(!name.startsWith(QStringLiteral("blog.hh")), qPrintable(file));
    }
    for (const QString& file :
         QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QVERIFY2(!file.startsWith(QStringLiteral(".qvlrx-")), qPrintable(file));
        QVERIFY2(!file.contains(QStringLiteral(".epub.part")), qPrintable(file));
    }
    QCOMPARE(CompilersIn(folder.taskFolder()), QStringList());
}

// Every article page holds its own body, every image is the served one byte for byte, every comment
// page is there, and nothing of the program's own work is left lying about.
void VerifyComplete(const FakeWeb::SinaBlog& blog, const ProgramFolder& folder)
{
    QVERIFY(QFile::exists(folder.chm()));
    // The book was packed while the run held the task's lock: the lock is no page of it.
    const QStringList listed = TestSupport::ChmListedNames(TestSupport::ReadBytes(folder.chm()));
    QVERIFY(listed.contains(QStringLiteral("/index.html")));
    for (const QString& name : listed) {
        QVERIFY2(!name.contains(QStringLiteral(".qvlrx")), qPrintable(name));
    }
    for (const FakeWeb::SinaArticle& article : blog.articles()) {
        const QString categoryFolder = folder.taskFolder() + u'/' + FolderOf(article);
        const QString page =
            Text::DecodeLocal(TestSupport::ReadBytes(categoryFolder + u'/' + article.link()));
        const QString bodyStart = blog.articleBody(article.index).section(QStringLiteral("<p><img"), 0, 0);
        QVERIFY2(page.contains(bodyStart), qPrintable(article.link()));
        for (const QString& address : blog.imageAddresses(article.index)) {
            const QString image = categoryFolder + u'/' + Assets::LocalImageName(address);
            QVERIFY2(TestSupport::ReadBytes(image) == blog.imageBytes(address), qPrintable(image));
        }
        for (int k = 1; k <= blog.commentPageCount(article.index); ++k) {
            const QString name = Assets::LocalAssetName(Model::AssetQueue::CommentKind,
                                                        blog.commentPageAddress(article.index, k));
            QVERIFY2(QFile::exists(categoryFolder + u'/' + name), qPrintable(name));
        }
    }
    VerifyNothingLeft(folder);
    QVERIFY(!QFile::exists(folder.taskFolder() + QStringLiteral("/failed.txt")));
}

} // namespace

class TestUnattendedRuns : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_web;
    const FakeWeb::SinaBlog m_blog{{.articles = 60, .categories = 3, .images = 2, .comments = 60}};

private Q_SLOTS:
    void init()
    {
        m_web.clear();
        m_web.setLatency(0);
        m_blog.install(m_web);
    }

    // SIGTERM, SIGINT and SIGHUP end a run within seconds with the status a shell expects, after summing up
    // what was saved; nothing of the run is left behind and the next run completes the backup.
    void signalEndsTheRunCleanly_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("stopOn");
        QTest::addColumn<int>("stopAt");
        QTest::addColumn<QStringList>("arguments");
        const QStringList epub{QStringLiteral("--epub")};
        for (const int signal : {SIGTERM, SIGINT}) {
            const QByteArray name = signal == SIGTERM ? "SIGTERM " : "SIGINT ";
            QTest::newRow(name + "discovery") << signal << QStringLiteral("查找文章") << 1 << QStringList();
            QTest::newRow(name + "articles") << signal << QStringLiteral("下载文章：") << 6 << QStringList();
            QTest::newRow(name + "compiling") << signal << QStringLiteral("正在打包CHM") << 1 << QStringList();
        }
        QTest::newRow("SIGHUP epub") << int(SIGHUP) << QStringLiteral("生成EPUB第") << 5 << epub;
    }

    void signalEndsTheRunCleanly()
    {
        QFETCH(int, signal);
        QFETCH(QString, stopOn);
        QFETCH(int, stopAt);
        QFETCH(QStringList, arguments);
        m_web.setLatency(15);
        const ProgramFolder folder(m_blog.firstPageAddress());

        std::optional<SlowCompiler> slow;
        if (stopOn.startsWith(QStringLiteral("正在打包"))) {
            slow.emplace();
        }
        const RunResult first = RunBatch(folder, m_web.port(), {stopOn, stopAt, signal}, arguments);
        slow.reset();
        QVERIFY2(first.killed, qPrintable(first.lines.join(u'\n')));
        QCOMPARE(first.exitCode, 128 + signal);
        QVERIFY2(first.msAfterKill < 5000, qPrintable(QString::number(first.msAfterKill)));
        QVERIFY2(first.errors.contains(QStringLiteral("中断")), qPrintable(first.errors));
        QVERIFY(std::any_of(first.lines.cbegin(), first.lines.cend(), [](const QString& line) {
            return line.startsWith(QStringLiteral("备份摘要："));
        }));
        VerifyNothingLeft(folder);

        const RunResult second = RunBatch(folder, m_web.port(), {}, arguments);
        QCOMPARE(second.exitCode, 0);
        VerifyComplete(m_blog, folder);
    }

    // A run started while another works on the task (one second later, or while it compiles) refuses at
    // once and touches nothing: the first completes.
    void secondRunOnTheTaskRefuses_data()
    {
        QTest::addColumn<bool>("duringCompile");
        QTest::newRow("a second later") << false;
        QTest::newRow("during the compile") << true;
    }

    void secondRunOnTheTaskRefuses()
    {
        QFETCH(bool, duringCompile);
        m_web.setLatency(15);
        const ProgramFolder folder(m_blog.firstPageAddress());

        std::optional<SlowCompiler> slow;
        if (duringCompile) {
            slow.emplace();
        }
        BatchProcess first(folder, m_web.port());
        slow.reset();
        if (duringCompile) {
            QVERIFY(first.waitForLine(QStringLiteral("正在打包CHM")));
            // Held still, so that the second run surely meets the compile. On a busy machine the first run
            // may have ended between its line and the signal; then there is no compile left to meet.
            const pid_t pid = pid_t(first.pid());
            if (pid <= 0 || ::kill(pid, SIGSTOP) != 0 || !HeldStill(pid)) {
                first.finish();
                QSKIP("the first run ended before it could be held during its compile");
            }
        } else {
            QTest::qWait(1000);
        }
        QElapsedTimer clock;
        clock.start();
        const RunResult second = RunBatch(folder, m_web.port());
        ::kill(pid_t(first.pid()), SIGCONT);
        QCOMPARE(second.exitCode, 6);
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(second.errors.contains(QStringLiteral("另一个备份正在运行：") + folder.taskFolder()) &&
                     second.errors.contains(QString::number(first.pid())),
                 qPrintable(second.errors));

        QCOMPARE(first.finish().exitCode, 0);
        VerifyComplete(m_blog, folder);
    }

    // A reader of the output that goes away (`qvlrx --batch | head -1`; or one gone before the first line,
    // which the pipe of `| head -1` may also be) does not end the backup.
    void closedOutputDoesNotEndTheRun_data()
    {
        QTest::addColumn<bool>("goneAtOnce");
        QTest::newRow("| head -1") << false;
        QTest::newRow("reader gone before the first line") << true;
    }

    void closedOutputDoesNotEndTheRun()
    {
        QFETCH(bool, goneAtOnce);
        const ProgramFolder folder(m_blog.firstPageAddress());
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("http_proxy"),
                           QStringLiteral("http://127.0.0.1:%1").arg(m_web.port()));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.path());
        // As from a terminal: this test program ignores SIGPIPE, which its children would inherit.
        process.setChildProcessModifier([goneAtOnce] {
            ::signal(SIGPIPE, SIG_DFL);
            int ends[2];
            if (goneAtOnce && ::pipe(ends) == 0) {
                ::close(ends[0]);
                ::dup2(ends[1], STDOUT_FILENO);
                ::close(ends[1]);
            }
        });
        if (goneAtOnce) {
            process.start(folder.program(), {QStringLiteral("--batch")});
        } else {
            process.start(QStringLiteral("bash"),
                          {QStringLiteral("-c"),
                           QStringLiteral("\"$0\" --batch | head -1; exit ${PIPESTATUS[0]}"),
                           folder.program()});
        }
        QVERIFY(process.waitForStarted());
        QDeadlineTimer deadline(RunLimitMs);
        while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            QTest::qWait(10);
        }
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput().count('\n'), goneAtOnce ? 0 : 1);
        VerifyComplete(m_blog, folder);
    }

    // The window, asked to end while it asks whether to start the automatic backup, ends without waiting
    // for an answer.
    void windowEndsOnASignalWithoutAsking()
    {
        const ProgramFolder folder(m_blog.firstPageAddress());
        QProcess window;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        window.setProcessEnvironment(environment);
        window.setWorkingDirectory(folder.path());
        window.start(folder.program(), QStringList());
        QVERIFY(window.waitForStarted());
        QTest::qWait(1500);
        QVERIFY(window.state() == QProcess::Running);
        ::kill(pid_t(window.processId()), SIGTERM);
        QVERIFY(window.waitForFinished(5000));
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QCOMPARE(window.exitCode(), 143);
    }
};

QTEST_GUILESS_MAIN(TestUnattendedRuns)
#include "test_unattendedruns.moc"
