#include "output/chmpacker.h"

#include "model/runstate.h"
#include "output/bookstamp.h"
#include "output/packabletask.h"
#include "output/projectfiles.h"
#include "text/failure.h"
#include "text/pagefetch.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"
#include "text/writefailure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Output {

namespace {

const QString ProjectName = QStringLiteral("blog.hhp");
const QString ContentsName = QStringLiteral("blog.hhc");
// What the CHM was made from; hidden, so never listed in the book.
const QString StampName = QStringLiteral(".qvlrx-chm");

// One packing at a time: a second press while the compiler works does nothing.
bool packing = false;

struct PackingFlag
{
    PackingFlag() { packing = true; }
    ~PackingFlag() { packing = false; }
    PackingFlag(const PackingFlag&) = delete;
    PackingFlag& operator=(const PackingFlag&) = delete;
};

void Fail(Model::RunState& state, const QString& reason)
{
    state.setStatus(QStringLiteral("打包CHM失败：") + reason);
}

} // namespace

void RemoveProjectFiles(const QString& taskFolder)
{
    QFile::remove(Text::JoinPath(taskFolder, ContentsName));
    QFile::remove(Text::JoinPath(taskFolder, ProjectName));
}

QString PackProgressText(int filesDone, int filesListed)
{
    return QStringLiteral("打包第") + Text::Num(filesDone) + u'/' + Text::Num(filesListed) +
           QStringLiteral("个");
}

QCoro::Task<bool> PackChm(Model::RunState& state)
{
    return PackChm(state, HelpCompilerSettings{});
}

QCoro::Task<bool> PackChm(Model::RunState& state, HelpCompilerSettings compiler)
{
    if (packing) {
        co_return false;
    }
    PackingFlag flag;

    // Full-text search doubles the size and takes much longer; automatic mode packs without it. The
    // compiler builds the search index itself, so nothing needs registering first.
    bool fullText = false;
    if (!state.automaticMode()) {
        fullText = state.ui.ask(
            QStringLiteral("CHM打包选项"),
            QStringLiteral("是否需要全文检索?\r\n\r\n如果允许，则生成的CHM体积会大一倍(图片多的话影响小些)"
                           "\r\n且打包速度会慢很多，需耐心等待！"));
    }

    if (const QString problem = UnpackableTask(state); !problem.isEmpty()) {
        Fail(state, problem);
        co_return false;
    }
    const QString taskName = state.task.TaskName;
    const QString taskFolder = state.taskFolder();
    const QString projectPath = Text::JoinPath(taskFolder, ProjectName);
    const QString contentsPath = Text::JoinPath(taskFolder, ContentsName);
    const int platform = state.task.PlatformCode;
    try {
        WriteProjectFile(projectPath, [&](const LineSink& sink) {
            ForEachProjectFileLine(taskName, fullText, state.articles, platform, sink);
        });
        WriteProjectFile(contentsPath, [&](const LineSink& sink) {
            ForEachContentsFileLine(state.articles, state.categories, platform, sink);
        });
    } catch (const Text::WriteFailure& failure) {
        state.StopWriting(failure.cause());
        Fail(state, QStringLiteral("无法写入项目文件（") + failure.message() + u'）');
        co_return false;
    } catch (const Text::Failure& failure) {
        Fail(state, QStringLiteral("无法写入项目文件（") + failure.message() + u'）');
        co_return false;
    }

    state.setStatus(QStringLiteral("正在打包CHM..."));
    co_await Text::LetEventsRun();

    // The count is of the files the compile lists (pages, index pages, images, comment pages), which
    // the article grid cannot tell.
    const auto progress = [&state](int filesDone, int filesListed) {
        state.setStatus(PackProgressText(filesDone, filesListed));
        return true;
    };
    compiler.stampPath = Text::JoinPath(taskFolder, StampName);
    const CompileOutcome outcome = co_await HHA_CompileHHP(projectPath, {}, progress, compiler);
    if (!outcome.made) {
        // The project files stay for a look at what went wrong.
        if (!outcome.writeCause.isEmpty()) {
            state.StopWriting(outcome.writeCause);
        }
        Fail(state, outcome.reason);
        co_return false;
    }

    state.setStatus(outcome.reused ? BookReusedText(outcome.chmPath) : QStringLiteral("打包CHM成功！"));
    QFile::remove(contentsPath);
    QFile::remove(projectPath);
    state.SetCommandStates(true, false, false, true, false, true);
    state.ui.openLocal(outcome.chmPath);
    co_return true;
}

} // namespace Output
