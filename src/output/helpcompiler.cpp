#include "output/helpcompiler.h"

#include "assets/backupsummary.h"
#include "model/temporaries.h"
#include "output/bookstamp.h"
#include "output/chmlisting.h"
#include "output/compilerprogress.h"
#include "text/charset.h"
#include "text/textfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <QCoro/QCoroProcess>

#include <algorithm>

#include <signal.h>
#include <sys/prctl.h>

namespace Output {

namespace {

// How often a running compile is looked at for its progress.
constexpr int ProgressPollMs = 250;

// Hands out the lines of a text one at a time, without a line break; a last empty line is none. A project
// of 100,000 articles is never split into a list of its lines.
void ForEachLine(const QString& text, const std::function<void(const QString& line)>& visit)
{
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) {
            end = text.size();
        }
        QString line = text.mid(start, end - start);
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        visit(line);
        start = end + 1;
    }
}

// "[NAME]" gives NAME in capitals; anything else the empty text.
QString SectionName(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
        return trimmed.mid(1, trimmed.size() - 2).trimmed().toUpper();
    }
    return {};
}

// The key of a "key = value" line, in small letters, and its value.
bool SplitOption(const QString& line, QString& key, QString& value)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0) {
        return false;
    }
    key = line.left(equals).trimmed().toLower();
    value = line.mid(equals + 1).trimmed();
    return true;
}

QString Unquoted(QString text)
{
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"')) {
        return text.mid(1, text.size() - 2);
    }
    return text;
}

QByteArray FileSystemLine(const QString& text)
{
    return QFile::encodeName(text) + "\r\n";
}

QByteArray LocalLine(const QString& text)
{
    return Text::EncodeLocal(text + QStringLiteral("\r\n"));
}

const QString DiskFullWords = QStringLiteral("磁盘已满");

// The compiler's words for a book it could not write whole: said in words, the disk is full.
QString InWords(const QString& line)
{
    static const QStringList DiskFull{QStringLiteral("Stream write error"), QStringLiteral("EWriteError"),
                                      QStringLiteral("No space left"), QStringLiteral("Disk full")};
    for (const QString& words : DiskFull) {
        if (line.contains(words, Qt::CaseInsensitive)) {
            return DiskFullWords + QStringLiteral("（") + line + QStringLiteral("）");
        }
    }
    return line;
}

// The line of the compiler's output that best says what went wrong.
QString ProblemLine(const QStringList& messages)
{
    for (auto it = messages.crbegin(); it != messages.crend(); ++it) {
        if (it->contains(QLatin1String("error"), Qt::CaseInsensitive)) {
            return InWords(it->trimmed());
        }
    }
    for (auto it = messages.crbegin(); it != messages.crend(); ++it) {
        const QString line = it->trimmed();
        if (!line.isEmpty() && !line.startsWith(u'$')) {
            return line;
        }
    }
    return {};
}

// Where a program name found on the search path, or a path, leads; empty when to no executable file.
QString ProgramFile(const QString& program)
{
    if (program.contains(u'/')) {
        return QFileInfo(program).isExecutable() ? QFileInfo(program).absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

QString MissingCompiler(const QString& program)
{
    return QStringLiteral("无法启动CHM编译程序%1（它属于fp-utils软件包，请先安装）").arg(program);
}

bool MoveIntoPlace(const QString& from, const QString& to)
{
    // The compiler wrote into a private temporary file; the book is as readable as any other file.
    QFile::setPermissions(from, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                    QFileDevice::ReadOther);
    return Text::ReplaceFile(from, to).isEmpty();
}

} // namespace

ProjectSummary SummariseProject(const QString& projectText)
{
    ProjectSummary summary;
    QString section;
    QString windowHome;
    QString defaultWindow;
    QString firstWindowHome;
    ForEachLine(projectText, [&](const QString& line) {
        const QString name = SectionName(line);
        if (!name.isEmpty()) {
            section = name;
            return;
        }
        QString key;
        QString value;
        if (!SplitOption(line, key, value)) {
            return;
        }
        if (section == QLatin1String("OPTIONS")) {
            if (key == QLatin1String("compiled file")) {
                summary.compiledFile = value;
            } else if (key == QLatin1String("contents file")) {
                summary.contentsFile = value;
            } else if (key == QLatin1String("index file")) {
                summary.indexFile = value;
            } else if (key == QLatin1String("default topic")) {
                summary.hasDefaultTopic = true;
                summary.homePage = value;
            } else if (key == QLatin1String("default window")) {
                defaultWindow = value.toLower();
            }
        } else if (section == QLatin1String("WINDOWS")) {
            // name=title,contents,index,default page,home page,...
            const QStringList fields = value.split(u',');
            const QString home = fields.size() > 3 ? Unquoted(fields.at(3)) : QString();
            if (firstWindowHome.isEmpty()) {
                firstWindowHome = home;
            }
            if (key == defaultWindow) {
                windowHome = home;
            }
        }
    });
    if (!summary.hasDefaultTopic) {
        summary.homePage = windowHome.isEmpty() ? firstWindowHome : windowHome;
    }
    return summary;
}

void WriteCompilerProjectCopy(const QString& projectText, const QString& outputPath, const QStringList& files,
                              const std::function<void(const QByteArray& bytes)>& write)
{
    const ProjectSummary summary = SummariseProject(projectText);
    QString section;
    bool filesWritten = false;
    const auto writeFiles = [&] {
        write(LocalLine(QStringLiteral("[FILES]")));
        for (const QString& file : files) {
            write(FileSystemLine(file));
        }
        filesWritten = true;
    };
    ForEachLine(projectText, [&](const QString& line) {
        const QString name = SectionName(line);
        if (!name.isEmpty()) {
            section = name;
            if (section == QLatin1String("FILES")) {
                writeFiles();
                return;
            }
            write(LocalLine(line));
            if (section == QLatin1String("OPTIONS") && !summary.hasDefaultTopic &&
                !summary.homePage.isEmpty()) {
                write(FileSystemLine(QStringLiteral("Default topic = ") + summary.homePage));
            }
            return;
        }
        if (section == QLatin1String("FILES")) {
            return; // replaced by the listing
        }
        QString key;
        QString value;
        if (section == QLatin1String("OPTIONS") && SplitOption(line, key, value) &&
            key == QLatin1String("compiled file")) {
            write(FileSystemLine(QStringLiteral("Compiled file = ") + outputPath));
            return;
        }
        write(LocalLine(line));
    });
    if (!filesWritten) {
        writeFiles();
    }
}

QByteArray CompilerProjectCopy(const QString& projectText, const QString& outputPath,
                               const QStringList& files)
{
    QByteArray copy;
    WriteCompilerProjectCopy(projectText, outputPath, files,
                             [&copy](const QByteArray& bytes) { copy += bytes; });
    return copy;
}

QStringList FolderFiles(const QString& folder, const QStringList& excluded)
{
    QStringList files;
    const QDir root(folder);
    const QString prefix = QDir::cleanPath(folder) + u'/';
    QDirIterator it(folder, QDir::Files | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        // Cut to its own size: a relative path built up piece by piece keeps room to spare, which at
        // 300,000 files is tens of megabytes.
        QString relative = path.startsWith(prefix) ? path.mid(prefix.size()) : root.relativeFilePath(path);
        relative.squeeze();
        const bool unlistable =
            std::any_of(relative.cbegin(), relative.cend(), [](QChar c) { return c.unicode() < 32; });
        if (unlistable || excluded.contains(relative)) {
            continue;
        }
        files.append(relative);
    }
    std::sort(files.begin(), files.end());
    return files;
}

namespace {

// The compilers at work, for StopCompilesForExit.
QList<QProcess*>& RunningCompilers()
{
    static QList<QProcess*> running;
    return running;
}

} // namespace

int StopCompilesForExit()
{
    const QList<QProcess*> running = RunningCompilers();
    RunningCompilers().clear();
    for (QProcess* process : running) {
        // Its compile is never told: nothing runs after this but the end of the program.
        process->blockSignals(true);
        process->kill();
        process->waitForFinished(5000);
    }
    return int(running.size());
}

QCoro::Task<CompileOutcome> HHA_CompileHHP(QString projectPath, CompileLogCallback log,
                                           CompileProgressCallback progress, HelpCompilerSettings settings)
{
    CompileOutcome outcome;
    const QFileInfo projectInfo(projectPath);
    const QString projectFolder = projectInfo.absolutePath();

    if (ProgramFile(settings.program).isEmpty()) {
        outcome.reason = MissingCompiler(settings.program);
        co_return outcome;
    }
    QFile projectFile(projectPath);
    if (!projectFile.open(QIODevice::ReadOnly)) {
        outcome.reason = QStringLiteral("无法读取") + projectPath;
        co_return outcome;
    }
    QString projectText = Text::DecodeLocal(projectFile.readAll());
    projectFile.close();

    const ProjectSummary summary = SummariseProject(projectText);
    if (summary.compiledFile.isEmpty()) {
        outcome.reason = QStringLiteral("项目文件没有指定CHM文件名");
        co_return outcome;
    }
    outcome.chmPath = QDir::cleanPath(QDir(projectFolder).absoluteFilePath(summary.compiledFile));

    // What compiles of runs that have ended left behind; another run's compile keeps its files.
    Model::RemoveTemporaries(projectFolder, QStringLiteral(".hhp"));
    Model::RemoveTemporaries(QFileInfo(outcome.chmPath).absolutePath(), QStringLiteral(".chm"));
    // The list of what a backup is missing is no page of the book (the other records are hidden files,
    // which are never listed).
    QStringList excluded{projectInfo.fileName(), QString::fromLatin1(Assets::BackupSummary::FailedListName)};
    const QStringList namedFiles{summary.contentsFile, summary.indexFile};
    for (const QString& file : namedFiles) {
        if (!file.isEmpty()) {
            excluded.append(QDir::cleanPath(file));
        }
    }
    QStringList files = FolderFiles(projectFolder, excluded);

    BookInputs inputs("chm 1");
    if (!settings.stampPath.isEmpty()) {
        inputs.addFile("compiler", ProgramFile(settings.program));
        inputs.addText("book", outcome.chmPath);
        inputs.addText("project", projectText);
        for (const QString& file : namedFiles) {
            inputs.addContents("named", file.isEmpty() ? QString() : QDir(projectFolder).filePath(file));
        }
        inputs.addListing(projectFolder, files);
        if (BookIsCurrent(settings.stampPath, outcome.chmPath, inputs)) {
            outcome.made = true;
            outcome.reused = true;
            co_return outcome;
        }
    }

    // The compiler writes beside the final file under a name of its own.
    QTemporaryFile output(
        Model::OwnedTemporaryTemplate(QFileInfo(outcome.chmPath).absolutePath(), QStringLiteral(".chm")));
    if (!output.open()) {
        outcome.reason = QStringLiteral("无法写入") + outcome.chmPath;
        co_return outcome;
    }
    output.close();

    // Written as it is made: at 100,000 articles the listing alone is megabytes.
    QTemporaryFile copy(Model::OwnedTemporaryTemplate(projectFolder, QStringLiteral(".hhp")));
    qint64 copySize = 0;
    bool copyWritten = copy.open();
    if (copyWritten) {
        WriteCompilerProjectCopy(projectText, output.fileName(), files, [&](const QByteArray& bytes) {
            copyWritten = copyWritten && copy.write(bytes) == bytes.size();
            copySize += bytes.size();
        });
    }
    if (!copyWritten || !copy.flush()) {
        outcome.reason = QStringLiteral("无法写入") + projectFolder;
        co_return outcome;
    }
    copy.close();
    projectText = QString(); // megabytes at 100,000 articles, not needed while the compiler runs

    // The listing already names every file, so the compiler's own scan of the pages for more is skipped
    // (it takes a quarter of the time). It then says nothing per file: how far it is shows in what it has
    // read.
    qint64 before = copySize;
    for (const QString& file : namedFiles) {
        if (!file.isEmpty()) {
            before += std::max<qint64>(QFileInfo(QDir(projectFolder).filePath(file)).size(), 0);
        }
    }
    ListingProgress listing(projectFolder, files, before);
    const int filesListed = listing.filesListed();
    files = QStringList(); // not needed while the compiler runs, which can take many minutes
    int filesReported = 0;

    QStringList messages;
    QByteArray pending;
    bool stopped = false;
    QElapsedTimer silence;
    silence.start();
    // Declared after what its handlers use, so it goes first when the compile is abandoned.
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(projectFolder);
    const auto stop = [&] {
        if (!stopped) {
            stopped = true;
            process.kill();
        }
    };
    const auto takeMessage = [&](const QByteArray& bytes) {
        QString message = QString::fromUtf8(bytes);
        if (message.endsWith(u'\r')) {
            message.chop(1);
        }
        messages.append(message);
        if (messages.size() > 200) {
            messages.removeFirst();
        }
        if (log && !log(message)) {
            stop();
        }
    };
    const auto reportFiles = [&](int filesDone) {
        if (filesDone > filesReported && !stopped) {
            filesReported = filesDone;
            if (progress && !progress(filesDone, filesListed)) {
                stop();
            }
        }
    };
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [&] {
        silence.restart();
        pending += process.readAllStandardOutput();
        qsizetype end = 0;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            takeMessage(line);
        }
    });

    const auto detach = qScopeGuard([&process] { QObject::disconnect(&process, nullptr, nullptr, nullptr); });
    // The compiler goes with the program, also when the program is killed.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(settings.program, {QStringLiteral("--no-html-scan"), QFileInfo(copy.fileName()).fileName()},
                  QIODevice::ReadOnly);
    RunningCompilers().append(&process);
    const auto unlist = qScopeGuard([&process] { RunningCompilers().removeOne(&process); });

    bool silent = false;
    qint64 traffic = -1;
    qint64 cpuTicks = -1;
    FileChange book(output.fileName());
    book.changed();
    while (process.state() != QProcess::NotRunning) {
        const int wait = std::clamp(settings.silenceLimitMs - int(silence.elapsed()), 1, ProgressPollMs);
        co_await qCoro(process).waitForFinished(wait);
        if (process.state() == QProcess::NotRunning) {
            break;
        }
        // Reading and writing files is a sign of life as good as a message, and so is a book that grows.
        // Where the reading and writing cannot be read, the processor time the compiler uses stands for
        // it: the compiler writes its book only at the end and keeps it in memory until then.
        const ProcessActivity activity =
            settings.readActivity ? settings.readActivity(process.processId()) : ProcessActivity{};
        bool alive = book.changed();
        if (const auto& now = activity.traffic) {
            if (now->read + now->written != traffic) {
                traffic = now->read + now->written;
                alive = true;
            }
            reportFiles(listing.filesDone(now->read));
        } else if (activity.cpuTicks && *activity.cpuTicks != cpuTicks) {
            cpuTicks = *activity.cpuTicks;
            alive = true;
        }
        if (alive) {
            silence.restart();
        }
        if (silence.elapsed() >= settings.silenceLimitMs) {
            silent = true;
            process.kill();
            co_await qCoro(process).waitForFinished(5000);
            break;
        }
    }
    pending += process.readAllStandardOutput();
    if (!pending.isEmpty()) {
        takeMessage(pending);
        pending.clear();
    }
    if (!stopped && !silent && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
        reportFiles(filesListed); // a compile that ends well has dealt with every file
    }

    if (process.error() == QProcess::FailedToStart) {
        outcome.reason = MissingCompiler(settings.program);
    } else if (stopped) {
        outcome.reason = QStringLiteral("已中止");
    } else if (silent) {
        outcome.reason = QStringLiteral("CHM编译程序长时间没有反应，已停止");
    } else if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        outcome.reason = QStringLiteral("CHM编译程序出错（退出码%1）").arg(process.exitCode());
        const QString problem = ProblemLine(messages);
        if (!problem.isEmpty()) {
            outcome.reason += QStringLiteral("：") + problem;
        }
        if (problem.startsWith(DiskFullWords)) {
            outcome.writeCause = problem;
        }
    } else if (QFileInfo(output.fileName()).size() <= 0) {
        outcome.reason = QStringLiteral("CHM编译程序没有生成文件");
    } else {
        // Readers that walk the listing would miss pages of a CHM whose listing takes several chunks.
        RepairListingStart(output.fileName());
        if (MoveIntoPlace(output.fileName(), outcome.chmPath)) {
            outcome.made = true;
            if (!settings.stampPath.isEmpty()) {
                StampBook(settings.stampPath, outcome.chmPath, inputs);
            }
        } else {
            outcome.reason = QStringLiteral("无法写入") + outcome.chmPath;
        }
    }
    co_return outcome;
}

} // namespace Output
