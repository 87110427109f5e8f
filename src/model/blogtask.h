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
};

} // namespace Model
