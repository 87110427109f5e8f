#pragma once

#include <QByteArray>
#include <QString>

namespace Text {

// Reads a settings file: all bytes but the first two, decoded as GB2312. Empty when unreadable.
QString ReadTextFile(const QString& path);

// Reads a whole file of the program's own (written by it) as GB2312 text. Throws Failure when unreadable.
QString ReadLocalFile(const QString& path);

// Writes text followed by CR LF in the local code page to programFolder/relativeName. The file is written
// under a temporary name and renamed into place, so an interrupted write never leaves a truncated file.
// Throws Failure when the file cannot be written: WriteFailure (writefailure.h) when its folder cannot.
void WriteTextFile(const QString& programFolder, const QString& relativeName, const QString& text);
void WriteTextFileAt(const QString& path, const QString& text);

// Writes raw bytes the same safe way.
void WriteBytesFileAt(const QString& path, const QByteArray& bytes);

// Appends text followed by CR LF in the local code page, creating the file when needed.
void AppendTextFile(const QString& path, const QString& text);

// Renames from to to in one step, replacing a file already there (readers see the old file or the new one,
// never none). Empty on success, else why it failed.
QString ReplaceFile(const QString& from, const QString& to);

// Joins a folder and a relative name with "/".
QString JoinPath(const QString& folder, const QString& name);

} // namespace Text
