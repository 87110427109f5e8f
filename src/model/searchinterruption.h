#pragma once

#include <QString>

namespace Model {

// A search for articles that a failed request ended before its last list page: the list is incomplete.
struct SearchInterruption
{
    QString address; // the list page (or list service) that could not be read
    QString reason;  // why, in the user's words

    // "列表页 " + address + "：" + reason, for the status line and the summary.
    QString describe() const;
};

} // namespace Model
