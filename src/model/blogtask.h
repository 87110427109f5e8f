#pragma once

#include <QString>

namespace Model {

// The backup task: one at a time, replaced when a new task starts.
struct BlogTask
{
    QString TaskName;     // also the name of the task folder
    int PlatformCode = 0; // 0 to 16
    QString BlogAddress;
    bool FetchImages = false;
    bool FetchComments = false;
    // The user's cookie file (cookies.txt), whose login the task's requests carry; empty: no login.
    QString CookieFile;
    // Where the task's pages come from: the live site (the default), or a web archive's captures of it.
    bool FromArchive = false;
    // With FromArchive: the blog as it was around this day, "YYYYMMDD"; empty: the newest captures.
    QString ArchiveDate;
};

// Comments are fetched for Sina articles only: for any other platform the switch means nothing, however
// it was set (a dialog switch left on, auto.cfg, an imported task).
inline bool CommentsWanted(const BlogTask& task)
{
    return task.FetchComments && task.PlatformCode == 0;
}

} // namespace Model
