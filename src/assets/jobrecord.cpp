#include "assets/jobrecord.h"

#include "assets/assetfetcher.h"
#include "model/pagerecord.h"
#include "model/runstate.h"
#include "text/failure.h"
#include "text/recordfile.h"
#include "text/recordwriter.h"
#include "text/safefilename.h"
#include "text/textfiles.h"
#include "text/writefailure.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>

namespace Assets {

namespace {

QString FileKey(const RecordedJob& job)
{
    return QString::number(job.kind) + u'\t' + job.folder + u'\t' + job.address;
}

QList<QByteArray> Fields(const RecordedJob& job)
{
    return {QByteArray::number(job.kind), Text::EscapeRecordField(job.folder),
            Text::EscapeRecordField(job.address), Text::EscapeRecordField(job.article)};
}

} // namespace

JobRecord::JobRecord(const QString& taskFolder, Text::RecordWriter* writer)
    : m_path(Text::JoinPath(taskFolder, QString::fromLatin1(FileName))), m_writer(writer)
{
}

bool JobRecord::append(const RecordedJob& job) const
{
    return m_writer != nullptr ? m_writer->append(m_path, Fields(job))
                               : Text::AppendRecordLine(m_path, Fields(job));
}

JobRecordHealth JobRecord::forEach(const std::function<void(const RecordedJob&)>& visit) const
{
    JobRecordHealth health;
    QSet<size_t> seen;
    const Text::RecordReading reading = Text::ForEachRecordLine(m_path, [&](const QList<QByteArray>& fields) {
        bool isNumber = false;
        // Lines of older versions have no article field.
        const int kind = fields.size() == 3 || fields.size() == 4 ? fields.at(0).toInt(&isNumber) : -1;
        if (!isNumber || kind < 0 || fields.at(2).isEmpty()) {
            ++health.damagedLines;
            return;
        }
        const RecordedJob job{kind, Text::UnescapeRecordField(fields.at(2)),
                              Text::UnescapeRecordField(fields.at(1)),
                              fields.size() == 4 ? Text::UnescapeRecordField(fields.at(3)) : QString()};
        const size_t key = qHash(FileKey(job) + u'\t' + job.article);
        if (!seen.contains(key)) {
            seen.insert(key);
            visit(job);
        }
    });
    health.readable = reading.readable;
    health.damagedLines += reading.damagedLines;
    const QFileInfo file(m_path);
    health.empty = file.isFile() && file.size() == 0;
    return health;
}

QList<RecordedJob> JobRecord::read() const
{
    QList<RecordedJob> jobs;
    forEach([&](const RecordedJob& job) { jobs.append(job); });
    return jobs;
}

bool JobRecord::rewrite(const QList<RecordedJob>& jobs) const
{
    if (jobs.isEmpty()) {
        // No record is sound; an empty one would read as damaged.
        return !QFileInfo::exists(m_path) || QFile::remove(m_path);
    }
    QByteArray bytes;
    for (const RecordedJob& job : jobs) {
        bytes += Fields(job).join('\t') + "\t.\n";
    }
    try {
        Text::WriteBytesFileAt(m_path, bytes);
    } catch (const Text::Failure&) {
        return false;
    }
    return true;
}

JobRecordHealth ForEachListedJob(const Model::RunState& state,
                                 const std::function<void(const RecordedJob&)>& visit)
{
    QSet<QString> articles;
    QSet<QString> folders;
    for (int row = 1; row <= state.articles.articleCount(); ++row) {
        articles.insert(Model::PageRecord::pageName(state, row));
        folders.insert(Text::SafeFileName(state.articles.category(row)));
    }
    QSet<size_t> seen;
    return JobRecord(state.taskFolder()).forEach([&](const RecordedJob& job) {
        const bool listed =
            job.article.isEmpty() ? folders.contains(job.folder) : articles.contains(job.article);
        const size_t key = qHash(FileKey(job));
        if (listed && !seen.contains(key)) {
            seen.insert(key);
            visit(job);
        }
    });
}

bool QueueAssetJob(Model::RunState& state, int kind, const QString& address, const QString& folder,
                   const QString& article)
{
    // Recorded first: a kill between the two steps leaves a job that the next run queues again. A full or
    // read-only disk stops the run (the page fails and is fetched again with its jobs); any other trouble
    // is named, and the saved pages stand in for the record on the next run.
    errno = 0;
    const bool recorded =
        JobRecord(state.taskFolder(), &state.records).append({kind, address, folder, article});
    if (!recorded) {
        const int error = errno;
        if (!Text::FolderWriteCause(error).isEmpty()) {
            Text::ThrowWriteError(QStringLiteral("无法记录%1").arg(address.left(200)), error);
        }
        if (state.assetFetcher != nullptr) {
            state.assetFetcher->noteRecordTrouble(AssetFetcher::RecordTrouble::Unwritable);
        }
    }
    state.assets.AddAssetRow(kind, address, folder, state.listScrolling);
    return recorded;
}

} // namespace Assets
