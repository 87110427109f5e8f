#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace Text {

// Files that a run keeps adding to while it works (what it queued, what failed): UTF-8 lines of
// tab-separated fields, only ever appended, so that a kill at any moment loses at most the line
// being written.

// A field as it stands in such a line: tabs, line breaks and the escape "%" itself become %XX.
QByteArray EscapeRecordField(const QString& field);
QString UnescapeRecordField(QByteArray field);

// Appends one line: its fields joined by tabs, and an end mark. A last line that a kill left without its
// break is closed first, so the new line stands on its own. False when the file cannot be written.
bool AppendRecordLine(const QString& path, const QList<QByteArray>& fields);

// What reading a record met besides its lines.
struct RecordReading
{
    bool readable = true; // false when something stands at the path that cannot be read as a file
    int damagedLines = 0; // lines that are neither record lines nor a line that a kill cut short
};

// The complete lines of the file, split into their fields; a line cut short (without its end mark) is
// left out. Empty when the file cannot be read.
QList<QList<QByteArray>> ReadRecordLines(const QString& path);
// The same a line at a time, for records too long to hold at once.
RecordReading ForEachRecordLine(const QString& path,
                                const std::function<void(const QList<QByteArray>& fields)>& visit);

} // namespace Text
