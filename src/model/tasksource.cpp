#include "model/tasksource.h"

#include "model/archivesource.h"
#include "model/runstate.h"
#include "model/sitesettings.h"
#include "text/webarchive.h"

#include <memory>
#include <optional>

namespace Model {

QString UseTaskSource(RunState& state)
{
    Text::SitePolicy& policy = state.http.gates->policy;
    if (!state.task.FromArchive) {
        state.http.archive.reset();
        policy.requestsPerSecond = SettingsRequestRate(state.programFolder).value_or(0);
        policy.connectionsPerSite = 0;
        return {};
    }
    auto archive = std::make_shared<Text::WebArchive>();
    archive->base = SettingsArchiveBase(state.programFolder);
    archive->timestamp = Text::ArchiveTimestamp(ArchiveDay(state.task.ArchiveDate).value_or(QString()));
    state.http.archive = std::move(archive);
    policy.requestsPerSecond = SettingsArchiveRate(state.programFolder);
    policy.connectionsPerSite = SettingsArchiveConnections(state.programFolder);
    return QStringLiteral("从网页存档下载：") + state.http.archive->base + ArchiveSourceNote(state.task);
}

} // namespace Model
