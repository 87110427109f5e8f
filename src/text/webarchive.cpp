#include "text/webarchive.h"

#include <QDateTime>
#include <QRegularExpression>

namespace Text {

QString ArchiveTimestamp(const QString& day)
{
    if (!day.isEmpty()) {
        return day + QStringLiteral("120000");
    }
    // The archive takes the moment asked for as a wish: the newest capture is the one nearest to now.
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddhhmmss"));
}

QString ArchiveBase(const QString& text)
{
    QString written = text.trimmed();
    if (written.isEmpty()) {
        return {};
    }
    if (!written.contains(QStringLiteral("://"))) {
        written.prepend(QStringLiteral("https://"));
    }
    while (written.endsWith(u'/')) {
        written.chop(1);
    }
    const QUrl url(written, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || url.hasQuery() || url.hasFragment() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return {};
    }
    return written;
}

QUrl ReplayUrl(const WebArchive& archive, const QUrl& original, Replay kind)
{
    const QString flag = kind == Replay::Image ? QStringLiteral("im_/") : QStringLiteral("id_/");
    // The original goes in as it was requested, escaped where a request line needs it; the archive reads
    // everything after the flag as the address, its query included.
    const QString replay = archive.base + QStringLiteral("/web/") + archive.timestamp + flag +
                           QString::fromLatin1(original.toEncoded(QUrl::RemoveFragment));
    return QUrl(replay, QUrl::TolerantMode);
}

QString CaptureTimestamp(const QUrl& replay)
{
    static const QRegularExpression stamp(QStringLiteral("/web/(\\d{4,14})(?:[a-z]{2}_)?/"));
    const QRegularExpressionMatch match = stamp.match(replay.path(QUrl::FullyEncoded));
    if (!match.hasMatch()) {
        return {};
    }
    return match.captured(1).leftJustified(14, u'0');
}

QString CaptureDay(const QString& timestamp)
{
    if (timestamp.size() < 8) {
        return timestamp;
    }
    return timestamp.left(4) + u'-' + timestamp.mid(4, 2) + u'-' + timestamp.mid(6, 2);
}

QString MissingCaptureWords(int status)
{
    if (status == 404 || status == 410) {
        return QString::fromUtf8(NoCaptureText);
    }
    return {};
}

} // namespace Text
