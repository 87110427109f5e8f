#include "text/entities.h"

#include "text/textprimitives.h"

namespace Text {

QString DecodeNumericEntities(const QString& text)
{
    const QString marker = QStringLiteral("&#");
    qsizetype at = text.indexOf(marker);
    if (at < 0) {
        return text;
    }
    QString result;
    result.reserve(text.size());
    qsizetype done = 0;
    while (at >= 0) {
        result += QStringView(text).mid(done, at - done);
        qsizetype k = at + 2;
        const bool hex = k < text.size() && (text.at(k) == u'x' || text.at(k) == u'X');
        if (hex) {
            ++k;
        }
        const qsizetype digitsStart = k;
        const int base = hex ? 16 : 10;
        char32_t value = 0;
        bool inRange = true;
        for (int digit = 0; k < text.size() && (digit = Text::DigitValue(text.at(k), base)) >= 0; ++k) {
            value = value * char32_t(base) + char32_t(digit);
            if (value > 0x10FFFF) {
                inRange = false;
                value = 0x110000;
            }
        }
        const bool isCharacter = inRange && value != 0 && (value < 0xD800 || value > 0xDFFF);
        if (k > digitsStart && k < text.size() && text.at(k) == u';' && isCharacter) {
            result += QString::fromUcs4(&value, 1);
            done = k + 1;
        } else {
            // Not a reference to a character: kept as written.
            result += marker;
            done = at + 2;
        }
        at = text.indexOf(marker, done);
    }
    result += QStringView(text).mid(done);
    return result;
}

QString DecodeEntities(const QString& text)
{
    QString result = DecodeNumericEntities(text);
    result.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return result;
}

} // namespace Text
