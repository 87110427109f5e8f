#include "output/chmlisting.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

namespace Output {

namespace {

// The file header ("ITSF") up to the place and length of the directory.
constexpr qint64 FileHeaderSize = 0x58;
constexpr qint64 DirectoryPlace = 0x48;
constexpr qint64 DirectoryLength = 0x50;
// The directory header ("ITSP").
constexpr qint64 DirectoryHeaderLength = 0x08;
constexpr qint64 ChunkSize = 0x10;
constexpr qint64 FirstListingChunk = 0x20;
constexpr qint64 ChunkCount = 0x2c;
constexpr qint64 DirectoryHeaderMinimum = 0x30;
// A listing chunk ("PMGL") names its predecessor, -1 for none.
constexpr qint64 PreviousChunk = 0x0c;
constexpr qint64 ListingHeaderSize = 0x14;

quint32 Word(const QByteArray& bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

bool RepairListingStart(const QString& chmPath)
{
    QFile file(chmPath);
    if (!file.open(QIODevice::ReadWrite)) {
        return false;
    }
    const QByteArray header = file.read(FileHeaderSize);
    if (header.size() != FileHeaderSize || !header.startsWith("ITSF")) {
        return false;
    }
    const quint64 place = qFromLittleEndian<quint64>(header.constData() + DirectoryPlace);
    const quint64 length = qFromLittleEndian<quint64>(header.constData() + DirectoryLength);
    const quint64 fileSize = quint64(file.size());
    if (length < quint64(DirectoryHeaderMinimum) || place > fileSize || length > fileSize - place ||
        !file.seek(qint64(place))) {
        return false;
    }
    const QByteArray directory = file.read(qint64(length));
    if (quint64(directory.size()) != length || !directory.startsWith("ITSP")) {
        return false;
    }
    const quint64 chunksStart = Word(directory, DirectoryHeaderLength);
    const quint64 chunkSize = Word(directory, ChunkSize);
    const quint64 chunks = Word(directory, ChunkCount);
    if (chunkSize < quint64(ListingHeaderSize)) {
        return false;
    }
    for (quint64 i = 0; i < chunks; ++i) {
        const quint64 at = chunksStart + i * chunkSize;
        if (at + ListingHeaderSize > length) {
            return false;
        }
        if (directory.mid(qint64(at), 4) != "PMGL" ||
            qint32(Word(directory, qint64(at + PreviousChunk))) != -1) {
            continue;
        }
        if (Word(directory, FirstListingChunk) == i) {
            return true;
        }
        const quint32 first = qToLittleEndian(quint32(i));
        return file.seek(qint64(place) + FirstListingChunk) &&
               file.write(reinterpret_cast<const char*>(&first), sizeof first) == qint64(sizeof first) &&
               file.flush();
    }
    return false;
}

} // namespace Output
