#include "text/recordwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace Text {

namespace {

// The last field of every line: a line that a kill cut short lacks it, even when its fields still read.
const QByteArray EndMark = ".";

// Records kept open at once; a run writes two.
constexpr qsizetype MostOpen = 8;

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

struct RecordWriter::OpenRecord
{
    QFile file;
    QByteArray encodedPath;
    struct stat identity = {};
    qint64 size = 0; // where this writer's last line ended

    // Still the file that stands at the path, and its lines end where the last one was written or it
    // was made to; false when the path holds another file or none.
    bool stillThere()
    {
        struct stat now = {};
        if (::stat(encodedPath.constData(), &now) != 0 || !SameFile(now, identity)) {
            return false;
        }
        return now.st_size == size || closeCutLine();
    }

    // A line that a kill, or another writer, left without its break is closed, so that the next one
    // stands on its own.
    bool closeCutLine()
    {
        size = file.size();
        char last = '\n';
        if (size > 0 && file.seek(size - 1) && file.getChar(&last) && last != '\n') {
            if (!file.putChar('\n')) {
                return false;
            }
            ++size;
        }
        return true;
    }
};

RecordWriter::RecordWriter() = default;
RecordWriter::~RecordWriter() = default;

RecordWriter::OpenRecord* RecordWriter::openRecord(const QString& path)
{
    const auto found = m_open.constFind(path);
    if (found != m_open.cend()) {
        if ((*found)->stillThere()) {
            return found->get();
        }
        m_open.erase(found);
    }
    if (m_open.size() >= MostOpen) {
        m_open.clear();
    }
    auto record = std::make_shared<OpenRecord>();
    record->file.setFileName(path);
    record->encodedPath = QFile::encodeName(path);
    constexpr auto Mode = QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered;
    if (!record->file.open(Mode)) {
        QDir().mkpath(QFileInfo(path).path());
        if (!record->file.open(Mode)) {
            return nullptr;
        }
    }
    if (::fstat(record->file.handle(), &record->identity) != 0 || !record->closeCutLine()) {
        return nullptr;
    }
    return m_open.insert(path, std::move(record))->get();
}

bool RecordWriter::append(const QString& path, const QList<QByteArray>& fields)
{
    OpenRecord* record = openRecord(path);
    if (record == nullptr) {
        return false;
    }
    const QByteArray line = fields.join('\t') + '\t' + EndMark + '\n';
    if (record->file.write(line) != line.size()) {
        // A full disk may take part of the line: the record is cut back to its last whole line.
        record->file.resize(record->size);
        m_open.remove(path);
        return false;
    }
    record->size += line.size();
    return true;
}

} // namespace Text
