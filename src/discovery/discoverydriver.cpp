#include "discovery/discoverydriver.h"

#include "model/runstate.h"

namespace Discovery {

QCoro::Task<> Start(Model::RunState& state, int blg, QString bt, QString htp)
{
    state.task.PlatformCode = blg;
    state.task.TaskName = bt;
    state.task.BlogAddress = htp;
    co_return;
}

} // namespace Discovery
