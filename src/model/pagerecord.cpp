#include "model/pagerecord.h"

#include "model/runstate.h"
#include "text/recordfile.h"
#include "text/recordwriter.h"
#include "text/textfiles.h"

namespace Model {

namespace {

const QByteArray SavedWord = "saved";
const QByteArray FailedWord = "failed";
const QByteArray DeletedWord = "deleted";

QByteArray Word(PageRecord::Outcome outcome)
{
    switch (outcome) {
    case PageRecord::Outcome::Saved:
        break;
    case PageRecord::Outcome::Failed:
        return FailedWord;
    case PageRecord::Outcome::Deleted:
        return DeletedWord;
    }
    return SavedWord;
}

bool ReadWord(const QByteArray& word, PageRecord::Outcome* outcome)
{
    if (word == SavedWord) {
        *outcome = PageRecord::Outcome::Saved;
    } else if (word == FailedWord) {
        *outcome = PageRecord::Outcome::Failed;
    } else if (word == DeletedWord) {
        *outcome = PageRecord::Outcome::Deleted;
    } else {
        return false;
    }
    return true;
}

} // namespace

PageRecord::PageRecord(const QString& taskFolder, Text::RecordWriter* writer)
    : m_path(Text::JoinPath(taskFolder, QString::fromLatin1(FileName))), m_writer(writer)
{
    Text::ForEachRecordLine(m_path, [this](const QList<QByteArray>& fields) {
        Entry entry;
        if (fields.size() != 4 || fields.at(1).isEmpty() || !ReadWord(fields.at(0), &entry.outcome)) {
            return;
        }
        entry.address = Text::UnescapeRecordField(fields.at(2));
        entry.reason = Text::UnescapeRecordField(fields.at(3));
        m_entries.insert(Text::UnescapeRecordField(fields.at(1)), entry);
    });
}

QString PageRecord::pageName(const RunState& state, int row)
{
    const QString page = state.articlePagePath(row);
    const QString folder = state.taskFolder() + u'/';
    return page.startsWith(folder) ? page.mid(folder.size()) : page;
}

bool PageRecord::failed(const QString& page) const
{
    const auto found = m_entries.constFind(page);
    return found != m_entries.cend() && found->outcome == Outcome::Failed;
}

bool PageRecord::record(const QString& page, const Entry& entry)
{
    if (entry.outcome == Outcome::Saved && !m_entries.contains(page)) {
        return true;
    }
    m_entries.insert(page, entry);
    const QList<QByteArray> fields = {Word(entry.outcome), Text::EscapeRecordField(page),
                                      Text::EscapeRecordField(entry.address),
                                      Text::EscapeRecordField(entry.reason)};
    return m_writer != nullptr ? m_writer->append(m_path, fields) : Text::AppendRecordLine(m_path, fields);
}

} // namespace Model
