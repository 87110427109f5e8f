#pragma once

#include <QHash>
#include <QString>

namespace Text {
class RecordWriter;
}

namespace Model {

class RunState;

// What became of the article pages that did not simply save, kept in the task folder: an article whose
// fetch failed gets the page that points to its web address, and the record makes the next run fetch
// it again; an article the blog itself reports deleted or locked keeps that page for good. The file
// only grows, one line an outcome, the last line of a page counting; a line cut off by a kill is
// ignored.
class PageRecord
{
public:
    static constexpr const char* FileName = ".qvlrx-pages";

    enum class Outcome { Saved, Failed, Deleted };
    struct Entry
    {
        Outcome outcome = Outcome::Saved;
        QString address; // the article's web address
        QString reason;  // why it failed
    };

    // Reads the record of the task folder. Lines go through the writer where one is given; else the
    // record is opened for every line.
    explicit PageRecord(const QString& taskFolder, Text::RecordWriter* writer = nullptr);

    QString path() const { return m_path; }

    // How the record names the page of an article row: its path inside the task folder.
    static QString pageName(const RunState& state, int row);

    // The last outcome of every page named in the record, by the page's path inside the task folder.
    const QHash<QString, Entry>& entries() const { return m_entries; }
    bool failed(const QString& page) const;

    // Records an outcome. A page saved that the record never named is not written down: a page file
    // that is not named counts as saved. False when the record cannot be written.
    bool record(const QString& page, const Entry& entry);

private:
    QString m_path;
    Text::RecordWriter* m_writer;
    QHash<QString, Entry> m_entries;
};

} // namespace Model
