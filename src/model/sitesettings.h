#pragma once

#include <QString>

#include <optional>

namespace Model {

// The settings file of the program folder, qvlrx.ini, which the user edits: its [network] section may
// set rate=N, the most requests per second the program sends to one site (a fraction such as 0.5 is one
// every two seconds). Without it the request slots alone set the pace.
constexpr auto SettingsFileName = "qvlrx.ini";

// The request rate the settings file sets; none when it sets none or none that is a number above 0.
std::optional<double> SettingsRequestRate(const QString& programFolder);

// The EPUB volume limits the settings file's [epub] section sets: articles=N (the most articles in one
// EPUB) and mb=N (about the most megabytes); none where it sets none that is a whole number above 0.
std::optional<int> SettingsVolumeArticles(const QString& programFolder);
std::optional<int> SettingsVolumeMegabytes(const QString& programFolder);

// The web archive of archive tasks: the environment variable QVLRX_ARCHIVE, else the settings file's
// [archive] address=, else the Internet Archive; as a base address ("https://web.archive.org"). A value
// that is no web address is passed over.
QString SettingsArchiveBase(const QString& programFolder);
// How archive tasks ask the archive, from the [archive] section: rate=N requests per second (default 2,
// one every 500 ms) and connections=N at once (default 2). The archive is a shared free service.
double SettingsArchiveRate(const QString& programFolder);
int SettingsArchiveConnections(const QString& programFolder);

// A rate as the user writes it (in the settings file or after --rate): a number above 0, at most 1000.
std::optional<double> ParseRequestRate(const QString& text);

} // namespace Model
