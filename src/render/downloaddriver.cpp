#include "render/downloaddriver.h"

#include "assets/assetfetcher.h"
#include "model/capturerecord.h"
#include "model/localpage.h"
#include "model/pagerecord.h"
#include "model/runstate.h"
#include "model/taskname.h"
#include "render/articlecursor.h"
#include "render/articlepage.h"
#include "render/articleslot.h"
#include "render/bodylayouts.h"
#include "render/downloadprogress.h"
#include "render/indexpages.h"
#include "render/loginnotice.h"
#include "text/pagecharset.h"
#include "text/pagefetch.h"
#include "text/sitegate.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"
#include "text/writefailure.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <QUrl>

#include <array>
#include <exception>

namespace Render {

using Text::Num;

namespace {

constexpr int SlotCount = DownloadProgress::SlotCount;
constexpr int TimeoutTicks = 5;
constexpr int TickedEntries = 10; // the tick counts the one-second timer advances

const QString Requested = QStringLiteral("○");
const QString Handled = QStringLiteral("●");

// Clears the running flag however the download ends.
class RunningFlag
{
public:
    explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    Q_DISABLE_COPY_MOVE(RunningFlag)

private:
    bool& m_flag;
};

// One download run: the five article slots working through the article list.
class DownloadRun
{
public:
    explicit DownloadRun(Model::RunState& state)
        : m_state(state), m_record(state.taskFolder(), &state.records), m_cursor(state, &m_record)
    {
        const DownloadProgress* progress = m_state.downloadProgress;
        m_ticker.setInterval(progress != nullptr ? std::max(1, progress->tickIntervalMs) : 1000);
        QObject::connect(&m_ticker, &QTimer::timeout, &m_wakeup, [this] { tick(); });
    }
    Q_DISABLE_COPY_MOVE(DownloadRun)

    // Fetches and saves every article that has no page yet.
    QCoro::Task<> fetchAll()
    {
        if (!m_record.problem().isEmpty()) {
            m_state.setStatus(m_record.problem() + QStringLiteral("，以文件夹里的网页为准"));
        }
        m_ticker.start();
        for (int slot = 0; slot < SlotCount; ++slot) {
            const int row = co_await nextRow();
            if (row == 0) {
                m_slots[size_t(slot)].finished = true;
            } else {
                m_state.slotTicks[size_t(slot)] = 0;
                startRow(slot, row);
            }
        }
        for (;;) {
            m_wakeup.clear();
            bool acted = false;
            for (int slot = 0; slot < SlotCount; ++slot) {
                ArticleSlot& current = m_slots[size_t(slot)];
                if (current.finished) {
                    continue;
                }
                if (current.holding()) {
                    // Its site is waited for: no time-out runs meanwhile.
                    m_state.slotTicks[size_t(slot)] = 0;
                    if (current.holdOver()) {
                        send(slot);
                        acted = true;
                    }
                    continue;
                }
                if (current.completed()) {
                    co_await complete(slot);
                    acted = true;
                }
                if (!current.finished && m_state.slotTicks[size_t(slot)] >= TimeoutTicks) {
                    co_await timeOut(slot);
                    acted = true;
                }
            }
            showProgress();
            if (allFinished()) {
                break;
            }
            if (acted) {
                co_await Text::LetEventsRun();
            } else {
                co_await m_wakeup.next();
            }
        }
        m_ticker.stop();
    }

private:
    bool allFinished() const
    {
        for (const ArticleSlot& slot : m_slots) {
            if (!slot.finished) {
                return false;
            }
        }
        return true;
    }

    // Advances the tick counts unless another timer does: the window's one-second timer says so through
    // DownloadProgress, and a timer that nobody announced shows itself by moving the last ticked entry,
    // which the download never resets, between two ticks of this one.
    void tick()
    {
        const DownloadProgress* progress = m_state.downloadProgress;
        int& watched = m_state.slotTicks[size_t(TickedEntries - 1)];
        if (m_ownTicks && m_lastWatched >= 0 && watched != m_lastWatched) {
            m_ownTicks = false;
        }
        if (m_ownTicks && (progress == nullptr || progress->useInternalTicker)) {
            for (int i = 0; i < TickedEntries; ++i) {
                ++m_state.slotTicks[size_t(i)];
            }
        }
        m_lastWatched = watched;
        m_wakeup.wake();
    }

    int maxResends() const
    {
        const DownloadProgress* progress = m_state.downloadProgress;
        return progress != nullptr ? progress->maxResends : 5;
    }

    void showMark(int slot, const QString& mark)
    {
        if (m_state.downloadProgress != nullptr) {
            m_state.downloadProgress->showSlotMark(slot, mark);
        }
    }

    void AdvanceSlotIndicator(int slot)
    {
        static const std::array<QString, 3> marks{QStringLiteral("★"), QStringLiteral("◆"),
                                                  QStringLiteral("■")};
        int& phase = m_slots[size_t(slot)].phase;
        phase = (phase + 1) % 3;
        showMark(slot, marks[size_t(phase)]);
    }

    // The next row whose article is to be fetched. A row whose page holds its article already gets only
    // what it was saved without, here and now.
    QCoro::Task<int> nextRow()
    {
        for (;;) {
            if (!m_state.writeStopped.isEmpty()) {
                co_return 0; // the pages under way end; no further one is fetched
            }
            const int row = co_await m_cursor.NextArticleRow();
            m_lastRow = row;
            if (row == 0 ||
                Model::InspectLocalPage(m_state.articlePagePath(row)) != Model::LocalPage::Article) {
                co_return row;
            }
            co_await completeSavedPage(row);
        }
    }

    QCoro::Task<> completeSavedPage(int row)
    {
        m_state.articles.setMark(row, Handled);
        const QString page = Model::PageRecord::pageName(m_state, row);
        const QString address = m_state.articleAddress(row);
        PageOutcome outcome = PageOutcome::Written;
        try {
            outcome = co_await CompleteSavedPage(m_state, row);
        } catch (const std::exception& error) {
            keep(page, failedEntry(page, address, QString::fromLocal8Bit(error.what())));
            co_return;
        }
        settle(row, page, address, outcome, {});
    }

    // The site of an article row's address; empty for an address that is never requested.
    QString siteOf(int row) const
    {
        const QUrl url = Text::RequestUrl(m_state.articleFetchAddress(row));
        return Text::IsWebUrl(url) ? Text::SiteGates::SiteKey(Text::SourceUrl(m_state.http, url)) : QString();
    }

    // Sends the slot's request once its site takes one; until then the slot holds its row.
    void send(int slot)
    {
        ArticleSlot& current = m_slots[size_t(slot)];
        if (m_state.http.manager == nullptr) {
            current.finished = true;
            return;
        }
        if (const QString site = siteOf(current.row); !site.isEmpty() && m_state.http.gates != nullptr) {
            Text::SiteGates& gates = *m_state.http.gates;
            if (const QString closed = gates.closedReason(site); !closed.isEmpty()) {
                current.refuse(closed, m_wakeup);
                return;
            }
            if (const qint64 wait = gates.msUntilOpen(site); wait > 0) {
                current.hold(int(wait), m_wakeup);
                return;
            }
            current.ticket = gates.started(site);
        }
        current.send(m_state.http, m_state.articleFetchAddress(current.row), m_wakeup);
    }

    // Tells the site's gate of an answer. True when the row is asked again once the site takes requests;
    // an answer that asks to wait too often gets its failure.
    bool waitsForSite(ArticleSlot& current, ArticleSlot::Answer& answer, bool same)
    {
        const QString site = siteOf(current.row);
        if (site.isEmpty() || m_state.http.gates == nullptr || answer.status == 0) {
            return false;
        }
        const Text::SiteGates::Verdict verdict =
            m_state.http.gates->answered(site, answer.status, answer.retryAfter, current.waits);
        if (verdict.again && same) {
            ++current.waits;
            return true;
        }
        if (!verdict.failure.isEmpty()) {
            answer.failure = verdict.failure;
        }
        return false;
    }

    // Sends the request of a newly taken row.
    void startRow(int slot, int row)
    {
        ArticleSlot& current = m_slots[size_t(slot)];
        current.row = row;
        current.link = m_state.articles.link(row);
        current.resends = 0;
        current.waits = 0;
        current.redirectTo.clear();
        current.visited.clear();
        m_state.articles.setMark(row, Requested);
        send(slot);
    }

    // The row of the slot is still the article that was requested (the list may be edited meanwhile).
    bool sameArticle(const ArticleSlot& current) const
    {
        return current.row <= m_state.articles.articleCount() &&
               m_state.articles.link(current.row) == current.link;
    }

    // A page arrived: the next row is requested, then the page is saved.
    QCoro::Task<> complete(int slot)
    {
        ArticleSlot& current = m_slots[size_t(slot)];
        m_state.slotTicks[size_t(slot)] = 0;
        const int row = current.row;
        const bool same = sameArticle(current);
        ArticleSlot::Answer answer = current.takeAnswer();
        if (m_state.http.archive != nullptr) {
            if (const QString missing = Text::MissingCaptureWords(answer.status); !missing.isEmpty()) {
                answer.failure = missing;
            }
            // The archive's way to the nearest capture is followed as a request of its own, in its turn.
            if (const QUrl next =
                    Text::ArchiveRedirect(m_state.http, answer.requested, answer.status, answer.location);
                !next.isEmpty() && same) {
                if (const QString loop = Text::RedirectLoop(current.visited, next); !loop.isEmpty()) {
                    answer.failure = loop;
                } else {
                    current.visited.append(next.toString());
                    current.redirectTo = next;
                    send(slot);
                    co_return;
                }
            }
        }
        if (waitsForSite(current, answer, same)) {
            send(slot);
            co_return;
        }
        if (same) {
            m_state.articles.setMark(row, Handled);
        }
        showMark(slot, Handled);
        int next = co_await nextRow();
        if (next != 0) {
            startRow(slot, next);
            AdvanceSlotIndicator(slot);
        }
        PageOutcome outcome = PageOutcome::Written;
        if (same) {
            const QString page = Model::PageRecord::pageName(m_state, row);
            const QString address = m_state.articleAddress(row);
            bool saved = false;
            try {
                outcome = co_await SaveArticlePage(
                    m_state, Text::DecodePage(answer.body, m_state.profile().Charset, answer.contentType), row);
                saved = true;
            } catch (const Text::WriteFailure& failure) {
                m_state.StopWriting(failure.cause());
                keep(page, failedEntry(page, address, failure.cause()));
            } catch (const std::exception& error) {
                keep(page, failedEntry(page, address, QString::fromLocal8Bit(error.what())));
            }
            if (saved) {
                settle(row, page, address, outcome, answer.failure);
                if (answer.failure.isEmpty() && (outcome == PageOutcome::Written ||
                                                 outcome == PageOutcome::WrittenWithoutComments)) {
                    noteCapture(page, answer.capture);
                }
            }
        }
        if (outcome == PageOutcome::TryAgain) {
            m_cursor.revisit(row);
        }
        if (next == 0) {
            // A row handed back by the last page is fetched again before the slot ends.
            if (outcome == PageOutcome::TryAgain) {
                next = co_await nextRow();
            }
            if (next == 0) {
                current.finished = true;
            } else {
                startRow(slot, next);
                AdvanceSlotIndicator(slot);
            }
        }
    }

    // No answer within 5 ticks: the request is sent again, a bounded number of times.
    QCoro::Task<> timeOut(int slot)
    {
        ArticleSlot& current = m_slots[size_t(slot)];
        m_state.slotTicks[size_t(slot)] = 0;
        current.abort();
        if (current.resends >= maxResends()) {
            co_await giveUp(slot);
            co_return;
        }
        ++current.resends;
        if (sameArticle(current)) {
            m_state.articles.setMark(current.row, Requested);
        }
        AdvanceSlotIndicator(slot);
        co_await Text::LetEventsRun();
        if (!current.finished) {
            send(slot);
        }
    }

    // The row's requests kept timing out: it gets the page that points to its web address.
    QCoro::Task<> giveUp(int slot)
    {
        ArticleSlot& current = m_slots[size_t(slot)];
        const int row = current.row;
        if (sameArticle(current)) {
            m_state.articles.setMark(row, Handled);
            settle(row, Model::PageRecord::pageName(m_state, row), m_state.articleAddress(row),
                   PageOutcome::GaveUp, QStringLiteral("超时无响应"));
        }
        showMark(slot, Handled);
        const int next = co_await nextRow();
        if (next == 0) {
            current.finished = true;
        } else {
            startRow(slot, next);
            AdvanceSlotIndicator(slot);
        }
    }

    // Remembers in the task folder what became of a page, and then writes the page that points to the web
    // address where the outcome wants one: a kill between the two leaves a recorded failure, never a
    // page of the fallback that counts as saved. A failed fetch is fetched again by the next run; only a
    // page that the blog served and marked as deleted or locked is final, and a page that carries no more
    // than what every page of the site carries is final only once a later run has seen it again.
    void settle(int row, const QString& page, const QString& address, PageOutcome outcome,
                const QString& failure)
    {
        using Entry = Model::PageRecord::Entry;
        const Entry before = m_record.entry(page);
        Entry entry{Saved, address, {}, {}, 0};
        switch (outcome) {
        case PageOutcome::TryAgain:
            return;
        case PageOutcome::Written:
            break;
        case PageOutcome::WrittenWithoutComments:
            entry = failedEntry(page, address, QStringLiteral("评论数读取失败"));
            break;
        case PageOutcome::LoginNeeded:
            // The article exists, whatever an earlier run took the notice for: a run with the author's
            // login fetches it.
            entry = {Failed, address, LoginNeededReason(m_state.task.PlatformCode), {}, 0};
            if (!m_state.task.CookieFile.isEmpty()) {
                entry.reason += QStringLiteral("（所给的登录Cookie没有登录，可能已过期）");
            }
            break;
        case PageOutcome::Deleted:
        case PageOutcome::SiteMarkOnly:
        case PageOutcome::Bodiless:
        case PageOutcome::GaveUp: {
            // Only a page that was served (2xx) and that the site would also serve for a deleted article
            // counts towards deciding that it is deleted.
            const bool served = failure.isEmpty() && outcome != PageOutcome::GaveUp;
            const int bodiless = before.bodiless + (served ? 1 : 0);
            if (!failure.isEmpty()) {
                entry = failedEntry(page, address, failure);
            } else if (outcome == PageOutcome::Deleted) {
                entry = {Deleted, address, {}, {}, 0};
            } else if (outcome == PageOutcome::SiteMarkOnly && bodiless >= SiteMarkConfirmations) {
                entry = {Deleted, address, QStringLiteral("多次打开都只有网站的通用页面，没有正文"), {}, 0};
            } else if (outcome == PageOutcome::Bodiless && !hasMarks() && bodiless >= BodilessConfirmations) {
                entry = {Deleted, address, QStringLiteral("多次打开都没有正文"), {}, 0};
            } else if (outcome == PageOutcome::SiteMarkOnly) {
                entry =
                    failedEntry(page, address,
                                QStringLiteral("没有正文，只有网站的通用页面（可能是系统繁忙或要求登录），"
                                               "下次运行再确认是否已删除"));
            } else if (outcome == PageOutcome::Bodiless) {
                entry = failedEntry(page, address,
                                    unrecognised() +
                                        QStringLiteral("（打开%1次都没有正文）").arg(std::max(1, bodiless)));
            } else {
                // Served each time, never with a body the program can find: the site has changed.
                entry = failedEntry(page, address, unrecognised());
            }
            entry.bodiless = bodiless;
            break;
        }
        }
        const bool notTheArticle = outcome == PageOutcome::LoginNeeded || outcome == PageOutcome::Deleted ||
                                   outcome == PageOutcome::SiteMarkOnly || outcome == PageOutcome::Bodiless ||
                                   outcome == PageOutcome::GaveUp;
        if (m_state.http.archive != nullptr && notTheArticle && failure.isEmpty()) {
            // A capture of the site's notice, its login page or a page without the article is no sign that
            // the article is gone: another capture may hold it, and the next run asks again.
            entry = failedEntry(page, address, missingArticleReason(outcome));
        }
        keep(page, entry);
        if (WantsFallbackPage(outcome)) {
            try {
                SaveFallbackPage(m_state, row);
            } catch (const std::exception&) {
            }
        }
    }

    // Why a capture that the archive holds is not the article.
    static QString missingArticleReason(PageOutcome outcome)
    {
        const QString missing = QString::fromUtf8(Text::NoCaptureText);
        switch (outcome) {
        case PageOutcome::LoginNeeded:
            return missing + QStringLiteral("（存档的是登录页）");
        case PageOutcome::Deleted:
            return missing + QStringLiteral("（存档的是网站的提示页）");
        default:
            return missing + QStringLiteral("（存档的页面没有正文）");
        }
    }

    // Remembers the capture a saved page came from (archive tasks).
    void noteCapture(const QString& page, const QString& capture)
    {
        if (m_state.http.archive == nullptr || capture.isEmpty()) {
            return;
        }
        if (!Model::CaptureRecord::Note(m_state.records, m_state.taskFolder(), page, capture)) {
            m_state.noteUnwritableRecord(
                Text::JoinPath(m_state.taskFolder(), QString::fromLatin1(Model::CaptureRecord::FileName)));
        }
    }

    // A failure of a page the blog deleted earlier leaves it deleted: only its article changes that.
    Model::PageRecord::Entry failedEntry(const QString& page, const QString& address,
                                         const QString& reason) const
    {
        Model::PageRecord::Entry before = m_record.entry(page);
        if (m_record.deleted(page)) {
            before.tried = {};
            return before;
        }
        return {Failed, address, reason, {}, before.bodiless};
    }

    // Writes the outcome into the record; a record that cannot be written is a failure of the run.
    void keep(const QString& page, const Model::PageRecord::Entry& entry)
    {
        if (!m_record.record(page, entry)) {
            m_state.noteUnwritableRecord(m_record.path());
        }
    }

    // Why a page that was served holds no body the program can find.
    QString unrecognised() const
    {
        return UnrecognisedBodyReason(m_state.task.PlatformCode, m_state.profile());
    }

    // Whether the platform has marks for pages without an article at all (QQ zone has none).
    bool hasMarks() const
    {
        const Model::PlatformProfile& profile = m_state.profile();
        return !profile.NoArticleMarker1.isEmpty() || !profile.NoArticleMarker2.isEmpty() ||
               !profile.NoArticleMarker3.isEmpty();
    }

    void showProgress()
    {
        if (m_state.listScrolling && m_lastRow > 5) {
            m_state.articles.setFirstVisibleRow(m_lastRow - 5);
        }
        if (m_state.http.gates != nullptr) {
            // While a site is waited for, the status line says so and how long.
            if (const QString waiting = m_state.http.gates->waitText(); !waiting.isEmpty()) {
                m_state.setStatus(waiting);
                return;
            }
        }
        m_state.setStatus(QStringLiteral("下载文章：") + Num(m_lastRow) + u'/' +
                          Num(m_state.articles.articleCount()) + QStringLiteral(" 图片剩余:") +
                          Num(m_state.ui.listCount()));
    }

    static constexpr auto Saved = Model::PageRecord::Outcome::Saved;
    static constexpr auto Failed = Model::PageRecord::Outcome::Failed;
    static constexpr auto Deleted = Model::PageRecord::Outcome::Deleted;
    // Runs that must see a page with no more than the site's own marks before it counts as deleted, and
    // runs that must see a page without body where the platform has no marks at all.
    static constexpr int SiteMarkConfirmations = 2;
    static constexpr int BodilessConfirmations = 3;

    Model::RunState& m_state;
    Model::PageRecord m_record;
    ArticleCursor m_cursor;
    DownloadWakeup m_wakeup;
    QTimer m_ticker;
    std::array<ArticleSlot, SlotCount> m_slots;
    int m_lastRow = 0;
    bool m_ownTicks = true;
    int m_lastWatched = -1;
};

// Index pages of an earlier run lie directly in the task folder; article pages without a category lie
// there too and stay.
} // namespace

QCoro::Task<> DownloadDriver(Model::RunState& state)
{
    if (state.downloadRunning) {
        co_return;
    }
    const RunningFlag running(state.downloadRunning);
    if (!Model::TaskNameProblem(state.task.TaskName).isEmpty()) {
        state.setStatus(Model::TaskNameRefusal(state.task.TaskName) + QStringLiteral("，未开始下载"));
        co_return;
    }

    state.SetReportStage(200);
    state.ui.clearList();
    QFile::remove(Text::JoinPath(state.taskFolder(), QStringLiteral("下载记录.htm")));
    const int articleCount = state.articles.articleCount();
    for (int row = 1; row <= articleCount; ++row) {
        state.articles.setMark(row, QString());
    }
    state.writeStopped.clear();
    if (const QString problem = Text::TaskFolderProblem(state.taskFolder()); !problem.isEmpty()) {
        state.writeStopped = problem;
        state.setStatus(problem + QStringLiteral("，未开始下载"));
        co_return;
    }
    if (articleCount < 5) {
        state.ui.tell(QStringLiteral("很遗憾没有找到文章(或者文章少于5篇)，请重新输入用户名后再按“寻找”"));
        co_return;
    }

    state.setStatus(QStringLiteral("正在下载文章.."));
    state.attemptList.clear();
    state.unwritableRecords.clear();
    state.SetCommandStates(false, false, false, true, false, false);
    QDir().mkpath(state.taskFolder());

    {
        DownloadRun run(state);
        co_await run.fetchAll();
    }
    if (!state.writeStopped.isEmpty()) {
        state.setStatus(state.writeStopped);
        state.SetCommandStates(true, true, false, true, true, false);
        co_return;
    }

    co_await Text::LetEventsRun();
    try {
        co_await WriteIndexPages(state);
    } catch (const std::exception&) {
    }
    if (!state.writeStopped.isEmpty()) {
        state.setStatus(state.writeStopped);
        state.SetCommandStates(true, true, false, true, true, false);
        co_return;
    }

    state.SetReportStage(300);
    state.setStatus(QStringLiteral("文章下载完成...."));
    state.SetCommandStates(false, false, true, true, true, false);
    try {
        Assets::StartAssetDownloads(state);
    } catch (const std::exception&) {
    }
}

} // namespace Render
