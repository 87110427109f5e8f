#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

namespace Text {
class RecordWriter;
}

namespace Model {

class RunState;

// What became of the article pages that did not simply save, kept in the task folder: an article whose
// fetch failed gets the page that points to its web address, and the record makes the next run fetch
// it again; an article the blog itself reports deleted or locked keeps that page, and is looked at again
// at most once a day. The file only grows, one line an outcome, the last line of a page counting; a line
// cut off by a kill is ignored.
//
// A failed or deleted page is followed by a line that says when it was fetched and how often the blog
// answered without the article. Programs that do not know that line pass over it.
class PageRecord
{
public:
    static constexpr const char* FileName = ".qvlrx-pages";

    enum class Outcome { Saved, Failed, Deleted };
    struct Entry
    {
        Outcome outcome = Outcome::Saved;
        QString address;  // the article's web address
        QString reason;   // why it failed
        QDateTime tried;  // when the page was last fetched; invalid when the record does not say
        int bodiless = 0; // answers (2xx) without the article, over all runs since the page was last saved
    };

    // Reads the record of the task folder. Lines go through the writer where one is given; else the
    // record is opened for every line.
    explicit PageRecord(const QString& taskFolder, Text::RecordWriter* writer = nullptr);

    QString path() const { return m_path; }
    // Why the record could not be read whole (a folder in its place, lines no run writes, an empty file);
    // empty when it could. What it lost is judged again from the pages on disk.
    QString problem() const { return m_problem; }

    // How the record names the page of an article row: its path inside the task folder.
    static QString pageName(const RunState& state, int row);

    // The last outcome of every page named in the record, by the page's path inside the task folder.
    const QHash<QString, Entry>& entries() const { return m_entries; }
    Entry entry(const QString& page) const { return m_entries.value(page); }
    bool failed(const QString& page) const;
    bool deleted(const QString& page) const;
    // A deleted page is fetched again once a calendar day: the blog may have been busy, or the article
    // may be back.
    bool dueForAnotherLook(const QString& page, const QDateTime& now) const;

    // Records an outcome. A page saved that the record never named is not written down: a page file
    // that is not named counts as saved. False when the record cannot be written.
    bool record(const QString& page, const Entry& entry);

private:
    void read();

    QString m_path;
    Text::RecordWriter* m_writer;
    QHash<QString, Entry> m_entries;
    QString m_problem;
};

} // namespace Model
