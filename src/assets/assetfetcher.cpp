#include "assets/assetfetcher.h"

#include "assets/assetnames.h"
#include "assets/backupsummary.h"
#include "assets/jobrecord.h"
#include "assets/pageimages.h"
#include "assets/sinacomments.h"
#include "model/articlenames.h"
#include "model/runstate.h"
#include "text/certificatecheck.h"
#include "text/charset.h"
#include "text/containedpath.h"
#include "text/failure.h"
#include "text/networkfailure.h"
#include "text/pagefetch.h"
#include "text/redirectguard.h"
#include "text/replylimit.h"
#include "text/sitegate.h"
#include "text/textfiles.h"
#include "text/writefailure.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSet>
#include <QUrl>

#include <algorithm>

namespace Assets {

namespace {

const QString Fetching = QStringLiteral("○");
const QString Saved = QStringLiteral("●");
const QString Present = QStringLiteral("已存在");
const QString ErrorMark = QStringLiteral("错误|");

// A fetched file goes in place whole or not at all, and only inside the program folder.
void SaveAsset(const Model::RunState& state, int kind, const QString& path, const QByteArray& body)
{
    const QString target = Text::RequireInside(state.programFolder, path);
    QDir().mkpath(QFileInfo(target).path());
    if (kind < Model::AssetQueue::CommentKind) {
        Text::WriteBytesFileAt(target, body);
        return;
    }
    QString text = Text::DecodeBytes(body, QStringLiteral("GB2312"));
    Model::UnescapeUnicode(text);
    Text::WriteTextFileAt(target, FormatCommentPage(text));
}

// The list box names what the book is missing, so that nobody has to open failed.txt to know.
void ShowMissingItems(Model::RunState& state, const BackupSummary& summary)
{
    constexpr int ShownItems = 500;
    state.ui.clearList();
    if (summary.missing() == 0) {
        return;
    }
    state.ui.addListLine(QStringLiteral("缺失") + QString::number(summary.failed.size()) +
                         QStringLiteral("项，下次下载时会再次获取，清单见") +
                         QString::fromLatin1(BackupSummary::FailedListName) + QStringLiteral("："));
    for (qsizetype i = 0; i < summary.failed.size() && i < ShownItems; ++i) {
        state.ui.addListLine(summary.failed.at(i).address + QStringLiteral("  ") +
                             summary.failed.at(i).reason);
    }
}

} // namespace

AssetFetcher::AssetFetcher(Model::RunState& state, QObject* parent) : QObject(parent), m_state(state)
{
    m_state.assetFetcher = this;
    for (int slot = 0; slot < SlotCount; ++slot) {
        m_slots[slot].hold.setSingleShot(true);
        connect(&m_slots[slot].hold, &QTimer::timeout, this, [this, slot] { HoldEnded(slot); });
    }
}

AssetFetcher::~AssetFetcher()
{
    for (AssetSlot& slot : m_slots) {
        if (QNetworkReply* reply = slot.reply.data()) {
            disconnect(reply, nullptr, this, nullptr);
            reply->abort();
            reply->deleteLater();
        }
    }
    if (m_state.assetFetcher == this) {
        m_state.assetFetcher = nullptr;
    }
}

bool AssetFetcher::busy() const
{
    for (const AssetSlot& slot : m_slots) {
        if (slot.active()) {
            return true;
        }
    }
    return false;
}

AssetFetcher::RecordTrouble AssetFetcher::recordTrouble() const
{
    return m_troubledFolder == m_state.taskFolder() ? m_recordTrouble : RecordTrouble::None;
}

void AssetFetcher::noteRecordTrouble(RecordTrouble trouble)
{
    RecordTrouble noted = recordTrouble();
    if (noted == RecordTrouble::Damaged) {
        noted = RecordTrouble::None;
    }
    m_recordTrouble = std::max(noted, trouble);
    m_troubledFolder = m_state.taskFolder();
}

void AssetFetcher::StartAssetDownloads()
{
    m_running = true;
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (m_slots[slot].active()) {
            continue; // still fetching; it takes the next job when it is done
        }
        if (!StartNextAsset(slot)) {
            break;
        }
    }
    FinishWhenIdle();
}

void AssetFetcher::QueueRecordedJobs()
{
    Model::AssetQueue& queue = m_state.assets;
    // The rows by the hash of their target file: a queue of 200,000 jobs keeps no 200,000 paths.
    QMultiHash<size_t, int> queued;
    const auto targetOf = [&](int row) {
        return AssetTargetPath(m_state, queue.kind(row), queue.address(row), queue.folder(row));
    };
    for (int row = 1; row <= queue.jobCount(); ++row) {
        queued.insert(qHash(targetOf(row)), row);
    }
    const auto rowOf = [&](const QString& target) {
        const size_t hash = qHash(target);
        for (auto it = queued.constFind(hash); it != queued.cend() && it.key() == hash; ++it) {
            if (targetOf(*it) == target) {
                return *it;
            }
        }
        return 0;
    };
    // Queues a job unless its row is there; a row that is there waits again unless it is being fetched.
    const auto queueAgain = [&](int kind, const QString& address, const QString& folder) {
        const QString target = AssetTargetPath(m_state, kind, address, folder);
        const int row = rowOf(target);
        if (row == 0) {
            const int added = queue.AddAssetRow(kind, address, folder, m_state.listScrolling);
            queued.insert(qHash(target), added);
            return added;
        }
        if (queue.result(row) != Fetching) {
            queue.setResult(row, QString());
        }
        return row;
    };

    const JobRecord record(m_state.taskFolder());
    const JobRecordHealth health = ForEachListedJob(m_state, [&](const RecordedJob& job) {
        if (!QFileInfo(AssetTargetPath(m_state, job.kind, job.address, job.folder)).isFile()) {
            queueAgain(job.kind, job.address, job.folder);
        }
    });
    noteRecordTrouble(health.damaged() ? RecordTrouble::Damaged : RecordTrouble::None);
    if (health.damaged() && health.readable) {
        // Its sound lines are kept, the rest goes, so that the damage is named once.
        record.rewrite(record.read());
    }

    // The saved pages say which images the backup holds, whatever the record says: an image that a page
    // refers to and that no job brings is looked for in the article's web page.
    for (const PageImages& page : PagesMissingImages(m_state)) {
        int lacking = 0;
        for (const QString& name : page.missing) {
            lacking += rowOf(Text::JoinPath(m_state.categoryFolder(page.folder), name)) == 0 ? 1 : 0;
        }
        if (lacking > 0) {
            const QString address = m_state.articleFetchAddress(page.row);
            const int row = queueAgain(PageImagesKind, address, page.folder);
            queue.setText(row, Model::AssetQueue::ProgressColumn, QString::number(lacking));
            m_lookOvers.insert(address + u'\t' + page.folder, page.article);
        }
    }
}

void AssetFetcher::FetchAgain()
{
    m_state.writeStopped.clear(); // the user made room, or means to see it fail again
    Model::AssetQueue& queue = m_state.assets;
    for (int row = 1; row <= queue.jobCount(); ++row) {
        const QString result = queue.result(row);
        if (result == Saved) {
            continue;
        }
        if (result == Fetching) {
            bool inFlight = false;
            for (const AssetSlot& slot : m_slots) {
                inFlight = inFlight || (slot.active() && slot.row == row);
            }
            if (inFlight) {
                continue;
            }
        }
        queue.setResult(row, QString());
    }
    QueueRecordedJobs();
    StartAssetDownloads();
}

bool AssetFetcher::StartNextAsset(int slot)
{
    if (!m_state.writeStopped.isEmpty()) {
        return false; // the files under way end; no further one is fetched
    }
    Model::AssetQueue& queue = m_state.assets;
    const int jobs = queue.jobCount();
    for (int row = queue.firstWaitingJob(); row <= jobs; ++row) {
        if (!queue.result(row).isEmpty()) {
            continue;
        }
        AssetSlot& job = m_slots[slot];
        job.row = row;
        job.kind = queue.kind(row);
        job.address = queue.address(row);
        job.folder = queue.folder(row);
        job.target = AssetTargetPath(m_state, job.kind, job.address, job.folder);
        job.waits = 0;
        job.redirectTo.clear();
        job.visited.clear();
        if (job.kind != PageImagesKind && QFileInfo(job.target).isFile()) {
            queue.setResult(row, Present);
            continue;
        }

        queue.setResult(row, Fetching);
        if (m_state.listScrolling && row > 5) {
            queue.setFirstVisibleRow(row - 5);
        }
        m_state.setStatus(QStringLiteral("下载图片(评论) ") + QString::number(row) + u'/' +
                          QString::number(jobs));
        const QString refusal = SendRequest(slot);
        if (refusal.isEmpty()) {
            return true;
        }
        // The address cannot be requested at all: the job fails at once and the slot looks further.
        queue.setResult(row, ErrorMark + refusal);
    }
    return false;
}

QString AssetFetcher::SendRequest(int slot)
{
    AssetSlot& job = m_slots[slot];
    const QUrl url = Text::RequestUrl(job.address);
    if (m_state.http.manager == nullptr || !Text::IsWebUrl(url)) {
        return QStringLiteral("不是网址：") + job.address.left(200);
    }
    // From an archive an image is asked for as one, so that it comes as it was served.
    const QUrl requested =
        !job.redirectTo.isEmpty()
            ? job.redirectTo
            : Text::SourceUrl(m_state.http, url,
                              job.kind < Model::AssetQueue::CommentKind ? Text::Replay::Image
                                                                        : Text::Replay::Page);
    if (job.visited.isEmpty()) {
        job.visited.append(requested.toString());
    }
    if (m_state.http.gates != nullptr) {
        Text::SiteGates& gates = *m_state.http.gates;
        const QString site = Text::SiteGates::SiteKey(requested);
        if (const QString closed = gates.closedReason(site); !closed.isEmpty()) {
            return closed;
        }
        if (const qint64 wait = gates.msUntilOpen(site); wait > 0) {
            job.holding = true;
            job.hold.start(int(wait));
            return {};
        }
        job.ticket = gates.started(site);
    }
    QNetworkReply* reply =
        m_state.http.manager->get(Text::SourceRequest(m_state.http, requested, RequestTimeoutMs));
    job.reply = reply;
    Text::LimitReply(reply, Text::MaxAssetBytes, MaxJobMs);
    Text::GuardRedirects(reply, Text::RedirectReach::SameSite, m_state.http.gates.get());
    Text::WatchCertificate(reply);
    connect(reply, &QNetworkReply::finished, this, [this, slot] { ReplyFinished(slot); });
    return {};
}

void AssetFetcher::HoldEnded(int slot)
{
    AssetSlot& job = m_slots[slot];
    if (!job.holding) {
        return;
    }
    job.holding = false;
    if (const QString refusal = SendRequest(slot); !refusal.isEmpty()) {
        EndJob(slot, ErrorMark + refusal);
    }
}

void AssetFetcher::ReplyFinished(int slot)
{
    QNetworkReply* reply = m_slots[slot].reply.data();
    if (reply == nullptr) {
        return;
    }
    m_slots[slot].reply.clear();
    m_slots[slot].ticket.release();
    reply->deleteLater();

    // An answer that asks to wait is asked again once the site takes requests, a bounded number of times.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_state.http.gates != nullptr && status > 0) {
        AssetSlot& job = m_slots[slot];
        const Text::SiteGates::Verdict verdict = m_state.http.gates->answered(
            Text::SiteGates::SiteKey(reply->url()), status, reply->rawHeader("Retry-After"), job.waits);
        if (verdict.again) {
            ++job.waits;
            if (const QString refusal = SendRequest(slot); !refusal.isEmpty()) {
                EndJob(slot, ErrorMark + refusal);
            }
            return;
        }
        if (!verdict.failure.isEmpty()) {
            EndJob(slot, ErrorMark + verdict.failure);
            return;
        }
    }

    // The archive's way to the nearest capture is followed as a request of its own, in its turn.
    if (const QUrl next =
            Text::ArchiveRedirect(m_state.http, reply->url(), status, reply->rawHeader("Location"));
        !next.isEmpty()) {
        AssetSlot& job = m_slots[slot];
        if (const QString loop = Text::RedirectLoop(job.visited, next); !loop.isEmpty()) {
            EndJob(slot, ErrorMark + loop);
            return;
        }
        job.visited.append(next.toString());
        job.redirectTo = next;
        if (const QString refusal = SendRequest(slot); !refusal.isEmpty()) {
            EndJob(slot, ErrorMark + refusal);
        }
        return;
    }

    // An error page of the image host is no image: the job fails and can be fetched again. Only the
    // transfer time-out cancels a request that still has its slot, so a cancelled one timed out.
    if (const QString refusal = Text::RedirectFailure(reply); !refusal.isEmpty()) {
        EndJob(slot, ErrorMark + refusal);
    } else if (const QString missing = m_state.http.archive != nullptr ? Text::MissingCaptureWords(status)
                                                                      : QString();
               !missing.isEmpty()) {
        EndJob(slot, ErrorMark + missing);
    } else if (const QString failure = Text::ReplyFailureWords(reply); !failure.isEmpty()) {
        EndJob(slot, ErrorMark + failure);
    } else {
        AssetFinished(slot, reply->readAll());
    }
}

void AssetFetcher::AssetFinished(int slot, const QByteArray& body)
{
    const AssetSlot& job = m_slots[slot];
    if (job.kind == PageImagesKind) {
        LookOverPage(slot, body);
        return;
    }
    try {
        SaveAsset(m_state, job.kind, job.target, body);
    } catch (const Text::WriteFailure& failure) {
        m_state.StopWriting(failure.cause());
        EndJob(slot, ErrorMark + failure.cause());
        return;
    } catch (const Text::Failure& failure) {
        EndJob(slot, ErrorMark + failure.message());
        return;
    }
    EndJob(slot, Saved);
}

void AssetFetcher::LookOverPage(int slot, const QByteArray& body)
{
    const AssetSlot& job = m_slots[slot];
    const QString article = m_lookOvers.value(job.address + u'\t' + job.folder);
    QSet<QString> missing;
    if (!article.isEmpty()) {
        missing = MissingPageImages(Text::JoinPath(m_state.taskFolder(), article));
    }
    const QString page = Text::DecodeBytes(body, m_state.profile().Charset);
    for (const QString& address : AddressesOfImages(page, missing)) {
        missing.remove(LocalImageName(address));
        QueueAssetJob(m_state, Model::AssetQueue::ImageKind, address, job.folder, article);
    }
    EndJob(slot,
           missing.isEmpty() ? Saved
                             : ErrorMark + QStringLiteral("网页中找不到%1张图片的地址").arg(missing.size()),
           QString::number(missing.size()));
}

void AssetFetcher::EndJob(int slot, const QString& result, const QString& progress)
{
    Model::AssetQueue& queue = m_state.assets;
    const AssetSlot& job = m_slots[slot];
    // Rows may have been deleted while the job ran: find the claimed row by its address.
    int row = job.row;
    const auto isClaimedRow = [&](int r) {
        return r >= 1 && r <= queue.jobCount() && queue.result(r) == Fetching &&
               queue.address(r) == job.address && queue.folder(r) == job.folder;
    };
    if (!isClaimedRow(row)) {
        row = 0;
        for (int r = 1; r <= queue.jobCount() && row == 0; ++r) {
            row = isClaimedRow(r) ? r : 0;
        }
    }
    if (row > 0) {
        if (!progress.isNull()) {
            queue.setText(row, Model::AssetQueue::ProgressColumn, progress);
        }
        queue.setResult(row, result);
    }

    if (!StartNextAsset(slot)) {
        FinishWhenIdle();
    }
}

void AssetFetcher::FinishWhenIdle()
{
    if (!m_running || busy()) {
        return;
    }
    m_running = false;
    if (!m_state.writeStopped.isEmpty()) {
        // Nothing more can be written, a list of what is missing included.
        m_state.setStatus(m_state.writeStopped);
        m_state.SetCommandStates(true, true, false, true, true, false);
        Q_EMIT allDone();
        return;
    }
    const BackupSummary summary = SummariseBackup(m_state);
    WriteFailedList(m_state, summary);
    ShowMissingItems(m_state, summary);
    m_state.setStatus(QStringLiteral("图片或评论全部下载完成！"));
    // The counts follow the text that automatic mode waits for.
    m_state.setStatus(QStringLiteral("全部完成，请按“生成CHM”打包成CHM以便浏览（") + summary.countsText() +
                      QStringLiteral("）"));
    m_state.SetCommandStates(false, false, true, true, true, false);
    Q_EMIT allDone();
}

void StartAssetDownloads(Model::RunState& state)
{
    if (state.assetFetcher != nullptr) {
        state.assetFetcher->QueueRecordedJobs();
        state.assetFetcher->StartAssetDownloads();
    }
}

} // namespace Assets
