#include "output/namefitting.h"

namespace Output {

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

} // namespace Output
