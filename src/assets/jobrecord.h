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

    bool operator==(const RecordedJob&) const = default;
};

// The jobs ever queued for a task, kept in the task folder so that a later run (after a kill, a crash or
// a restart) queues again every job whose file is still missing, also for article pages that an earlier
// run saved. The file only grows, one line a job, and survives being cut off anywhere: a last line
// without its line break is ignored and the next job starts on a line of its own.
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
    void forEach(const std::function<void(const RecordedJob&)>& visit) const;

private:
    QString m_path;
    Text::RecordWriter* m_writer;
};

// Queues a job of page assembly (an image, a comment page) and records it in the task folder. Throws
// Failure (WriteFailure for a full disk) when the job cannot be recorded.
void QueueAssetJob(Model::RunState& state, int kind, const QString& address, const QString& folder);

} // namespace Assets
