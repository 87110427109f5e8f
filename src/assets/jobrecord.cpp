#include "assets/jobrecord.h"

#include "model/runstate.h"
#include "text/recordfile.h"
#include "text/recordwriter.h"
#include "text/textfiles.h"
#include "text/writefailure.h"

#include <QSet>

#include <cerrno>

namespace Assets {

namespace {

QString JobKey(const RecordedJob& job)
{
    return QString::number(job.kind) + u'\t' + job.folder + u'\t' + job.address;
}

} // namespace

JobRecord::JobRecord(const QString& taskFolder, Text::RecordWriter* writer)
    : m_path(Text::JoinPath(taskFolder, QString::fromLatin1(FileName))), m_writer(writer)
{
}

bool JobRecord::append(const RecordedJob& job) const
{
    const QList<QByteArray> fields = {QByteArray::number(job.kind), Text::EscapeRecordField(job.folder),
                                      Text::EscapeRecordField(job.address)};
    return m_writer != nullptr ? m_writer->append(m_path, fields) : Text::AppendRecordLine(m_path, fields);
}

void JobRecord::forEach(const std::function<void(const RecordedJob&)>& visit) const
{
    QSet<size_t> seen;
    Text::ForEachRecordLine(m_path, [&](const QList<QByteArray>& fields) {
        bool isNumber = false;
        const int kind = fields.size() == 3 ? fields.at(0).toInt(&isNumber) : -1;
        if (!isNumber || kind < 0 || fields.at(2).isEmpty()) {
            return;
        }
        const RecordedJob job{kind, Text::UnescapeRecordField(fields.at(2)),
                              Text::UnescapeRecordField(fields.at(1))};
        const size_t key = qHash(JobKey(job));
        if (!seen.contains(key)) {
            seen.insert(key);
            visit(job);
        }
    });
}

QList<RecordedJob> JobRecord::read() const
{
    QList<RecordedJob> jobs;
    forEach([&](const RecordedJob& job) { jobs.append(job); });
    return jobs;
}

void QueueAssetJob(Model::RunState& state, int kind, const QString& address, const QString& folder)
{
    // Recorded first: a kill between the two steps leaves a job that the next run queues again. A job
    // that cannot be recorded fails the page it belongs to, which the next run fetches again with it.
    errno = 0;
    if (!JobRecord(state.taskFolder(), &state.records).append({kind, address, folder})) {
        Text::ThrowWriteError(QStringLiteral("cannot record %1").arg(address.left(200)), errno);
    }
    state.assets.AddAssetRow(kind, address, folder, state.listScrolling);
}

} // namespace Assets
