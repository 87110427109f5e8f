// The record files a run appends to (queued jobs, page outcomes): read, every field unescaped, and a line
// appended after whatever a kill left at the end.
#include "fuzzsupport.h"
#include "text/recordfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Scratch& scratch = Fuzz::Scratch::instance();
    const QString path = scratch.path(QStringLiteral(".qvlrx-jobs"));
    const QByteArray bytes = Fuzz::Bytes(data, size);
    scratch.write(QStringLiteral(".qvlrx-jobs"), bytes);
    const QList<QList<QByteArray>> before = Text::ReadRecordLines(path);
    for (const QList<QByteArray>& line : before) {
        for (const QByteArray& field : line) {
            Text::UnescapeRecordField(field);
        }
    }
    // What was complete stays complete, and the new line is read back whole. (A last line that lacks only
    // its line break is complete once the append has closed it, so it may stand between the two.)
    const QList<QByteArray> added{Text::EscapeRecordField(QString::fromUtf8(bytes.left(64))), "end"};
    if (Text::AppendRecordLine(path, added)) {
        const QList<QList<QByteArray>> after = Text::ReadRecordLines(path);
        if (after.size() < before.size() + 1 || after.size() > before.size() + 2 ||
            after.mid(0, before.size()) != before || after.last() != added) {
            __builtin_trap();
        }
    }
    return 0;
}
