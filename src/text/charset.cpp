#include "text/charset.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <memory>

namespace Text {

namespace {

// The GB18030 bytes of every character of the basic plane that the code page writes in one or two
// bytes, by its UTF-16 code unit: 0 for one that takes four bytes (and for the surrogates). Chinese
// text is written from this table; the converter is asked only for the rare rest.
using ShortCodes = std::array<quint16, 0x10000>;

std::unique_ptr<ShortCodes> ReadShortCodes()
{
    QStringEncoder encoder("GB18030");
    if (!encoder.isValid()) {
        return nullptr;
    }
    QString plane;
    plane.reserve(0x10000);
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (!QChar::isSurrogate(c)) {
            plane.append(QChar(c));
        }
    }
    const QByteArray bytes = encoder.encode(plane);
    auto codes = std::make_unique<ShortCodes>();
    codes->fill(0);
    qsizetype at = 0;
    for (const QChar c : plane) {
        const auto lead = quint8(at < bytes.size() ? bytes.at(at) : 0);
        const auto trail = quint8(at + 1 < bytes.size() ? bytes.at(at + 1) : 0);
        if (lead < 0x80) {
            (*codes)[c.unicode()] = lead;
            at += 1;
        } else if (trail >= 0x30 && trail <= 0x39) {
            at += 4; // a four-byte code
        } else {
            (*codes)[c.unicode()] = quint16((lead << 8) | trail);
            at += 2;
        }
    }
    // The bytes must have been read exactly, one code per character; else the converter is used alone.
    return at == bytes.size() ? std::move(codes) : nullptr;
}

const ShortCodes* TheShortCodes()
{
    static const std::unique_ptr<ShortCodes> codes = ReadShortCodes();
    return codes.get();
}

bool IsChineseCodePage(const QString& charset)
{
    const QString name = charset.trimmed().toUpper();
    return name == QLatin1String("GB2312") || name == QLatin1String("GBK") ||
           name == QLatin1String("GB18030");
}

} // namespace

QString DecodeLocal(const QByteArray& bytes)
{
    QStringDecoder decoder("GB18030");
    if (!decoder.isValid()) {
        return QString::fromLocal8Bit(bytes);
    }
    return decoder.decode(bytes);
}

QByteArray EncodeLocal(const QString& text)
{
    const ShortCodes* codes = TheShortCodes();
    if (codes == nullptr) {
        QStringEncoder encoder("GB18030");
        return encoder.isValid() ? encoder.encode(text) : text.toUtf8();
    }
    // Two bytes at most for every code unit the table writes; more room only for the rare rest.
    const char16_t* const data = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype size = text.size();
    QByteArray bytes(size * 2, Qt::Uninitialized);
    char* written = bytes.data();
    qsizetype out = 0;
    for (qsizetype i = 0; i < size;) {
        const quint16 code = (*codes)[data[i]];
        if (code != 0 || data[i] == 0) {
            if (code >= 0x100) {
                written[out++] = char(code >> 8);
            }
            written[out++] = char(code & 0xff);
            ++i;
            continue;
        }
        // Four-byte characters, surrogate pairs among them, go to the converter a run at a time, so
        // that a pair is never split.
        qsizetype end = i + 1;
        while (end < size && (*codes)[data[end]] == 0 && data[end] != 0) {
            ++end;
        }
        QStringEncoder encoder("GB18030");
        const QByteArray run = encoder.encode(QStringView(data + i, end - i));
        bytes.resize(out + run.size() + (size - end) * 2);
        written = bytes.data();
        std::copy(run.cbegin(), run.cend(), written + out);
        out += run.size();
        i = end;
    }
    bytes.truncate(out);
    return bytes;
}

QString LocalCharsetDeclaration()
{
    const QString name =
        QStringEncoder("GB18030").isValid() ? QStringLiteral("gb18030") : QStringLiteral("utf-8");
    return QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=") + name +
           QStringLiteral("\">");
}

QString DeclaredPage(const QString& page)
{
    return LocalCharsetDeclaration() + QStringLiteral("\r\n") + page;
}

QString DecodeBytes(const QByteArray& bytes, const QString& charset)
{
    if (IsChineseCodePage(charset)) {
        return DecodeLocal(bytes);
    }
    if (charset.trimmed().compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0) {
        return QString::fromUtf8(bytes);
    }
    QStringDecoder decoder(charset.toLatin1().constData());
    if (decoder.isValid()) {
        return decoder.decode(bytes);
    }
    return QString::fromUtf8(bytes);
}

} // namespace Text
