#include "text/recordfile.h"

#include "text/recordwriter.h"

#include <QFile>

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

void ForEachRecordLine(const QString& path, const std::function<void(const QList<QByteArray>& fields)>& visit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (!line.endsWith('\n')) {
            break; // the last line, cut off
        }
        line.chop(1);
        QList<QByteArray> fields = line.split('\t');
        if (fields.size() > 1 && fields.last() == EndMark) {
            fields.removeLast();
            visit(fields);
        }
    }
}

QList<QList<QByteArray>> ReadRecordLines(const QString& path)
{
    QList<QList<QByteArray>> lines;
    ForEachRecordLine(path, [&](const QList<QByteArray>& fields) { lines.append(fields); });
    return lines;
}

} // namespace Text
