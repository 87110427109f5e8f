#pragma once

#include <QString>

namespace Model {

class RunState;

// Sets up the run's network for the current task's login. With a cookie file (BlogTask::CookieFile) the
// network carries its cookies and nothing of an earlier task's login; without one an earlier task's
// login cookies go. The cookie file is read, never written. Returns the status text that says that the
// user's login is used (it names the file and counts its cookies, never shows one), empty without a
// cookie file.
// Throws Text::Failure naming the file when it cannot be read; the network then holds no login cookies.
QString UseTaskLogin(RunState& state);

} // namespace Model
