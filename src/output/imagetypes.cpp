#include "output/imagetypes.h"

#include <QByteArray>
#include <QIODevice>

namespace Output {

namespace {

int BigEndian16(const QByteArray& bytes, int at)
{
    return (quint8(bytes.at(at)) << 8) | quint8(bytes.at(at + 1));
}

bool StartOfFrame(quint8 marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the segments of a JPEG file up to its frame header, which holds the picture's size.
bool JpegWithFrame(QIODevice& file)
{
    // Pictures carry a few metadata segments before the frame; a file of thousands is no picture.
    for (int segment = 0; segment < 1000; ++segment) {
        char byte = 0;
        if (!file.getChar(&byte) || quint8(byte) != 0xFF) {
            return false;
        }
        while (quint8(byte) == 0xFF) {
            if (!file.getChar(&byte)) {
                return false;
            }
        }
        const quint8 marker = quint8(byte);
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            continue; // markers without a length
        }
        if (marker == 0xD9 || marker == 0xDA) {
            return false; // the end, or the picture data, before any frame
        }
        const QByteArray length = file.read(2);
        if (length.size() < 2 || BigEndian16(length, 0) < 2) {
            return false;
        }
        if (StartOfFrame(marker)) {
            const QByteArray frame = file.read(5); // precision, height, width
            return frame.size() == 5 && BigEndian16(frame, 3) > 0;
        }
        const qint64 next = file.pos() + BigEndian16(length, 0) - 2;
        if (next > file.size() || !file.seek(next)) {
            return false;
        }
    }
    return false;
}

} // namespace

QString ImageMediaType(QIODevice& file)
{
    const QByteArray head = file.peek(24);
    if (head.startsWith("\x89PNG\r\n\x1a\n") && head.size() == 24 && head.mid(12, 4) == "IHDR" &&
        head.mid(16, 4) != QByteArray(4, '\0') && head.mid(20, 4) != QByteArray(4, '\0')) {
        return QStringLiteral("image/png");
    }
    if ((head.startsWith("GIF87a") || head.startsWith("GIF89a")) && head.size() >= 10) {
        return QStringLiteral("image/gif");
    }
    if (head.startsWith("\xff\xd8") && file.seek(2) && JpegWithFrame(file)) {
        return QStringLiteral("image/jpeg");
    }
    return {};
}

QString ImageExtension(const QString& mediaType)
{
    if (mediaType == QLatin1String("image/png")) {
        return QStringLiteral(".png");
    }
    if (mediaType == QLatin1String("image/gif")) {
        return QStringLiteral(".gif");
    }
    return QStringLiteral(".jpg");
}

QString PictureExtension(const QByteArray& head)
{
    if (head.startsWith("\x89PNG\r\n\x1a\n")) {
        return QStringLiteral(".png");
    }
    if (head.startsWith("\xff\xd8\xff")) {
        return QStringLiteral(".jpg");
    }
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a")) {
        return QStringLiteral(".gif");
    }
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") {
        return QStringLiteral(".webp");
    }
    if (head.startsWith("BM") && head.size() >= 26) {
        return QStringLiteral(".bmp");
    }
    return {};
}

} // namespace Output
