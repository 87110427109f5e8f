#pragma once

#include <QString>
#include <QStringList>

#include <optional>
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
