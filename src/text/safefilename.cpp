#include "text/safefilename.h"

#include <array>
#include <utility>

namespace Text {

namespace {

constexpr int MaxNameBytes = 255;

// Cuts a name so that its UTF-8 form fits the file system's limit, never inside a character.
QString FitNameLength(const QString& name)
{
    if (name.toUtf8().size() <= MaxNameBytes) {
        return name;
    }
    QString fitted;
    int bytes = 0;
    for (qsizetype i = 0; i < name.size();) {
        const bool pair =
            name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate();
        const QString character = name.mid(i, pair ? 2 : 1);
        const int size = int(character.toUtf8().size());
        if (bytes + size > MaxNameBytes) {
            break;
        }
        fitted += character;
        bytes += size;
        i += character.size();
    }
    return fitted;
}

} // namespace

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
    QString name = text;
    for (const auto& [find, replacement] : steps) {
        name.replace(find, replacement, Qt::CaseSensitive);
    }
    name.remove(QChar(u'\0'));
    if (name == QStringLiteral(".")) {
        name = QStringLiteral("_");
    }
    return FitNameLength(name);
}

} // namespace Text
