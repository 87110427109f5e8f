#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

struct zip;
struct zip_source;

namespace Output {

// The zip container of a book: "mimetype" first and stored, then every other file. Files are collected
// and written when the archive is closed; those made in memory wait in a folder beside the archive, so a
// blog of many thousand articles does not fill the memory. Throws Text::Failure when the archive cannot
// be made.
class EpubArchive
{
public:
    explicit EpubArchive(const QString& path);
    ~EpubArchive();
    EpubArchive(const EpubArchive&) = delete;
    EpubArchive& operator=(const EpubArchive&) = delete;

    // A file made in memory, compressed.
    void addBytes(const QString& name, const QByteArray& bytes);
    // A file copied from the disk when the archive is written, stored as it is (pictures are compressed
    // already).
    void addFile(const QString& name, const QString& path);
    // Writes the archive; without it, nothing is written.
    void close();

private:
    void add(const QString& name, struct zip_source* source, bool compress);

    struct zip* m_zip = nullptr;
    QTemporaryDir m_spool;
    int m_spooled = 0;
};

} // namespace Output
