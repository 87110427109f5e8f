#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace Model {

// One field of auto.cfg in the program folder: 0 platform code, 1 task name, 2 blog address, 3 images,
// 4 comments. Empty when the file does not exist (or for another index), "未找到" when its tags are
// missing. The file is read anew on every call, in UTF-8 when it is (a byte order mark, or valid UTF-8
// with characters beyond ASCII), else in the code page; only its first 64 KB are read.
QString ReadAutoConfigField(const QString& programFolder, int index);

// The optional field <cookies>: the user's cookie file for the automatic task, a path relative to the
// program folder or absolute. Empty when the field is missing or empty.
QString AutoConfigCookieFile(const QString& programFolder);

// The optional field <archive>: where the automatic task's pages come from.
struct ArchiveSetting
{
    bool fromArchive = false;
    QString day;     // with fromArchive: the captures around this day, "YYYYMMDD"; empty: the newest
    QString problem; // why the field cannot be used (then no automatic task may start); empty when it can
};

// Reads <archive>: missing, empty, "False" or "0" for the live site; "newest", "True" or "1" for the
// newest captures of a web archive; a day as YYYYMMDD or YYYY-MM-DD for the captures around it (from
// 1996 to today). Anything else is a problem.
ArchiveSetting AutoConfigArchive(const QString& programFolder, const QDate& today = QDate::currentDate());

// The platform of the automatic task: field 0 when it is a whole number from 0 to 16, none otherwise (then
// no automatic task may start).
std::optional<int> AutomaticPlatformCode(const QString& programFolder);

// The longest blog address a backup takes.
constexpr int MaxBlogAddressLength = 2048;

// Why a blog address of the settings cannot be backed up: not an http or https address with a host,
// blanks or control characters in it, or longer than MaxBlogAddressLength. Empty when usable. QQ zone
// finds a blog by the task name alone, so its address may also be left out.
QString BlogAddressProblem(int platform, const QString& address);

// Truth value of a settings field: "True"/"False" or a number, 0 meaning false.
bool ConfigTruth(const QString& value);

} // namespace Model
