#include "app/batchmode.h"

#include "app/consoleuserinterface.h"
#include "app/runend.h"
#include "app/signalwatcher.h"
#include "assets/assetfetcher.h"
#include "assets/backupsummary.h"
#include "discovery/discoverydriver.h"
#include "model/autoconfig.h"
#include "model/platformprofile.h"
#include "model/runstate.h"
#include "model/tasklock.h"
#include "model/tasklogin.h"
#include "model/taskname.h"
#include "model/tasksource.h"
#include "output/epubwriter.h"
#include "output/markdownexport.h"
#include "text/failure.h"
#include "text/textfiles.h"
#include "text/unrecognisedpage.h"
#include "ui/heartbeat.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <QCoro/QCoroTask>

#include <cstdio>
#include <unistd.h>

namespace App {

namespace {

// The exit statuses, as --help and the README list them.
// A run ended by a signal exits with 128 and the signal's number (SignalWatcher::exitStatus).
enum ExitCode {
    Packed = 0,
    BadSettings = 2,
    NothingFound = 3,
    PackingFailed = 4,
    PackedWithMissing = 5,
    AnotherRun = 6,
    CannotWrite = 7,
    NetworkUnreachable = 8,
    PageFormatUnknown = 9,
};

// A run that could not write its files ends with the one message that says why.
bool EndedByWriting(const Model::RunState& state, int* exitCode)
{
    if (state.writeStopped.isEmpty()) {
        return false;
    }
    ConsoleUserInterface::print(stderr, state.writeStopped);
    *exitCode = CannotWrite;
    QCoreApplication::exit(*exitCode);
    return true;
}

// The last lines of a run: the counts, then every missing item and every article the blog itself
// reports deleted or locked, one a line.
void PrintSummary(const Model::RunState& state, const Assets::BackupSummary& summary)
{
    ConsoleUserInterface::print(stdout, QStringLiteral("备份摘要：") + summary.countsText());
    // Pages that were served but match no layout the program knows apart from the rest: another run
    // does not help them, a program that knows the site's new layout does.
    QList<Assets::BackupSummary::Item> unrecognised;
    QList<Assets::BackupSummary::Item> missing;
    for (const Assets::BackupSummary::Item& item : summary.failed) {
        (Text::IsUnrecognisedPage(item.reason) ? unrecognised : missing).append(item);
    }
    const QString list =
        Text::JoinPath(state.taskFolder(), QString::fromLatin1(Assets::BackupSummary::FailedListName));
    if (!missing.isEmpty()) {
        ConsoleUserInterface::print(
            stdout, QStringLiteral("缺失%1项（清单：%2），再次运行可补全：").arg(missing.size()).arg(list));
        for (const Assets::BackupSummary::Item& item : missing) {
            ConsoleUserInterface::print(stdout,
                                        QStringLiteral("缺失\t") + item.address + u'\t' + item.reason);
        }
    }
    if (!unrecognised.isEmpty()) {
        ConsoleUserInterface::print(
            stdout, QStringLiteral("页面格式无法识别%1项（清单：%2），网站可能已改版，再次运行不能补全：")
                        .arg(unrecognised.size())
                        .arg(list));
        for (const Assets::BackupSummary::Item& item : unrecognised) {
            ConsoleUserInterface::print(stdout,
                                        QStringLiteral("格式不符\t") + item.address + u'\t' + item.reason);
        }
    }
    for (const Assets::BackupSummary::Item& item : summary.deleted) {
        ConsoleUserInterface::print(stdout, QStringLiteral("已删除\t") + item.address + u'\t' + item.reason);
    }
}

// After the CHM: the EPUB and the Markdown when asked for, then the summary, which names the files made,
// and the exit.
QCoro::Task<> Finish(Model::RunState& state, bool chmPacked, BatchOptions outputs, int* exitCode)
{
    bool packed = chmPacked;
    if (outputs.epub) {
        packed = co_await Output::PackEpub(state) && packed;
    }
    bool exported = true;
    if (outputs.markdown) {
        exported = co_await Output::ExportMarkdown(state);
        packed = exported && packed;
    }
    const QString chm = state.pathInProgramFolder(state.task.TaskName + QStringLiteral(".chm"));
    const Assets::BackupSummary summary = Assets::SummariseBackup(state);
    Assets::WriteFailedList(state, summary);
    PrintSummary(state, summary);
    if (chmPacked && QFileInfo::exists(chm)) {
        ConsoleUserInterface::print(stdout, chm);
    } else {
        ConsoleUserInterface::print(stderr, QStringLiteral("打包CHM失败"));
        packed = false;
    }
    if (outputs.epub) {
        if (const QStringList books = Output::EpubFiles(state); !books.isEmpty()) {
            for (const QString& book : books) {
                ConsoleUserInterface::print(stdout, book);
            }
        } else {
            ConsoleUserInterface::print(stderr, QStringLiteral("生成EPUB失败"));
        }
    }
    if (outputs.markdown) {
        if (exported) {
            ConsoleUserInterface::print(stdout, Output::MarkdownFolder(state));
        } else {
            ConsoleUserInterface::print(stderr, QStringLiteral("转换Markdown失败"));
        }
    }
    if (packed) {
        *exitCode = summary.missing() == 0 ? Packed : PackedWithMissing;
    } else if (EndedByWriting(state, exitCode)) {
        co_return; // the disk filled while the book was made: said once, with its own status
    } else {
        *exitCode = PackingFailed;
    }
    QCoreApplication::exit(*exitCode);
}

// A signal ends the run at once, between two events: nothing is half written then. The compiler is
// stopped, the run's temporary files go, and what was saved so far is summed up as at the end of a run.
// The records are written line by line, so they are complete. The coroutines still under way are left as
// they are: the program ends without going back to them.
[[noreturn]] void EndBySignal(Model::RunState& state, int signalNumber)
{
    EndRun(state, true);
    ConsoleUserInterface::print(stderr, QStringLiteral("备份被%1中断，已保存的内容都在，再次运行可继续")
                                            .arg(SignalWatcher::name(signalNumber)));
    const Assets::BackupSummary summary = Assets::SummariseBackup(state);
    Assets::WriteFailedList(state, summary);
    PrintSummary(state, summary);
    state.taskLock.release();
    std::fflush(nullptr);
    ::_exit(SignalWatcher::exitStatus(signalNumber));
}

QCoro::Task<> Backup(Model::RunState& state, Ui::Heartbeat& heartbeat, int code, QString name,
                     QString address, BatchOptions outputs, int* exitCode)
{
    try {
        co_await Discovery::Start(state, code, name, address);
    } catch (const std::exception& error) {
        ConsoleUserInterface::print(stderr, QString::fromLocal8Bit(error.what()));
    }
    if (EndedByWriting(state, exitCode)) {
        co_return;
    }
    if (state.articles.articleCount() < 5 && !state.http.reach->unreachable.isEmpty()) {
        ConsoleUserInterface::print(stderr, QStringLiteral("无法连接网络：") + state.http.reach->unreachable);
        *exitCode = NetworkUnreachable;
        QCoreApplication::exit(*exitCode);
        co_return;
    }
    // The search's last word says when its list pages matched no layout the program knows.
    if (state.articles.articleCount() < 5 && Text::IsUnrecognisedPage(state.ui.status())) {
        ConsoleUserInterface::print(stderr, state.ui.status());
        *exitCode = PageFormatUnknown;
        QCoreApplication::exit(*exitCode);
        co_return;
    }
    if (state.articles.articleCount() < 5) {
        if (state.searchInterruption) {
            // Not the blog's fault, nor the address's: say what broke off the search.
            ConsoleUserInterface::print(stderr, QStringLiteral("查找文章中断，找到") +
                                                    QString::number(state.articles.articleCount()) +
                                                    QStringLiteral("篇文章，没有下载（") +
                                                    state.searchInterruption->describe() +
                                                    QStringLiteral("）"));
        } else {
            ConsoleUserInterface::print(stderr, state.articles.articleCount() == 0
                                                    ? QStringLiteral("未找到文章，请检查地址")
                                                    : QStringLiteral("找到的文章少于5篇，没有下载"));
        }
        *exitCode = NothingFound;
        QCoreApplication::exit(*exitCode);
        co_return;
    }
    // A full disk while the images and comments are fetched ends the run before packing.
    if (state.assetFetcher != nullptr) {
        QObject::connect(state.assetFetcher, &Assets::AssetFetcher::allDone, &heartbeat,
                         [&state, exitCode] { EndedByWriting(state, exitCode); });
    }
    // The heartbeat packs the CHM once the images and comments are done.
    QObject::connect(&heartbeat, &Ui::Heartbeat::packFinished, &heartbeat,
                     [exitCode, outputs, &state](bool packed) { Finish(state, packed, outputs, exitCode); });
}

} // namespace

int RunBatch(const QString& programFolder, QNetworkAccessManager& network, BatchOptions options,
             SignalWatcher* watcher)
{
    ConsoleUserInterface ui;
    const QString platformField = Model::ReadAutoConfigField(programFolder, 0);
    if (platformField.isEmpty()) {
        ConsoleUserInterface::print(
            stderr, QStringLiteral("auto.cfg (%1) does not name a platform: nothing to back up")
                        .arg(Text::JoinPath(programFolder, QStringLiteral("auto.cfg"))));
        return BadSettings;
    }
    const std::optional<int> platform = Model::AutomaticPlatformCode(programFolder);
    if (!platform) {
        ConsoleUserInterface::print(
            stderr, QStringLiteral("auto.cfg: <blog> must be a platform number from 0 to 16, not \"%1\"")
                        .arg(platformField));
        return BadSettings;
    }
    const int code = *platform;

    const QString taskName = Model::ReadAutoConfigField(programFolder, 1);
    if (!Model::TaskNameProblem(taskName).isEmpty()) {
        ConsoleUserInterface::print(stderr,
                                    QStringLiteral("auto.cfg: <name>: ") + Model::TaskNameRefusal(taskName));
        return BadSettings;
    }

    const QString address = Model::ReadAutoConfigField(programFolder, 2).trimmed();
    if (const QString problem = Model::BlogAddressProblem(code, address); !problem.isEmpty()) {
        ConsoleUserInterface::print(stderr, QStringLiteral("auto.cfg: <href>: ") + problem);
        return BadSettings;
    }

    Model::RunState state(programFolder, ui, &network);
    // One run at a time on a task: a second one refuses before it touches anything.
    if (const Model::TaskLock::Result held = Model::HoldTask(state, taskName);
        held.outcome == Model::TaskLock::Outcome::Busy) {
        ConsoleUserInterface::print(stderr, held.text);
        return AnotherRun;
    }
    state.task.TaskName = taskName;
    state.task.CookieFile = options.cookieFile.isEmpty() ? Model::AutoConfigCookieFile(programFolder)
                                                          : options.cookieFile;
    try {
        // With the user's login nothing logs out; without one this run's network holds no login at all.
        if (const QString login = Model::UseTaskLogin(state); !login.isEmpty()) {
            state.setStatus(login);
        }
    } catch (const Text::Failure& failure) {
        ConsoleUserInterface::print(stderr, failure.message());
        return BadSettings;
    }
    if (options.archiveDate) {
        state.task.FromArchive = true;
        state.task.ArchiveDate = *options.archiveDate;
    } else {
        const Model::ArchiveSetting archive = Model::AutoConfigArchive(programFolder);
        if (!archive.problem.isEmpty()) {
            ConsoleUserInterface::print(stderr, QStringLiteral("auto.cfg: <archive>: ") + archive.problem);
            return BadSettings;
        }
        state.task.FromArchive = archive.fromArchive;
        state.task.ArchiveDate = archive.day;
    }
    if (const QString source = Model::UseTaskSource(state); !source.isEmpty()) {
        state.setStatus(source);
    }
    if (state.task.FromArchive && options.archiveRate) {
        state.http.gates->policy.requestsPerSecond = *options.archiveRate;
    } else if (!state.task.FromArchive && options.rate) {
        state.http.gates->policy.requestsPerSecond = *options.rate;
    }
    state.epubVolumeArticles = options.volumeArticles.value_or(state.epubVolumeArticles);
    state.epubVolumeMegabytes = options.volumeMegabytes.value_or(state.epubVolumeMegabytes);
    Assets::AssetFetcher fetcher(state);
    Ui::Heartbeat heartbeat(state);
    if (watcher != nullptr) {
        QObject::connect(watcher, &SignalWatcher::received, &heartbeat,
                         [&state](int signalNumber) { EndBySignal(state, signalNumber); });
    }
    const QString name = taskName;
    state.task.FetchImages = Model::ConfigTruth(state.readAutoConfigField(3));
    state.task.FetchComments = Model::ConfigTruth(state.readAutoConfigField(4));
    ConsoleUserInterface::print(
        stdout, QStringLiteral("即将执行全自动备份: %1博客：%2").arg(state.profiles[code].Name, name));

    int exitCode = PackingFailed;
    heartbeat.start();
    // Started from the event loop, so that an early end can leave it.
    QTimer::singleShot(0, &heartbeat,
                       [&]() { Backup(state, heartbeat, code, name, address, options, &exitCode); });
    QCoreApplication::exec();
    return exitCode;
}

} // namespace App
