#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>

namespace Text {

// Appends lines to the records a run keeps adding to (see recordfile.h), keeping each record open
// between lines: a line costs one write instead of opening, checking and closing the file again. A
// record that was removed, replaced or moved away meanwhile is opened anew at its path, so no line
// goes to a file that is no longer there. Every line reaches the file when append returns.
class RecordWriter
{
    Q_DISABLE_COPY_MOVE(RecordWriter)

public:
    RecordWriter();
    ~RecordWriter();

    // Appends one line: its fields joined by tabs, and the end mark. A last line that a kill left
    // without its break is closed first. False when the record cannot be written; then no part of the
    // line stays in it.
    bool append(const QString& path, const QList<QByteArray>& fields);

private:
    struct OpenRecord;
    OpenRecord* openRecord(const QString& path);

    QHash<QString, std::shared_ptr<OpenRecord>> m_open;
};

} // namespace Text
