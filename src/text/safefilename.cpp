#include "text/safefilename.h"

#include <array>
#include <utility>

namespace Text {

namespace {

constexpr qsizetype MaxNameBytes = 255;

qsizetype Utf8Size(QStringView text)
{
    return text.toUtf8().size();
}

} // namespace

QString FitFileName(const QString& prefix, const QString& freePart, const QString& suffix)
{
    const qsizetype room = MaxNameBytes - Utf8Size(prefix) - Utf8Size(suffix);
    if (Utf8Size(freePart) <= room) {
        return prefix + freePart + suffix;
    }
    QString fitted;
    qsizetype used = 0;
    for (qsizetype i = 0; i < freePart.size();) {
        const bool pair = freePart.at(i).isHighSurrogate() && i + 1 < freePart.size() &&
                          freePart.at(i + 1).isLowSurrogate();
        const QStringView character = QStringView(freePart).mid(i, pair ? 2 : 1);
        const qsizetype size = Utf8Size(character);
        if (used + size > room) {
            break;
        }
        fitted += character;
        used += size;
        i += character.size();
    }
    return prefix + fitted + suffix;
}

QString SafeFileName(const QString& text)
{
    static const std::array<std::pair<QString, QString>, 16> steps{{
        {QStringLiteral("&nbsp;"), QStringLiteral(" ")},
        {QStringLiteral("?"), QStringLiteral("_")},
        {QStringLiteral("/"), QStringLiteral("_")},
        {QStringLiteral("\\"), QStringLiteral("_")},
        {QStringLiteral(":"), QStringLiteral("_")},
        {QStringLiteral("&"), QStringLiteral("_")},
        {QStringLiteral("+"), QStringLiteral("_")},
        {QStringLiteral("#"), QStringLiteral("_")},
        {QStringLiteral(";"), QStringLiteral("_")},
        {QStringLiteral(" "), QStringLiteral("-")},
        {QStringLiteral("*"), QStringLiteral("_")},
        {QStringLiteral("%"), QString()},
        {QStringLiteral("<"), QString()},
        {QStringLiteral(">"), QString()},
        {QStringLiteral("\""), QString()},
        {QStringLiteral(".."), QString()},
    }};
    // NUL goes first: removed after the steps, it could join two dots that the steps left apart.
    QString name = text;
    name.remove(QChar(u'\0'));
    for (const auto& [find, replacement] : steps) {
        name.replace(find, replacement, Qt::CaseSensitive);
    }
    if (name == QStringLiteral(".")) {
        name = QStringLiteral("_");
    }
    return FitFileName(QString(), name, QString());
}

} // namespace Text
