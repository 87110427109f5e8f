#include "output/compilerprogress.h"

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
