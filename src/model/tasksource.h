#pragma once

#include <QString>

namespace Model {

class RunState;

// Sets up the run's network for where the current task's pages come from. For a task from a web archive
// every request goes to the archive's captures (SettingsArchiveBase), at the archive's pace: at most
// SettingsArchiveConnections requests at once and SettingsArchiveRate a second. For a live task requests
// go to the site at the pace of the [network] settings. Returns what the status line says of an archive
// task ("从网页存档下载：…"); empty for a live one.
QString UseTaskSource(RunState& state);

} // namespace Model
