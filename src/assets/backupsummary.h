#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Model {
class RunState;
}

namespace Assets {

// What the task folder holds of the blog once a run has ended, and what it is missing.
struct BackupSummary
{
    struct Item
    {
        QString address;
        QString reason;
    };

    static constexpr const char* FailedListName = "failed.txt";

    int articles = 0; // rows of the article list
    int articlesSaved = 0;
    int articlesFailed = 0;
    int articlesDeleted = 0; // deleted or locked on the blog itself: not a failure
    int images = 0;
    int imagesFailed = 0;
    int commentPages = 0;
    int commentPagesFailed = 0;
    int announced = -1; // the article count the blog announces, -1 when unknown
    int shortfall = 0;  // articles announced but not found
    int surplus = 0;    // rows beyond the announced count: a sign of a list read wrongly
    // What ended the search early (a list page that could not be read), empty when it ran to its end.
    QString searchInterruption;
    // For a blog from a web archive: where its rows came from and the days of the captures its pages
    // came from ("存档：列表页找到N篇，存档索引补充M篇；存档日期2009-03-01 至 2015-06-30").
    QString archive;
    // The record of queued jobs could not be read whole (the saved pages stood in for it), or could not
    // be written: a later run may not know every job, so the backup is not complete.
    bool jobRecordDamaged = false;
    bool jobRecordUnwritable = false;
    // Records of the task folder that could not be written.
    int recordsUnwritten = 0;

    QList<Item> failed;  // every missing item with its reason, articles first
    QList<Item> deleted; // the articles the blog reports deleted or locked
    QStringList notes;   // what the summary must name besides the counts: a record that could not be read

    // Items the book is missing: failed articles, images and comment pages, articles not found, the
    // rest of a list whose search was interrupted, jobs a record that cannot be written forgets, and
    // records of the task folder that could not be written.
    int missing() const
    {
        return articlesFailed + imagesFailed + commentPagesFailed + shortfall +
               (searchInterruption.isEmpty() ? 0 : 1) + (jobRecordUnwritable ? 1 : 0) + recordsUnwritten;
    }
    // The counts in one line, for the status line and the batch summary.
    QString countsText() const;
};

// Looks at the task folder: every article row's page, every job recorded for the task, the count the
// blog announced and whether the search ran to its end. A job's reason is taken from the asset queue when it
// failed in this run.
BackupSummary SummariseBackup(const Model::RunState& state);

// Writes the failed items, "address<TAB>reason" a line in UTF-8, to failed.txt in the task folder, or
// removes that file when nothing is missing. False when it cannot be written.
bool WriteFailedList(const Model::RunState& state, const BackupSummary& summary);

} // namespace Assets
