#pragma once

#include <QHash>
#include <QString>

namespace Text {
class RecordWriter;
}

namespace Model {

// For a blog taken from a web archive: which capture each saved page came from, kept in the task folder
// (one line a page, "page TAB timestamp"; the last line of a page counts), so that the book can say how
// old its pages are.
class CaptureRecord
{
public:
    static constexpr const char* FileName = ".qvlrx-captures";

    explicit CaptureRecord(const QString& taskFolder);

    // Notes that the page (its path inside the task folder) was saved from the capture of the timestamp
    // (14 digits). False when the record cannot be written.
    static bool Note(Text::RecordWriter& writer, const QString& taskFolder, const QString& page,
                     const QString& timestamp);

    bool isEmpty() const { return m_captures.isEmpty(); }
    QString capture(const QString& page) const { return m_captures.value(page); }
    // The oldest and the newest capture of the pages, as days ("2009-03-01"); empty without any.
    QString oldestDay() const;
    QString newestDay() const;
    // "2009-03-01 至 2015-06-30" (one day alone where they are the same); empty without any capture.
    QString rangeText() const;

private:
    QHash<QString, QString> m_captures;
};

} // namespace Model
