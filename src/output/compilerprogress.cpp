#include "output/compilerprogress.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Output {

std::optional<ProcessTraffic> ReadProcessTraffic(qint64 pid)
{
    if (pid <= 0) {
        return std::nullopt;
    }
    QFile file(QStringLiteral("/proc/%1/io").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    ProcessTraffic traffic;
    bool readSeen = false;
    // The file system tells no size for it: readAll reads on to its end.
    for (const QByteArray& line : file.readAll().split('\n')) {
        bool ok = false;
        if (line.startsWith("rchar:")) {
            traffic.read = line.mid(6).trimmed().toLongLong(&ok);
            readSeen = ok;
        } else if (line.startsWith("wchar:")) {
            traffic.written = line.mid(6).trimmed().toLongLong(&ok);
        }
    }
    if (!readSeen) {
        return std::nullopt;
    }
    return traffic;
}

namespace {

// The user and system time of /proc/<pid>/stat: the 14th and 15th fields, counted after the name in
// parentheses (which may hold blanks and parentheses itself).
std::optional<qint64> ReadProcessCpuTicks(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray stat = file.readAll();
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0) {
        return std::nullopt;
    }
    // After the name: state (3), ..., utime (14), stime (15).
    const QList<QByteArray> fields = stat.mid(nameEnd + 1).simplified().split(' ');
    if (fields.size() < 13) {
        return std::nullopt;
    }
    bool userOk = false;
    bool systemOk = false;
    const qint64 ticks = fields.at(11).toLongLong(&userOk) + fields.at(12).toLongLong(&systemOk);
    if (!userOk || !systemOk) {
        return std::nullopt;
    }
    return ticks;
}

} // namespace

ProcessActivity ReadProcessActivity(qint64 pid)
{
    if (pid <= 0) {
        return {};
    }
    return {ReadProcessTraffic(pid), ReadProcessCpuTicks(pid)};
}

bool FileChange::changed()
{
    const QFileInfo info(m_path);
    const qint64 size = info.exists() ? info.size() : -1;
    const qint64 modified = info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
    if (size == m_size && modified == m_modified) {
        return false;
    }
    m_size = size;
    m_modified = modified;
    return true;
}

ListingProgress::ListingProgress(const QString& folder, const QStringList& files, qint64 before)
{
    const QDir root(folder);
    m_ends.reserve(size_t(files.size()));
    qint64 end = before;
    for (const QString& file : files) {
        end += std::max<qint64>(QFileInfo(root.filePath(file)).size(), 0);
        m_ends.push_back(end);
    }
}

int ListingProgress::filesDone(qint64 bytesRead)
{
    const auto past = std::upper_bound(m_ends.cbegin(), m_ends.cend(), bytesRead);
    m_done = std::max(m_done, int(past - m_ends.cbegin()));
    return m_done;
}

} // namespace Output
