#pragma once

#include "text/sitegate.h"

#include <QByteArray>
#include <QHash>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <array>

class QNetworkReply;

namespace Model {
class RunState;
}

namespace Assets {

// Fetches the jobs of the asset queue (images and comment pages) over five request slots. Each slot
// fetches one job at a time; a finished or failed job starts the slot's next waiting job, until none
// is left. The run is complete, and reported so, when no job waits and every slot is idle.
class AssetFetcher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AssetFetcher)

public:
    static constexpr int SlotCount = 5;
    static constexpr int RequestTimeoutMs = 5000;
    static constexpr int MaxJobMs = 10 * 60 * 1000; // a body may trickle in, but not for ever
    // A job of this kind is an article's web page, looked over for the addresses of the images that its
    // saved page misses; the progress column of its row tells how many it looks for, then how many it
    // could not find.
    static constexpr int PageImagesKind = 200;

    // What went wrong with the task folder's record of queued jobs, named in the status line and the
    // summary: it could not be read whole (the saved pages stood in for it), or not be written (a later
    // run may not know every job).
    enum class RecordTrouble { None, Damaged, Unwritable };

    explicit AssetFetcher(Model::RunState& state, QObject* parent = nullptr);
    ~AssetFetcher() override;

    // Starts the queue on all idle slots.
    void StartAssetDownloads();
    // Queues again every job recorded for a listed article whose file is missing: jobs that an earlier
    // run queued but never fetched, or that failed. A saved page that refers to a missing image that no
    // job brings gets a look-over of its web page, which queues that image.
    void QueueRecordedJobs();
    // The 再次下载图片 command: every job that did not end in success waits again; then the queue starts.
    void FetchAgain();
    // True while any slot is fetching.
    bool busy() const;

    // The trouble noted for the record of the current task folder.
    RecordTrouble recordTrouble() const;
    // Notes a trouble of the current task folder's record; the worse one stays, and a damage found
    // again (or not) replaces the damage noted before.
    void noteRecordTrouble(RecordTrouble trouble);

Q_SIGNALS:
    // Every slot is idle and no job waits.
    void allDone();

private:
    // What a slot is fetching, as it was when the job was claimed.
    struct AssetSlot
    {
        QPointer<QNetworkReply> reply;
        int row = 0;
        QString address;
        QString folder;
        QString target;
        int kind = 0;
        int waits = 0;        // times the job was asked for again after its site asked to wait
        QTimer hold;          // runs while the job waits for its site
        bool holding = false; // the job waits for its site; its request is sent when hold ends
        Text::SiteTicket ticket; // one of its site's connections, while the request is under way
        QUrl redirectTo;         // from an archive: the capture the archive sent the request on to
        QStringList visited;     // where the job's request went so far (to tell a loop)
        bool active() const { return !reply.isNull() || holding; }
    };

    // Claims the next waiting job for the slot and sends its request; false when no job waits.
    bool StartNextAsset(int slot);
    // Sends the job's request, or holds it while its site is waited for. Why it cannot be requested at
    // all (no web address, a site that is asked no more); empty when it is under way.
    QString SendRequest(int slot);
    // The hold of a job ended: its request goes out, or the job fails.
    void HoldEnded(int slot);
    void ReplyFinished(int slot);
    void AssetFinished(int slot, const QByteArray& body);
    // An article's web page arrived: the images its saved page misses are queued from their addresses.
    void LookOverPage(int slot, const QByteArray& body);
    // Writes the job's result (and, where given, its progress) into its row and lets the slot take the
    // next job.
    void EndJob(int slot, const QString& result, const QString& progress = QString());
    // Reports the end of the run once nothing waits and every slot is idle.
    void FinishWhenIdle();

    Model::RunState& m_state;
    std::array<AssetSlot, SlotCount> m_slots;
    bool m_running = false;
    // The article page that each look-over (by its address and folder) serves.
    QHash<QString, QString> m_lookOvers;
    RecordTrouble m_recordTrouble = RecordTrouble::None;
    QString m_troubledFolder;
};

// Starts the asset fetching of a download run (the fetcher of the state, when there is one), with every
// recorded job of the task whose file is missing queued again.
void StartAssetDownloads(Model::RunState& state);

} // namespace Assets
