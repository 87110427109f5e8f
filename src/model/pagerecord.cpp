#include "model/pagerecord.h"

#include "model/runstate.h"
#include "text/recordfile.h"
#include "text/recordwriter.h"
#include "text/textfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace Model {

namespace {

const QByteArray SavedWord = "saved";
const QByteArray FailedWord = "failed";
const QByteArray DeletedWord = "deleted";
// When a failed or deleted page was fetched, and how often it came without its article.
const QByteArray TriedWord = "tried";
// The last field of every complete line.
const QByteArray EndMark = ".";

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

// Bytes that a run writes into its record: UTF-8 text without control characters but the tab. A line
// that a kill cut off may end inside a character.
bool WrittenByARun(const QByteArray& line, bool cutOff)
{
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7f) {
            return false;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)utf8.decode(cutOff ? line : line + '\n');
    return !utf8.hasError();
}

// A line a kill cut short begins like a line of the record.
bool BeginsLikeALine(const QByteArray& line)
{
    const QByteArray word = line.left(line.indexOf('\t'));
    for (const QByteArray& known : {SavedWord, FailedWord, DeletedWord, TriedWord}) {
        if (!word.isEmpty() && known.startsWith(word)) {
            return true;
        }
    }
    return false;
}

} // namespace

PageRecord::PageRecord(const QString& taskFolder, Text::RecordWriter* writer)
    : m_path(Text::JoinPath(taskFolder, QString::fromLatin1(FileName))), m_writer(writer)
{
    read();
}

void PageRecord::read()
{
    const QFileInfo info(m_path);
    if (!info.exists() && !info.isSymLink()) {
        return;
    }
    if (info.isDir()) {
        m_problem = QStringLiteral("文章下载记录%1是一个文件夹，无法读取").arg(m_path);
        return;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_problem = QStringLiteral("文章下载记录%1无法读取（%2）").arg(m_path, file.errorString());
        return;
    }
    if (file.size() == 0) {
        m_problem = QStringLiteral("文章下载记录%1是空的").arg(m_path);
        return;
    }
    int unreadable = 0;
    for (bool first = true; !file.atEnd(); first = false) {
        QByteArray line = file.readLine();
        if (first && line.startsWith("\xEF\xBB\xBF")) {
            line.remove(0, 3); // saved again by an editor
        }
        const bool complete = line.endsWith('\n');
        if (complete) {
            line.chop(1);
        }
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        QList<QByteArray> fields = line.split('\t');
        if (!complete || fields.size() < 2 || fields.last() != EndMark) {
            // Cut off by a kill: the last line, or one that the next run closed before writing its own.
            unreadable += WrittenByARun(line, !complete) && BeginsLikeALine(line) ? 0 : 1;
            continue;
        }
        fields.removeLast();
        if (!WrittenByARun(line, false)) {
            ++unreadable;
            continue;
        }
        Entry entry;
        if (fields.at(0) == TriedWord) {
            bool known = false;
            const qint64 seconds = fields.size() == 4 ? fields.at(2).toLongLong(&known) : 0;
            const auto found =
                known ? m_entries.find(Text::UnescapeRecordField(fields.at(1))) : m_entries.end();
            if (!known) {
                ++unreadable;
            } else if (found != m_entries.end()) {
                found->tried = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
                found->bodiless = std::max(0, fields.at(3).toInt());
            }
        } else if (ReadWord(fields.at(0), &entry.outcome)) {
            if (fields.size() != 4 || fields.at(1).isEmpty()) {
                ++unreadable;
                continue;
            }
            entry.address = Text::UnescapeRecordField(fields.at(2));
            entry.reason = Text::UnescapeRecordField(fields.at(3));
            m_entries.insert(Text::UnescapeRecordField(fields.at(1)), entry);
        }
        // Any other word is a line of a later version of the program.
    }
    if (unreadable > 0) {
        m_problem = QStringLiteral("文章下载记录%1已损坏（%2行无法识别）").arg(m_path).arg(unreadable);
    }
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

bool PageRecord::deleted(const QString& page) const
{
    const auto found = m_entries.constFind(page);
    return found != m_entries.cend() && found->outcome == Outcome::Deleted;
}

bool PageRecord::dueForAnotherLook(const QString& page, const QDateTime& now) const
{
    const auto found = m_entries.constFind(page);
    if (found == m_entries.cend() || found->outcome != Outcome::Deleted) {
        return false;
    }
    // By the calendar, so that a backup run daily at about the same time looks every day.
    return !found->tried.isValid() || found->tried.toLocalTime().date() != now.toLocalTime().date();
}

bool PageRecord::record(const QString& page, const Entry& entry)
{
    if (entry.outcome == Outcome::Saved && !m_entries.contains(page)) {
        return true;
    }
    m_entries.insert(page, entry);
    const QByteArray name = Text::EscapeRecordField(page);
    const QList<QByteArray> fields = {Word(entry.outcome), name, Text::EscapeRecordField(entry.address),
                                      Text::EscapeRecordField(entry.reason)};
    const auto append = [this](const QList<QByteArray>& line) {
        return m_writer != nullptr ? m_writer->append(m_path, line) : Text::AppendRecordLine(m_path, line);
    };
    if (!append(fields)) {
        return false;
    }
    if (entry.outcome == Outcome::Saved) {
        return true;
    }
    const QDateTime tried = entry.tried.isValid() ? entry.tried : QDateTime::currentDateTimeUtc();
    m_entries[page].tried = tried;
    return append(
        {TriedWord, name, QByteArray::number(tried.toSecsSinceEpoch()), QByteArray::number(entry.bodiless)});
}

} // namespace Model
