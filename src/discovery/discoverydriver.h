#pragma once

#include "model/platformprofile.h"

#include <QString>

#include <QCoro/QCoroTask>

#include <array>
#include <functional>
#include <optional>

namespace Model {
class RunState;
}

namespace Discovery {

// A platform's finder as the driver calls it: with the blog address and, after an interrupted search the
// user chose to resume, the list page to go on with.
using Finder =
    std::function<QCoro::Task<>(Model::RunState& state, QString address, std::optional<int> resumePage)>;
using FinderTable = std::array<Finder, Model::PlatformCount>;

// Whether the platform's finder records its progress (find.dat) and goes on from it: only then is an
// interrupted search offered for resumption.
bool ResumesSearch(int platformCode);

// The finder of every platform, indexed by platform code.
const FinderTable& Finders();

// Begins a backup task: records it, empties the article list, offers to resume an interrupted search,
// runs the platform's finder and reports the outcome. In automatic mode it goes on with the download.
// Refused, with a status text, while another search or a download runs, or for an unknown platform.
QCoro::Task<> Start(Model::RunState& state, int blg, QString bt, QString htp);
// The same with other finders (tests).
QCoro::Task<> Start(Model::RunState& state, int blg, QString bt, QString htp, FinderTable finders);

} // namespace Discovery
