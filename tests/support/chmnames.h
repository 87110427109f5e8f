#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <algorithm>

// The file names of a CHM as a reader finds them: walking the directory listing from the chunk that the
// directory header names as the first, chunk after chunk (what chmlib and the viewers built on it do).
namespace TestSupport {

namespace detail {

inline quint32 ChmWord(const QByteArray& bytes, qint64 at)
{
    return at >= 0 && at + 4 <= bytes.size() ? qFromLittleEndian<quint32>(bytes.constData() + at) : 0;
}

inline quint64 ChmNumber(const QByteArray& bytes, qint64& at)
{
    quint64 value = 0;
    while (at < bytes.size()) {
        const auto c = quint8(bytes.at(at++));
        value = (value << 7) | (c & 0x7f);
        if (c < 0x80) {
            break;
        }
    }
    return value;
}

} // namespace detail

inline QStringList ChmListedNames(const QByteArray& chm)
{
    using detail::ChmNumber;
    using detail::ChmWord;
    QStringList names;
    if (!chm.startsWith("ITSF") || chm.size() < 0x58) {
        return names;
    }
    const qint64 directory = qint64(qFromLittleEndian<quint64>(chm.constData() + 0x48));
    const qint64 chunks = directory + ChmWord(chm, directory + 8);
    const qint64 chunkSize = ChmWord(chm, directory + 16);
    qint32 chunk = qint32(ChmWord(chm, directory + 32));
    for (int guard = 0; chunk >= 0 && guard < 100000; ++guard) {
        const qint64 c = chunks + chunk * chunkSize;
        if (chm.mid(c, 4) != "PMGL") {
            break;
        }
        const qint64 end = std::min<qint64>(c + chunkSize - ChmWord(chm, c + 4), chm.size());
        for (qint64 at = c + 20; at < end;) {
            const qint64 length = qint64(ChmNumber(chm, at));
            names.append(QString::fromUtf8(chm.mid(at, length)));
            at += length;
            ChmNumber(chm, at); // section
            ChmNumber(chm, at); // offset
            ChmNumber(chm, at); // length
        }
        chunk = qint32(ChmWord(chm, c + 16));
    }
    return names;
}

} // namespace TestSupport
