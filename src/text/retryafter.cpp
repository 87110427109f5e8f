#include "text/retryafter.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace Text {

namespace {

// The three forms a date of HTTP may take ("Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37
// GMT", "Sun Nov  6 08:49:37 1994"), always in UTC.
QDateTime HttpDate(const QString& text)
{
    QDateTime date = QDateTime::fromString(text, Qt::RFC2822Date);
    if (date.isValid()) {
        return date;
    }
    // The day's name is left out: it says nothing the date does not.
    static const QStringList Formats{QStringLiteral("dd MMM yyyy HH:mm:ss 'GMT'"),
                                     QStringLiteral("dd-MMM-yy HH:mm:ss 'GMT'"),
                                     QStringLiteral("MMM d HH:mm:ss yyyy")};
    const QLocale c = QLocale::c();
    const QString simple = text.simplified();
    const QString withoutDay =
        simple.contains(u',') ? simple.section(u',', 1).trimmed() : simple.section(u' ', 1);
    for (const QString& format : Formats) {
        date = c.toDateTime(withoutDay, format);
        if (date.isValid()) {
            if (date.date().year() < 1970) {
                date = date.addYears(100); // a two-digit year of this century
            }
            date.setTimeSpec(Qt::UTC);
            return date;
        }
    }
    return {};
}

} // namespace

std::optional<qint64> RetryAfterMs(const QByteArray& header, const QDateTime& now)
{
    const QByteArray value = header.trimmed();
    if (value.isEmpty()) {
        return std::nullopt;
    }
    if (std::all_of(value.cbegin(), value.cend(), [](char c) { return c >= '0' && c <= '9'; })) {
        if (value.size() > 9) {
            return MaxSiteWaitMs;
        }
        return std::min<qint64>(value.toLongLong() * 1000, MaxSiteWaitMs);
    }
    const QDateTime date = HttpDate(QString::fromLatin1(value));
    if (!date.isValid()) {
        return std::nullopt;
    }
    return std::min<qint64>(now.msecsTo(date), MaxSiteWaitMs);
}

} // namespace Text
