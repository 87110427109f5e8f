#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace Model {
class RunState;
}

namespace Text {
class RecordWriter;
}

namespace Assets {

// One image or comment page that page assembly queued.
struct RecordedJob
{
    int kind = 0;
    QString address;
    QString folder;
    // The page of the article the job belongs to, as the page record names it (its path inside the task
    // folder); empty on the lines of older versions, which did not name it.
    QString article;

    bool operator==(const RecordedJob&) const = default;
};

// How reading the record went: a record that cannot be read, or holds lines that are no jobs (binary,
// re-encoded, emptied), has lost jobs that only the saved pages still know of.
struct JobRecordHealth
{
    bool readable = true;
    bool empty = false; // the file is there but holds nothing: it never is when the program wrote it
    int damagedLines = 0;

    bool damaged() const { return !readable || empty || damagedLines > 0; }
};

// The jobs ever queued for a task, kept in the task folder so that a later run (after a kill, a crash or
// a restart) queues again every job whose file is still missing, also for article pages that an earlier
// run saved. The file only grows, one line a job ("kind, folder, address, article"), and survives being
// cut off anywhere: a last line without its line break is ignored and the next job starts on a line of
// its own.
class JobRecord
{
public:
    static constexpr const char* FileName = ".qvlrx-jobs";

    // Lines go through the writer where one is given; else the record is opened for every line.
    explicit JobRecord(const QString& taskFolder, Text::RecordWriter* writer = nullptr);

    QString path() const { return m_path; }

    // Adds a job at the end of the record; false when the record cannot be written.
    bool append(const RecordedJob& job) const;
    // The recorded jobs in the order they were queued, each once.
    QList<RecordedJob> read() const;
    // The same one job at a time, read a line at a time, so that a record of 200,000 jobs is never held
    // whole. A job seen before is known by a 64-bit hash of its fields, not by the fields themselves.
    JobRecordHealth forEach(const std::function<void(const RecordedJob&)>& visit) const;
    // Writes the record anew with just these jobs, in one step (none: the record goes); false when it
    // cannot be written.
    bool rewrite(const QList<RecordedJob>& jobs) const;

private:
    QString m_path;
    Text::RecordWriter* m_writer;
};

// The recorded jobs that belong to an article of the list, each file once: a job counts, and is queued
// again, only while its article is listed, so that images of articles the blog no longer lists are
// forgotten. Lines of older versions name no article; they count while their folder (the category)
// still holds a listed article: all their articles may still be listed, and a whole category that left
// the list takes them along.
JobRecordHealth ForEachListedJob(const Model::RunState& state,
                                 const std::function<void(const RecordedJob&)>& visit);

// Queues a job of page assembly (an image, a comment page) for the article page named as the page record
// names it, and records it in the task folder. False when the record cannot be written: the job is
// queued all the same, and the run names the record's trouble. Throws WriteFailure when the disk is full
// or cannot be written: the page then fails and the run stops writing.
bool QueueAssetJob(Model::RunState& state, int kind, const QString& address, const QString& folder,
                   const QString& article);

} // namespace Assets
