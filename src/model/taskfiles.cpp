#include "model/taskfiles.h"

#include "model/archivesource.h"
#include "model/autoconfig.h"
#include "model/runstate.h"
#include "model/tasklogin.h"
#include "model/taskname.h"
#include "model/tasksource.h"
#include "text/failure.h"
#include "text/matching.h"
#include "text/pagefetch.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

namespace Model {

namespace {

const QString LineEnd = QStringLiteral("\r\n");
constexpr int HeaderLines = 8; // the empty first line, five values, two empty lines
constexpr int RecordLines = 8; // six columns, two empty lines
// Starts the header line that names the task's cookie file, after the switches; a task without one has
// no such line, so its file reads as before.
const QString CookieFileKey = QStringLiteral("Cookies=");
// Starts the header line of a task that takes its pages from a web archive: the day of the captures or
// NewestCaptures. Either optional line may come first.
const QString ArchiveKey = QStringLiteral("Archive=");
const QString NewestCaptures = QStringLiteral("newest");

QString CheckpointPath(const RunState& state)
{
    return state.pathInProgramFolder(QStringLiteral("find.dat"));
}

QString TaskFileName(const QString& taskName)
{
    return taskName + QStringLiteral(".ini");
}

QString TruthText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// A value must stay on its line: a line break inside it would shift every later record.
QString OneLine(const QString& value)
{
    return Text::Replace(value, LineEnd, QStringLiteral(" "));
}

bool IsWholeNumber(const QString& text)
{
    try {
        Text::ToWholeNumber(text);
        return true;
    } catch (const Text::Failure&) {
        return false;
    }
}

bool AllEmpty(const QStringList& lines, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i) {
        if (!lines.at(i).isEmpty()) {
            return false;
        }
    }
    return true;
}

} // namespace

QString TaskFileText(const RunState& state)
{
    QStringList lines;
    lines << QString() << OneLine(state.task.BlogAddress) << Text::Num(state.task.PlatformCode)
          << OneLine(state.task.TaskName) << TruthText(state.task.FetchImages)
          << TruthText(state.task.FetchComments);
    if (!state.task.CookieFile.isEmpty()) {
        lines << CookieFileKey + OneLine(state.task.CookieFile);
    }
    if (state.task.FromArchive) {
        lines << ArchiveKey +
                     (state.task.ArchiveDate.isEmpty() ? NewestCaptures : OneLine(state.task.ArchiveDate));
    }
    lines << QString() << QString();
    const ArticleList& articles = state.articles;
    for (int row = 1; row <= articles.gridRowCount() - 2; ++row) {
        for (int column = ArticleList::NumberColumn; column <= ArticleList::PositionColumn; ++column) {
            lines << OneLine(articles.text(row, column));
        }
        lines << QString() << QString();
    }
    return lines.join(LineEnd);
}

TaskFile ParseTaskFile(const QString& text)
{
    // Files of this program end their lines in CR LF; a file edited elsewhere may use line feeds only.
    const QString separator = text.contains(LineEnd) ? LineEnd : QStringLiteral("\n");
    const QStringList lines = text.split(separator);
    // lines.last() is what follows the last line end: empty in a complete file.
    const qsizetype end = lines.size() - 1;
    if (end < 6) {
        throw Text::Failure(QStringLiteral("not a task file: the header is incomplete"));
    }
    TaskFile file;
    file.blogAddress = lines.at(1);
    try {
        file.platformCode = Text::ToInt(lines.at(2));
    } catch (const Text::Failure&) {
        throw Text::Failure(QStringLiteral("not a task file: no platform code"));
    }
    if (!IsPlatformCode(file.platformCode)) {
        throw Text::Failure(QStringLiteral("not a task file: unknown platform %1").arg(file.platformCode));
    }
    file.taskName = lines.at(3);
    if (file.taskName.isEmpty()) {
        throw Text::Failure(QStringLiteral("not a task file: no task name"));
    }
    file.fetchImages = ConfigTruth(lines.at(4));
    file.fetchComments = ConfigTruth(lines.at(5));

    qsizetype headerLines = HeaderLines;
    bool cookieLine = false;
    bool archiveLine = false;
    for (qsizetype i = 6; i < end; ++i) {
        const QString& line = lines.at(i);
        if (!cookieLine && line.startsWith(CookieFileKey)) {
            file.cookieFile = line.mid(CookieFileKey.size());
            cookieLine = true;
        } else if (!archiveLine && line.startsWith(ArchiveKey)) {
            const QString value = line.mid(ArchiveKey.size()).trimmed();
            file.fromArchive = true;
            if (value.compare(NewestCaptures, Qt::CaseInsensitive) != 0) {
                const std::optional<QString> day = ArchiveDay(value);
                if (!day) {
                    throw Text::Failure(QStringLiteral("not a task file: no archive day in ") + line);
                }
                file.archiveDate = *day;
            }
            archiveLine = true;
        } else {
            break;
        }
        ++headerLines;
    }
    if (end < headerLines) {
        file.complete = false;
        return file;
    }
    if (!lines.at(headerLines - 2).isEmpty() || !lines.at(headerLines - 1).isEmpty()) {
        file.complete = false;
        return file;
    }
    qsizetype pos = headerLines;
    // A record is taken when its six column lines are all there; its row number must be a number and the
    // lines after its columns must be empty, or the file is out of line from here on.
    while (pos + 6 <= end) {
        const bool inLine = IsWholeNumber(lines.at(pos)) && (pos + 6 >= end || lines.at(pos + 6).isEmpty()) &&
                            (pos + 7 >= end || lines.at(pos + 7).isEmpty());
        if (!inLine) {
            break;
        }
        file.records.append(
            TaskFileRecord{lines.at(pos + 1), lines.at(pos + 2), lines.at(pos + 3), lines.at(pos + 4)});
        pos += RecordLines;
    }
    // Complete: every line was read and the text ends with a line end (extra empty lines do no harm).
    file.complete = pos <= end && AllEmpty(lines, pos, end + 1);
    return file;
}

TaskFile ReadTaskFile(const QString& path)
{
    return ParseTaskFile(Text::ReadLocalFile(path));
}

void expini(RunState& state)
{
    Text::WriteTextFile(state.programFolder, TaskFileName(state.task.TaskName), TaskFileText(state));
}

QCoro::Task<> LoadTaskFile(RunState& state, TaskFile file)
{
    if (!TaskNameProblem(file.taskName).isEmpty()) {
        throw Text::Failure(TaskNameRefusal(file.taskName));
    }
    state.task.BlogAddress = file.blogAddress;
    state.task.PlatformCode = file.platformCode;
    state.task.TaskName = file.taskName;
    state.task.FetchImages = file.fetchImages;
    state.task.FetchComments = file.fetchComments;
    // Block i of the file is record i; the last block is the line end after the last record.
    const int lastBlock = int(file.records.size()) + 1;
    for (int i = 1; i < lastBlock; ++i) {
        if (i % 100 == 0) {
            co_await Text::LetEventsRun();
        }
        state.setStatus(QStringLiteral("导入任务：") + Text::Num(i + 1) + u'/' + Text::Num(lastBlock));
        const TaskFileRecord& record = file.records.at(i - 1);
        state.addArticleRow(record.title, record.category, record.link, record.date);
    }
}

QCoro::Task<> loadini(RunState& state, QString fileName)
{
    co_await LoadTaskFile(state, ReadTaskFile(fileName));
}

void ExportTaskList(RunState& state)
{
    const QString name = TaskFileName(state.task.TaskName);
    try {
        expini(state);
        state.setStatus(name + QStringLiteral(" 导出成功! 放在程序目录"));
    } catch (const Text::Failure&) {
        state.setStatus(QStringLiteral("导出失败：无法写入") + name);
    }
}

QCoro::Task<> ImportTaskList(RunState& state, QString fileName)
{
    if (fileName.isEmpty()) {
        co_return;
    }
    if (state.discoveryRunning || state.downloadRunning) {
        state.setStatus(QStringLiteral("正在查找或下载文章，请完成后再导入"));
        co_return;
    }
    TaskFile file;
    try {
        file = ReadTaskFile(fileName);
    } catch (const Text::Failure&) {
        state.setStatus(QStringLiteral("导入失败：") + QFileInfo(fileName).fileName() +
                        QStringLiteral(" 不是可读的任务文件"));
        co_return;
    }
    // A task file from elsewhere must not make the program write outside its folder.
    if (!TaskNameProblem(file.taskName).isEmpty()) {
        state.setStatus(QStringLiteral("导入失败：") + TaskNameRefusal(file.taskName));
        co_return;
    }
    if (const TaskLock::Result held = HoldTask(state, file.taskName);
        held.outcome == TaskLock::Outcome::Busy) {
        state.setStatus(QStringLiteral("导入失败：") + held.text);
        co_return;
    }
    state.discoveryRunning = true;
    const auto running = qScopeGuard([&state] { state.discoveryRunning = false; });
    state.ResetArticleList();
    const bool complete = file.complete;
    const QString cookieFile = file.cookieFile;
    const bool fromArchive = file.fromArchive;
    const QString archiveDate = file.archiveDate;
    bool interrupted = false;
    try {
        co_await LoadTaskFile(state, std::move(file));
    } catch (const Text::Failure&) {
        interrupted = true;
    }
    // The task's login comes with it; an earlier task's goes.
    state.task.CookieFile = cookieFile;
    // So do its source and day: a file without them is a task of the live site.
    state.task.FromArchive = fromArchive;
    state.task.ArchiveDate = archiveDate;
    UseTaskSource(state);
    QString login;
    try {
        login = UseTaskLogin(state);
    } catch (const Text::Failure& failure) {
        login = failure.message() + QStringLiteral("，下载时不带登录");
    }
    const QString task = QStringLiteral("导入") + state.profile().Name + QStringLiteral(": ") +
                         state.task.TaskName + ArchiveSourceNote(state.task);
    const QString count = Text::Num(state.articles.articleCount());
    QString text;
    if (interrupted) {
        text = task + QStringLiteral(" 未完成，已导入") + count + QStringLiteral("篇文章");
    } else if (!complete) {
        text =
            task + QStringLiteral(" 任务文件不完整，已导入") + count + QStringLiteral("篇文章，请按下载开始");
    } else {
        text = task + QStringLiteral(" 成功! 请按下载开始");
    }
    state.setStatus(login.isEmpty() ? text : text + QStringLiteral("；") + login);
    state.SetCommandStates(true, true, false, true, false, true);
}

void WriteCheckpoint(RunState& state, int page)
{
    Text::WriteTextFile(state.programFolder, QStringLiteral("find.dat"),
                        QStringLiteral("<blog>") + Text::Num(state.task.PlatformCode) +
                            QStringLiteral("</blog><name>") + state.task.TaskName +
                            QStringLiteral("</name><page>") + Text::Num(page) + QStringLiteral("</page>"));
}

QCoro::Task<CheckpointAnswer> ReadCheckpoint(RunState& state)
{
    const QString path = CheckpointPath(state);
    if (!QFileInfo::exists(path)) {
        co_return CheckpointAnswer{};
    }
    int code = 0;
    int page = 0;
    QString name;
    try {
        const QString text = Text::ReadLocalFile(path);
        const QString line = text.section(u'\n', 0, 0).remove(u'\r');
        code = Text::ToInt(Text::TextBetween(line, QStringLiteral("<blog>"), QStringLiteral("</blog>"), 0));
        name = Text::TextBetween(line, QStringLiteral("<name>"), QStringLiteral("</name>"), 0);
        page = Text::ToInt(Text::TextBetween(line, QStringLiteral("<page>"), QStringLiteral("</page>"), 0));
    } catch (const Text::Failure&) {
        // Unreadable or cut short: it cannot be this task's checkpoint.
        co_return CheckpointAnswer{};
    }
    if (name != state.task.TaskName || code != state.task.PlatformCode) {
        co_return CheckpointAnswer{};
    }
    const QString question = QStringLiteral("检测到上次查找文章异常中断，是否继续?") + LineEnd +
                             state.profiles[code].Name + QStringLiteral(" : ") + state.task.TaskName +
                             QStringLiteral("  第") + Text::Num(page) + QStringLiteral("页");
    if (!state.ui.ask(QStringLiteral("提示"), question)) {
        QFile::remove(path);
        co_return CheckpointAnswer{CheckpointAnswer::Kind::Declined, 0};
    }
    // Going on from the next page needs the rows found so far; without them the search starts afresh.
    TaskFile file;
    try {
        file = ReadTaskFile(state.pathInProgramFolder(TaskFileName(state.task.TaskName)));
    } catch (const Text::Failure&) {
        co_return CheckpointAnswer{};
    }
    if (file.taskName != state.task.TaskName || file.platformCode != state.task.PlatformCode) {
        co_return CheckpointAnswer{};
    }
    try {
        co_await LoadTaskFile(state, std::move(file));
    } catch (const Text::Failure&) {
        state.ResetArticleList();
        co_return CheckpointAnswer{};
    }
    co_return CheckpointAnswer{CheckpointAnswer::Kind::Resume, page + 1};
}

} // namespace Model
