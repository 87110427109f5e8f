#pragma once

#include <QList>
#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

namespace Model {

class RunState;

// The task file (task name + ".ini" in the program folder) holds a saved article list:
//   an empty line, the blog address, the platform code, the task name, the images and comments
//   switches ("True"/"False"), for a task with a cookie file a line "Cookies=" and its path (never a
//   cookie), for a task taken from a web archive a line "Archive=" and the day ("YYYYMMDD") or "newest",
//   two empty lines; then per article its row number, title, category, link,
//   date and position in the category on six lines, followed by two empty lines. Every line ends in
//   CR LF. Each record has exactly eight lines, so it is read line by line rather than split at empty
//   lines: a column that is empty (an article without a date) survives the round trip.

// One article as the task file holds it.
struct TaskFileRecord
{
    QString title;
    QString category;
    QString link;
    QString date;
};

// A task file as read.
struct TaskFile
{
    QString blogAddress;
    int platformCode = 0;
    QString taskName;
    bool fetchImages = false;
    bool fetchComments = false;
    QString cookieFile; // empty when the task has none, as in every file written before there were any
    // Where the pages come from: the live site in every file written before there were archive tasks.
    bool fromArchive = false;
    QString archiveDate; // with fromArchive: "YYYYMMDD", empty for the newest captures
    QList<TaskFileRecord> records;
    // False when the file ends inside a record or a record is out of line: the records before it were
    // read, the rest was not.
    bool complete = true;
};

// The task file's text for the current task and article list (without the last line end).
QString TaskFileText(const RunState& state);

// Reads a task file's text. Throws Text::Failure when its header is not that of a task file (an
// "Archive=" line that names no day counts as such).
TaskFile ParseTaskFile(const QString& text);
// Reads a task file from disk. Throws Text::Failure when it cannot be read or is no task file.
TaskFile ReadTaskFile(const QString& path);

// Writes the task file of the current task. Throws Text::Failure when it cannot be written.
void expini(RunState& state);

// Reads a task file into the current task and appends its articles to the article list, showing the
// progress in the status line. Throws Text::Failure when the file cannot be read or is no task file;
// then nothing has changed.
QCoro::Task<> loadini(RunState& state, QString fileName);
// The same for a file already read.
QCoro::Task<> LoadTaskFile(RunState& state, TaskFile file);

// The 导出 command: writes the task file and reports the outcome in the status line.
void ExportTaskList(RunState& state);
// The 导入 command once a file was chosen: loads it as the current task and reports the outcome. An
// unreadable file or one that is no task file leaves the current task and list untouched.
QCoro::Task<> ImportTaskList(RunState& state, QString fileName);

// The discovery checkpoint find.dat: the list page just processed.
void WriteCheckpoint(RunState& state, int page);

// What ReadCheckpoint found: nothing to resume, the user declined, or the page to go on with.
struct CheckpointAnswer
{
    enum class Kind { Nothing, Declined, Resume } kind = Kind::Nothing;
    int page = 0;

    std::optional<int> resumePage() const
    {
        return kind == Kind::Resume ? std::optional<int>(page) : std::nullopt;
    }
};

// Offers to resume an interrupted search of the current task. On yes the rows saved so far are loaded
// from the task file; when that file is missing or belongs to another task the search starts afresh.
// On no find.dat is deleted. A find.dat of another task is left alone.
QCoro::Task<CheckpointAnswer> ReadCheckpoint(RunState& state);

} // namespace Model
