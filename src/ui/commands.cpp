#include "ui/commands.h"

#include "assets/assetfetcher.h"
#include "discovery/discoverydriver.h"
#include "model/runstate.h"
#include "model/taskfiles.h"
#include "model/tasklogin.h"
#include "model/tasksource.h"
#include "output/chmpacker.h"
#include "output/epubwriter.h"
#include "output/markdownexport.h"
#include "output/renamer.h"
#include "output/txtconverter.h"
#include "render/downloaddriver.h"
#include "text/failure.h"
#include "ui/commandrunner.h"
#include "ui/newtaskdialog.h"
#include "ui/sinalogout.h"

#include <QFileDialog>
#include <QNetworkAccessManager>

namespace Ui {

namespace {

QCoro::Task<> PackChmCommand(Model::RunState& state)
{
    co_await Output::PackChm(state);
}

const QString BusyWithTaskText = QStringLiteral("当前任务正在处理中，请等它结束后再换任务");

QCoro::Task<> PackEpubCommand(Model::RunState& state)
{
    co_await Output::PackEpub(state);
}

QCoro::Task<> ExportMarkdownCommand(Model::RunState& state)
{
    co_await Output::ExportMarkdown(state);
}

} // namespace

Commands::Commands(Model::RunState& state, CommandRunner& runner, QWidget& window)
    : QObject(&window), m_state(state), m_runner(runner), m_window(window)
{
}

Commands::~Commands() = default;

void Commands::newTask()
{
    if (m_dialog == nullptr) {
        m_dialog = new NewTaskDialog(m_state.automaticMode(), &m_window);
        connect(m_dialog, &NewTaskDialog::taskRequested, this, &Commands::startTask);
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void Commands::startTask(const NewTask& task)
{
    if (m_runner.isRunning(Command::Discovery)) {
        // A second search would fill the same list as the first.
        m_state.setStatus(QStringLiteral("正在寻找文章，请等本次寻找结束后再新建任务"));
        return;
    }
    if (m_runner.walkingArticles()) {
        // The book or download of the task on hand still reads its list and holds its folder.
        m_state.setStatus(BusyWithTaskText);
        return;
    }
    // With the user's cookie file the task uses the user's login, so the user is not logged out of Sina.
    m_state.task.CookieFile = task.cookieFile;
    QString login;
    try {
        login = Model::UseTaskLogin(m_state);
    } catch (const Text::Failure& failure) {
        m_state.setStatus(failure.message() + QStringLiteral("，任务没有开始"));
        return;
    }
    if (task.platform == Model::Sina && task.cookieFile.isEmpty() && m_state.http.manager != nullptr) {
        LogOutOfSina(*m_state.http.manager);
    }
    m_state.task.FetchImages = task.fetchImages;
    m_state.task.FetchComments = task.fetchComments;
    m_state.task.FromArchive = task.fromArchive;
    m_state.task.ArchiveDate = task.fromArchive ? task.archiveDate : QString();
    // From an archive nothing is asked of the site: every request goes to the archive's captures.
    const QString source = Model::UseTaskSource(m_state);
    if (login.isEmpty()) {
        login = source;
    }
    Model::RunState& state = m_state;
    const NewTask started = task;
    m_runner.run(Command::Discovery, [&state, started] {
        return Discovery::Start(state, started.platform, started.name, started.address);
    });
    // Said once the search has started, so that its first words do not hide it; a search that ended at
    // once keeps its own.
    if (!login.isEmpty() && m_runner.isRunning(Command::Discovery)) {
        m_state.setStatus(login);
    }
}

void Commands::download()
{
    Model::RunState& state = m_state;
    m_runner.run(Command::Download, [&state] { return Render::DownloadDriver(state); });
}

void Commands::importList()
{
    const QString fileName = QFileDialog::getOpenFileName(&m_window, QString(), m_state.programFolder,
                                                          QStringLiteral("INI File (*.ini)"));
    if (!fileName.isEmpty()) {
        importFile(fileName);
    }
}

void Commands::importFile(const QString& fileName)
{
    if (m_runner.walkingArticles()) {
        m_state.setStatus(BusyWithTaskText);
        return;
    }
    Model::RunState& state = m_state;
    m_runner.run(Command::Import, [&state, fileName] { return Model::ImportTaskList(state, fileName); });
}

void Commands::exportList()
{
    try {
        Model::ExportTaskList(m_state);
    } catch (const Text::Failure& failure) {
        m_state.setStatus(QStringLiteral("导出失败：") + failure.message());
    }
}

void Commands::packChm()
{
    Model::RunState& state = m_state;
    m_runner.run(Command::PackChm, [&state] { return PackChmCommand(state); });
}

void Commands::packEpub()
{
    Model::RunState& state = m_state;
    m_runner.run(Command::PackEpub, [&state] { return PackEpubCommand(state); });
}

void Commands::convertToText()
{
    Model::RunState& state = m_state;
    m_runner.run(Command::ToText, [&state] { return Output::ConvertToText(state); });
}

void Commands::convertToMarkdown()
{
    Model::RunState& state = m_state;
    m_runner.run(Command::ToMarkdown, [&state] { return ExportMarkdownCommand(state); });
}

void Commands::openProgramFolder()
{
    m_state.ui.openLocal(m_state.programFolder);
}

void Commands::renamePages()
{
    Model::RunState& state = m_state;
    m_runner.run(Command::Rename, [&state] { return Output::RenamePagesToTitles(state); });
}

void Commands::fetchImagesAgain()
{
    if (m_state.assetFetcher != nullptr) {
        m_state.assetFetcher->FetchAgain();
    }
}

} // namespace Ui
