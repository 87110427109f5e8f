#include "text/recordfile.h"

#include "text/recordwriter.h"

#include <QFile>
#include <QFileInfo>

namespace Text {

QByteArray EscapeRecordField(const QString& field)
{
    QByteArray bytes = field.toUtf8();
    bytes.replace("%", "%25");
    bytes.replace("\t", "%09");
    bytes.replace("\n", "%0A");
    bytes.replace("\r", "%0D");
    return bytes;
}

QString UnescapeRecordField(QByteArray field)
{
    // Every "%" of the field was written as "%25", so no other escape can begin inside one of those.
    field.replace("%09", "\t");
    field.replace("%0A", "\n");
    field.replace("%0D", "\r");
    field.replace("%25", "%");
    return QString::fromUtf8(field);
}

namespace {

// The last field of every line: a line that a kill cut short lacks it, even when its fields still read.
const QByteArray EndMark = ".";

} // namespace

bool AppendRecordLine(const QString& path, const QList<QByteArray>& fields)
{
    RecordWriter writer;
    return writer.append(path, fields);
}

namespace {

// A line without its end mark that a later line closed: what a kill left, as long as it is text
// without any control character but the tab that the program writes.
bool CutByAKill(const QByteArray& line)
{
    for (const char c : line) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
            return false;
        }
    }
    return QString::fromUtf8(line).toUtf8() == line;
}

} // namespace

RecordReading ForEachRecordLine(const QString& path,
                                const std::function<void(const QList<QByteArray>& fields)>& visit)
{
    RecordReading reading;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reading.readable = !QFileInfo::exists(path);
        return reading;
    }
    if (!QFileInfo(path).isFile()) {
        reading.readable = false;
        return reading;
    }
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (!line.endsWith('\n')) {
            // The last line, cut off.
            reading.damagedLines += CutByAKill(line) ? 0 : 1;
            break;
        }
        line.chop(1);
        QList<QByteArray> fields = line.split('\t');
        if (fields.size() > 1 && fields.last() == EndMark) {
            fields.removeLast();
            visit(fields);
        } else if (!CutByAKill(line)) {
            ++reading.damagedLines;
        }
    }
    return reading;
}

QList<QList<QByteArray>> ReadRecordLines(const QString& path)
{
    QList<QList<QByteArray>> lines;
    ForEachRecordLine(path, [&](const QList<QByteArray>& fields) { lines.append(fields); });
    return lines;
}

} // namespace Text
