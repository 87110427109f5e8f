#pragma once

#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Discovery {

// Begins a backup task: records it, empties the article list, offers to resume an interrupted search,
// runs the platform's finder and reports the outcome. In automatic mode it goes on with the download.
QCoro::Task<> Start(Model::RunState& state, int blg, QString bt, QString htp);

} // namespace Discovery
