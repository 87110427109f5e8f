#pragma once

#include <QString>

namespace Model {
class RunState;
}

namespace Ui {

// What auto.cfg asks for at start-up.
struct AutomaticStart
{
    enum class Kind {
        None,    // manual mode
        Invalid, // automatic mode, but the platform field is no platform code: nothing is started
        Ready,   // a task to offer
    } kind = Kind::None;
    int platform = 0;
    QString name;
    QString address;
    bool fetchImages = false;
    bool fetchComments = false;
    QString cookieFile;       // the optional <cookies> field, as a path; empty: none
    bool fromArchive = false; // the optional <archive> field: the pages come from a web archive
    QString archiveDate;      // with fromArchive: "YYYYMMDD", empty for the newest captures
    QString question;         // the question put to the user (Ready), or the status text (Invalid)
};

// Reads the automatic-mode settings: field 0 the platform code (0 to 16), 1 the task name, 2 the blog
// address, 3 and 4 the images and comments switches; the optional <cookies> the user's cookie file and
// <archive> the source of the pages.
AutomaticStart ReadAutomaticStart(const Model::RunState& state);

} // namespace Ui
