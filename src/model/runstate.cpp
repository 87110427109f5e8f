#include "model/runstate.h"

#include "model/articlenames.h"
#include "model/autoconfig.h"
#include "model/layoutfiles.h"
#include "model/sitesettings.h"
#include "text/safefilename.h"
#include "text/textfiles.h"
#include "text/writefailure.h"

namespace Model {

RunState::RunState(QString programFolder_, UserInterface& ui_, QNetworkAccessManager* network)
    : programFolder(std::move(programFolder_)), ui(ui_)
{
    http.manager = network;
    http.gates->policy.requestsPerSecond = SettingsRequestRate(programFolder).value_or(0);
    epubVolumeArticles = SettingsVolumeArticles(programFolder).value_or(epubVolumeArticles);
    epubVolumeMegabytes = SettingsVolumeMegabytes(programFolder).value_or(epubVolumeMegabytes);
    http.gates->notify = [this](const QString& text) { setStatus(text); };
    // The platforms' descriptions: a file in the folder "layouts" beside the program replaces the built-in
    // one.
    for (const QString& refusal : InstallLayouts(programFolder)) {
        ui.warn(refusal);
    }
    profiles.BuildPlatformProfileTable();
}

QString RunState::pathInProgramFolder(const QString& relativeName) const
{
    return Text::JoinPath(programFolder, relativeName);
}

QString RunState::taskFolder() const
{
    return pathInProgramFolder(task.TaskName);
}

void RunState::StopWriting(const QString& cause)
{
    if (writeStopped.isEmpty()) {
        writeStopped = Text::WriteStoppedText(cause, taskFolder());
        setStatus(writeStopped);
    }
}

QString RunState::categoryFolder(const QString& category) const
{
    const QString safe = Text::SafeFileName(category);
    return safe.isEmpty() ? taskFolder() : Text::JoinPath(taskFolder(), safe);
}

QString RunState::articlePagePath(int row) const
{
    return Text::JoinPath(categoryFolder(articles.category(row)), localFileName(row));
}

ArticleKey RunState::articleKey(int row) const
{
    return ArticleKey{task.PlatformCode, task.TaskName, articles.link(row), neteasePathForm};
}

QString RunState::localFileName(int row) const
{
    return LocalFileName(task.PlatformCode, articles.link(row));
}

QString RunState::articleAddress(int row) const
{
    return ArticleAddress(articleKey(row));
}

QString RunState::articleFetchAddress(int row) const
{
    return ArticleFetchAddress(articleKey(row));
}

int RunState::addArticleRow(const QString& title, const QString& category, const QString& link,
                            const QString& date)
{
    // A search that meets an article twice (a list page that shifted while it was read, rows loaded
    // before it) must not give it two rows: both would be the same local page.
    if (articles.rowOf(category, link) != 0) {
        return 0;
    }
    return articles.AddArticleRow(categories, title, category, link, date, listScrolling);
}

void RunState::ResetArticleList()
{
    articles.clearArticles();
    categories.reset();
    announcedArticles.reset();
    searchInterruption.reset();
    archiveFinding.reset();
}

QString RunState::readAutoConfigField(int index) const
{
    return ReadAutoConfigField(programFolder, index);
}

void RunState::SetCommandStates(bool newTask, bool download, bool pack, bool folder, bool exportList,
                                bool importList)
{
    if (automaticMode()) {
        return;
    }
    ui.showCommandStates(CommandStates{newTask, download, pack, folder, exportList, importList});
}

void RunState::noteUnwritableRecord(const QString& path)
{
    if (!unwritableRecords.contains(path)) {
        unwritableRecords.append(path);
        setStatus(QStringLiteral("无法写入下载记录") + path);
    }
}

void RunState::SetReportStage(int code)
{
    stageText = QString::number(code);
    checkDone = false;
    tickCounter = 0;
}

} // namespace Model
