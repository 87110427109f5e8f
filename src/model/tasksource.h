#pragma once

#include <QDate>
#include <QString>

namespace Model {

class RunState;

// Sets up the run's network for where the current task's pages come from. For a task from a web archive
// every request goes to the archive's captures (SettingsArchiveBase), at the archive's pace: at most
// SettingsArchiveConnections requests at once and SettingsArchiveRate a second. For a live task requests
// go to the site at the pace of the [network] settings. Returns what the status line says of an archive
// task ("从网页存档下载：…"); empty for a live one.
QString UseTaskSource(RunState& state);

// The day an archive date names: "YYYYMMDD" or "YYYY-MM-DD"; an invalid date for any other text.
QDate ArchiveDay(const QString& text);

// Why an archive date cannot be used, in the user's words (not a date, in the future, before any web
// archive existed); empty when it can, and for an empty text (the newest captures).
QString ArchiveDateProblem(const QString& text);

// How the window and the summary name an archive task's source: "网页存档 2015-06-01" or "网页存档，最新".
QString ArchiveSourceText(const QString& archiveDate);

} // namespace Model
