#include "text/charset.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Text {

namespace {

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
    QStringEncoder encoder("GB18030");
    if (!encoder.isValid()) {
        return text.toUtf8();
    }
    return encoder.encode(text);
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
