#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace Output {

// What a running process has read and written so far, as the kernel counts it (/proc/<pid>/io, which also
// counts its children that have ended). Nothing where the system does not tell.
struct ProcessTraffic
{
    qint64 read = 0;
    qint64 written = 0;
};
std::optional<ProcessTraffic> ReadProcessTraffic(qint64 pid);

// What a running process shows of its work besides its messages: its reading and writing, and the
// processor time it has used (in clock ticks, /proc/<pid>/stat). Each is empty where the system does not
// tell; a kernel without I/O accounting, say, has no /proc/<pid>/io but still counts the time.
struct ProcessActivity
{
    std::optional<ProcessTraffic> traffic;
    std::optional<qint64> cpuTicks;
};
ProcessActivity ReadProcessActivity(qint64 pid);

// A file that a process writes, as a sign of its life: whether the file has appeared, gone, grown, shrunk
// or been written since the last look.
class FileChange
{
public:
    explicit FileChange(QString path) : m_path(std::move(path)) {}

    bool changed();

private:
    QString m_path;
    qint64 m_size = -1;
    qint64 m_modified = -1; // milliseconds since the epoch
};

// Turns the bytes the help compiler has read into the number of listed files it has dealt with. Without its
// link scan the compiler reads its project, then the contents file, then every listed file once and whole,
// in the order of the listing, and compresses each before it reads the next.
class ListingProgress
{
public:
    // before: what the compiler reads ahead of the listed files (project, contents and index file).
    ListingProgress(const QString& folder, const QStringList& files, qint64 before);

    // Never more than the files listed, and never less than an earlier answer.
    int filesDone(qint64 bytesRead);
    int filesListed() const { return int(m_ends.size()); }

private:
    std::vector<qint64> m_ends; // where each file ends in the stream of bytes read
    int m_done = 0;
};

} // namespace Output
