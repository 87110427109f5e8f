#include "discovery/discoverydriver.h"

#include "discovery/finders.h"
#include "model/runstate.h"
#include "model/taskfiles.h"
#include "model/taskname.h"
#include "render/downloaddriver.h"
#include "text/failure.h"
#include "text/textprimitives.h"
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

// The outcome of a search that found articles; with the count the blog announces beside the rows found.
QString FinishedStatus(int found, std::optional<int> announced)
{
    if (!announced) {
        return QStringLiteral("文章寻找完成，按“下载”开始下载，或者保存本次任务");
    }
    return QStringLiteral("文章寻找完成，找到") + Text::Num(found) + QStringLiteral("篇（博客显示") +
           Text::Num(*announced) + QStringLiteral("篇），按“下载”开始下载，或者保存本次任务");
}

} // namespace

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
    try {
        resume = (co_await Model::ReadCheckpoint(state)).resumePage();
    } catch (const std::exception&) {
        resume.reset();
    }
    state.ui.clearList();
    state.setStatus(QStringLiteral("正在查找文章.."));
    state.SetCommandStates(true, false, false, true, false, false);

    // A request that failed or timed out interrupts the search: what is missing may be found later, from
    // the checkpoint. A finder that stops by a rule of its own (no pager, a count that is no number, a
    // list that runs short) has read what the blog's pages offer: the search is over.
    bool interrupted = false;
    try {
        if (const Finder& finder = finders[size_t(blg)]) {
            co_await finder(state, htp, resume);
        }
    } catch (const Text::RequestFailure& failure) {
        // Why, in words (a network that cannot be reached, a server whose head never ends), before the
        // outcome.
        interrupted = true;
        state.setStatus(QStringLiteral("查找文章中断：") + failure.message());
    } catch (const Text::Failure&) {
        // The finder's own end: its rows are the outcome.
    } catch (const std::exception&) {
        interrupted = true;
    }

    const int found = state.articles.articleCount();
    if (interrupted) {
        // The list is incomplete: the checkpoint stays so that the search can be resumed.
        if (found > 0) {
            state.setStatus(QStringLiteral("查找文章中断，已找到") + Text::Num(found) +
                            QStringLiteral("篇文章，按“下载”下载已找到的文章，或者保存本次任务"));
        } else if (!state.http.reach->unreachable.isEmpty()) {
            state.setStatus(QStringLiteral("查找文章中断：") + state.http.reach->unreachable);
        } else {
            state.setStatus(QStringLiteral("查找文章中断，未找到文章，请检查地址和网络"));
        }
    } else if (state.articles.gridRowCount() < 3) {
        state.setStatus(QStringLiteral("未找到文章，请检查地址"));
    } else {
        state.setStatus(FinishedStatus(found, state.announcedArticles));
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
