#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace Model {

struct BlogTask;

// The day a task asks a web archive for, as "YYYYMMDD", read from a day typed as YYYYMMDD or YYYY-MM-DD
// (blanks around it do no harm). None when the text is no day of the calendar.
std::optional<QString> ArchiveDay(const QString& text);

// Why a day (as "YYYYMMDD") cannot be asked of an archive: before 1996, when the archives began, or
// after today. Empty when it can.
QString ArchiveDayProblem(const QString& day, const QDate& today);

// Where a task's pages come from, as the window adds it to the task's name: empty for the live site,
// "（网页存档 2015-06-01）" for captures around a day, "（网页存档，最新）" for the newest captures.
QString ArchiveSourceNote(const BlogTask& task);

} // namespace Model
