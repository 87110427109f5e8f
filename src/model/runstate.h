#pragma once

#include "model/archivefinding.h"
#include "model/articlelist.h"
#include "model/articlenames.h"
#include "model/assetqueue.h"
#include "model/blogtask.h"
#include "model/categorytable.h"
#include "model/platformprofile.h"
#include "model/searchinterruption.h"
#include "model/tasklock.h"
#include "model/userinterface.h"
#include "text/pagefetch.h"
#include "text/recordwriter.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace Assets {
class AssetFetcher;
}
namespace Render {
class DownloadProgress;
}

namespace Model {

// Everything a run of the program shares: the task, its article list and categories, the asset queue,
// the platform table, the user interface and the network. One object, handed to whoever needs it.
class RunState
{
    Q_DISABLE_COPY_MOVE(RunState)

public:
    RunState(QString programFolder, UserInterface& ui, QNetworkAccessManager* network);

    // The folder of the executable; every file of the program lives below it.
    const QString programFolder;
    UserInterface& ui;
    Text::HttpContext http;

    BlogTask task;
    ArticleList articles;
    CategoryTable categories;
    AssetQueue assets;
    PlatformProfileTable profiles;
    // The records of the task folder, kept open while the run adds to them.
    Text::RecordWriter records;

    // The number of articles the blog itself announces, when its finder could read one (a total, the
    // sum of its category counts); compared with the rows found when the search ends.
    std::optional<int> announcedArticles;
    // Set when a failed request ended the search early: the rows found are not the whole blog.
    std::optional<SearchInterruption> searchInterruption;
    // For a blog from a web archive: how many rows its list pages gave and how many the archive's index.
    std::optional<ArchiveFinding> archiveFinding;

    // How much one volume of an EPUB may hold; a larger book is written as volumes.
    int epubVolumeArticles = 2000;
    int epubVolumeMegabytes = 45;

    bool listScrolling = true;    // appended rows scroll into view
    bool neteasePathForm = false; // NetEase blog addressed as host/account

    // Tick counts of the request slots, advanced once a second by the timer.
    std::array<int, 11> slotTicks{};

    // Stage reported by the update check ("1000" from start-up).
    QString stageText = QStringLiteral("1000");
    bool checkDone = false;
    int tickCounter = 0;

    // Row numbers handed to page assembly in this download run, each followed by a comma.
    QString attemptList;

    // The records of the task folder that could not be written in this download run (a failure of the
    // run, though every page may have been saved).
    QStringList unwritableRecords;
    // Notes a record that could not be written, telling the user once.
    void noteUnwritableRecord(const QString& path);

    // The lock of the task this run works on, so that no other run works on it meanwhile.
    TaskLock taskLock;

    // Long procedures that must not run twice at once.
    bool discoveryRunning = false;
    bool downloadRunning = false;

    // Set once a file of the run could not be written for its folder's sake (a full disk, a read-only
    // folder): nothing more is fetched, and the run ends with this one message.
    QString writeStopped;
    // Stops the run's writing for the cause (writefailure.h) and says so, once.
    void StopWriting(const QString& cause);

    // The image and comment fetcher, when one exists.
    Assets::AssetFetcher* assetFetcher = nullptr;

    // Paths.
    QString pathInProgramFolder(const QString& relativeName) const;
    QString taskFolder() const;
    QString categoryFolder(const QString& category) const;
    // The local page of an article row.
    QString articlePagePath(int row) const;

    // Names and addresses of an article row.
    ArticleKey articleKey(int row) const;
    QString localFileName(int row) const;
    QString articleAddress(int row) const;
    QString articleFetchAddress(int row) const;
    const PlatformProfile& profile() const { return profiles[task.PlatformCode]; }

    // Appends an article to the list, unless the list holds it already under the same category (a
    // second row would be the same local page); then returns 0.
    int addArticleRow(const QString& title, const QString& category, const QString& link,
                      const QString& date);
    // Empties the article list, the category table, the announced count and the search's interruption.
    void ResetArticleList();

    void setStatus(const QString& text) { ui.setStatus(text); }

    // Automatic mode: auto.cfg names a platform.
    QString readAutoConfigField(int index) const;
    bool automaticMode() const { return !readAutoConfigField(0).isEmpty(); }

    // Enables the six main commands, except in automatic mode.
    void SetCommandStates(bool newTask, bool download, bool pack, bool folder, bool exportList,
                          bool importList);

    // Records the stage for the update check, which then reports again.
    void SetReportStage(int code);

    // The marks and settings of the article download, when the window (or a test) made one.
    Render::DownloadProgress* downloadProgress = nullptr;
};

} // namespace Model
