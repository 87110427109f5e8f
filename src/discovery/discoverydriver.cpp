#include "discovery/discoverydriver.h"

#include "discovery/announcedarticles.h"
#include "discovery/archivedarticles.h"
#include "discovery/finders.h"
#include "model/runstate.h"
#include "model/taskfiles.h"
#include "model/tasklock.h"
#include "model/taskname.h"
#include "render/downloaddriver.h"
#include "text/failure.h"
#include "text/textprimitives.h"
#include "text/unrecognisedpage.h"
#include "text/webarchive.h"
#include "text/writefailure.h"

#include <QFile>
#include <QScopeGuard>

#include <exception>

namespace Discovery {

namespace {

using Model::RunState;

// Most finders take the address alone.
template <QCoro::Task<> (*find)(RunState&, QString)>
QCoro::Task<> WithAddress(RunState& state, QString address, std::optional<int>)
{
    return find(state, std::move(address));
}

QCoro::Task<> Ifeng(RunState& state, QString address, std::optional<int> resumePage)
{
    return FindIfengArticles(state, std::move(address), resumePage);
}

QCoro::Task<> Qzone(RunState& state, QString, std::optional<int>)
{
    return FindQzoneArticles(state);
}

// The outcome of a search that found articles; with the count the blog announces beside the rows found,
// and what the rows exceed it by.
QString FinishedStatus(const RunState& state)
{
    if (!state.announcedArticles) {
        return QStringLiteral("文章寻找完成，按“下载”开始下载，或者保存本次任务");
    }
    QString counts = QStringLiteral("找到") + Text::Num(state.articles.articleCount()) +
                     QStringLiteral("篇（博客显示") + Text::Num(*state.announcedArticles) +
                     QStringLiteral("篇");
    if (const int surplus = DiscoverySurplus(state); surplus > 0) {
        counts += QStringLiteral("，多出") + Text::Num(surplus) + QStringLiteral("篇");
    }
    return QStringLiteral("文章寻找完成，") + counts +
           QStringLiteral("），按“下载”开始下载，或者保存本次任务");
}

// The outcome of a search that a failed request ended.
QString InterruptedStatus(const RunState& state)
{
    const QString why = QStringLiteral("（") + state.searchInterruption->describe() + QStringLiteral("）");
    const int found = state.articles.articleCount();
    if (found == 0) {
        if (!state.http.reach->unreachable.isEmpty()) {
            // No list page could be asked for at all: the network is what to look at, not the address.
            return QStringLiteral("查找文章中断：") + state.http.reach->unreachable;
        }
        return QStringLiteral("查找文章中断，未找到文章，请检查地址和网络") + why;
    }
    return QStringLiteral("查找文章中断，已找到") + Text::Num(found) +
           QStringLiteral("篇文章，按“下载”下载已找到的文章，或者保存本次任务") + why;
}

} // namespace

bool ResumesSearch(int platformCode)
{
    // Only the iFeng finder records its progress and goes on from a page; every other finder searches
    // the whole blog again, so rows loaded from a checkpoint would only be found twice.
    return platformCode == Model::Ifeng;
}

const FinderTable& Finders()
{
    static const FinderTable table{
        WithAddress<FindSinaArticles>,       // 0 新浪
        WithAddress<FindBaiduArticles>,      // 1 百度
        WithAddress<FindHexunArticles>,      // 2 和讯
        WithAddress<FindNeteaseArticles>,    // 3 网易
        WithAddress<FindSohuArticles>,       // 4 搜狐
        Ifeng,                               // 5 凤凰: goes on from the resume page
        Qzone,                               // 6 QQ空间: reads the task name
        WithAddress<FindHealth39Articles>,   // 7 39健康博客
        WithAddress<FindTianyaArticles>,     // 8 天涯
        WithAddress<FindYaolanArticles>,     // 9 摇篮
        WithAddress<FindCsdnArticles>,       // 10 CSDN
        WithAddress<FindChinaUnixArticles>,  // 11 ChinaUnix
        WithAddress<FindCerspArticles>,      // 12 中国教育平台1
        WithAddress<FindCerspEblogArticles>, // 13 中国教育平台2
        WithAddress<FindCnblogsArticles>,    // 14 博客园
        WithAddress<FindTianya2Articles>,    // 15 天涯2
        WithAddress<FindCto51Articles>,      // 16 51cto
    };
    return table;
}

QCoro::Task<> Start(RunState& state, int blg, QString bt, QString htp)
{
    return Start(state, blg, std::move(bt), std::move(htp), Finders());
}

QCoro::Task<> Start(RunState& state, int blg, QString bt, QString htp, FinderTable finders)
{
    // The new-task command stays enabled during a search; two finders must never fill one list.
    if (state.discoveryRunning || state.downloadRunning) {
        state.setStatus(QStringLiteral("上一个任务的查找或下载尚未结束，请稍后再新建任务"));
        co_return;
    }
    if (!Model::IsPlatformCode(blg)) {
        state.setStatus(QStringLiteral("平台代号") + Text::Num(blg) + QStringLiteral("无效，任务未开始"));
        co_return;
    }
    // Nothing of a task may be written outside the program folder.
    if (!Model::TaskNameProblem(bt).isEmpty()) {
        state.setStatus(Model::TaskNameRefusal(bt) + QStringLiteral("，任务未开始"));
        co_return;
    }
    // Another run (a scheduled backup, a second window) may be working on the task.
    if (const Model::TaskLock::Result held = Model::HoldTask(state, bt);
        held.outcome == Model::TaskLock::Outcome::Busy) {
        state.setStatus(held.text + QStringLiteral("，任务未开始"));
        co_return;
    }
    state.discoveryRunning = true;
    auto running = qScopeGuard([&state] { state.discoveryRunning = false; });

    state.SetReportStage(0);
    state.task.TaskName = bt;
    state.task.BlogAddress = htp;
    state.task.PlatformCode = blg;
    // A task folder that cannot be written is said before anything is fetched.
    state.writeStopped.clear();
    if (const QString problem = Text::TaskFolderProblem(state.taskFolder()); !problem.isEmpty()) {
        state.writeStopped = problem;
        state.setStatus(problem + QStringLiteral("，任务未开始"));
        co_return;
    }
    // The category table is emptied together with the list, before the checkpoint question, so that
    // the rows a resumed search loads are counted in their categories.
    state.ResetArticleList();
    std::optional<int> resume;
    if (ResumesSearch(blg)) {
        try {
            resume = (co_await Model::ReadCheckpoint(state)).resumePage();
        } catch (const std::exception&) {
            resume.reset();
        }
    }
    state.ui.clearList();
    state.setStatus(QStringLiteral("正在查找文章.."));
    state.SetCommandStates(true, false, false, true, false, false);

    // A request that failed or timed out interrupts the search: what is missing may be found later, from
    // the checkpoint. A finder that stops by a rule of its own (no pager, a count that is no number, a
    // list that runs short) has read what the blog's pages offer: the search is over.
    // The run remembers which page ended the search and why, so that its summary counts the list as
    // incomplete.
    QString unrecognisedList; // what a list page that matched no known layout lacked
    try {
        if (const Finder& finder = finders[size_t(blg)]) {
            co_await finder(state, htp, resume);
        }
    } catch (const Text::RequestFailure& failure) {
        state.searchInterruption =
            Model::SearchInterruption{failure.address().isEmpty() ? htp : failure.address(),
                                      failure.reason().isEmpty() ? failure.message() : failure.reason()};
    } catch (const Text::UnrecognisedPage& unrecognised) {
        // Pages answered, but not in any layout the finder knows: another run would read the same.
        unrecognisedList = unrecognised.message();
    } catch (const Text::Failure&) {
        // The finder's own end: its rows are the outcome.
    } catch (const std::exception& error) {
        state.searchInterruption = Model::SearchInterruption{htp, QString::fromLocal8Bit(error.what())};
    }

    if (state.http.archive != nullptr) {
        // The archive's index knows the articles whose list pages it never captured.
        co_await FindArchivedArticles(state);
        if (state.searchInterruption && state.archiveFinding->indexProblem.isEmpty() &&
            state.searchInterruption->reason == QString::fromUtf8(Text::NoCaptureText)) {
            state.archiveFinding->missingList = state.searchInterruption->describe();
            state.searchInterruption.reset();
        }
    }

    if (state.searchInterruption) {
        // The list is incomplete: the checkpoint stays so that the search can be resumed.
        state.setStatus(InterruptedStatus(state) + (state.archiveFinding ? QStringLiteral("；") +
                                                                             state.archiveFinding->describe()
                                                                       : QString()));
    } else if (state.articles.gridRowCount() < 3 && !unrecognisedList.isEmpty()) {
        state.setStatus(unrecognisedList + QStringLiteral("，网站可能已改版，或地址有误"));
    } else if (state.articles.gridRowCount() < 3) {
        state.setStatus(QStringLiteral("未找到文章，请检查地址"));
    } else if (!unrecognisedList.isEmpty()) {
        // The rows before the page that was not understood are kept; the list may lack the rest.
        state.setStatus(FinishedStatus(state) + QStringLiteral("；") + unrecognisedList);
        QFile::remove(state.pathInProgramFolder(QStringLiteral("find.dat")));
    } else if (state.archiveFinding) {
        state.setStatus(FinishedStatus(state) + QStringLiteral("；") + state.archiveFinding->describe());
        QFile::remove(state.pathInProgramFolder(QStringLiteral("find.dat")));
    } else {
        state.setStatus(FinishedStatus(state));
        QFile::remove(state.pathInProgramFolder(QStringLiteral("find.dat")));
    }
    state.SetCommandStates(true, true, false, true, true, true);
    state.SetReportStage(100);

    running.dismiss();
    state.discoveryRunning = false;
    if (state.automaticMode()) {
        try {
            co_await Render::DownloadDriver(state);
        } catch (const std::exception&) {
            // The download reports its own outcome in the status line.
        }
    }
}

} // namespace Discovery
