#pragma once

#include <QString>
#include <QUrl>

namespace Text {

// A web archive that replays its captures of pages the way the Internet Archive's Wayback Machine does
// (and the archives built on the same software): "{base}/web/{timestamp}id_/{original address}" gives
// the capture nearest to the timestamp, byte for byte as the site served it, or a redirect to it.
struct WebArchive
{
    QString base;      // "https://web.archive.org", without a closing slash
    QString timestamp; // the moment asked for, 14 digits: the archive redirects to the nearest capture
};

// The archive every archive task uses unless the settings or QVLRX_ARCHIVE name another.
inline constexpr auto DefaultArchiveBase = "https://web.archive.org";

// What the archive replays: a page as it was served, or an image.
enum class Replay { Page, Image };

// The timestamp that asks for the captures around a day ("YYYYMMDD"), or (for none) the newest ones.
QString ArchiveTimestamp(const QString& day);

// An archive's base address as the user writes it ("web.archive.org/", "https://arquivo.pt/wayback"):
// with a scheme and without a closing slash. Empty when it is no http or https address.
QString ArchiveBase(const QString& text);

// The archive's replay of the original address.
QUrl ReplayUrl(const WebArchive& archive, const QUrl& original, Replay kind);

// The timestamp of the capture a replay address names, 14 digits (fewer are filled with zeros); empty for
// an address that is no replay.
QString CaptureTimestamp(const QUrl& replay);

// The day of a capture timestamp (or of a day "YYYYMMDD") as the user reads it: "2015-06-01".
QString CaptureDay(const QString& timestamp);

// Why an archive task has no page where the archive answered with the status: the archive holds no
// capture of it (404 or 410), or an empty string when the status says nothing of the kind.
QString MissingCaptureWords(int status);

// The words of a page that is missing from the archive.
inline constexpr auto NoCaptureText = "网页存档中没有此页";

} // namespace Text
