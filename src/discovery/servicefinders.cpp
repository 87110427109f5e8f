#include "discovery/finders.h"

#include "model/runstate.h"

namespace Discovery {

QCoro::Task<> FindQzoneArticles(Model::RunState& state)
{
    Q_UNUSED(state)
    co_return;
}

QCoro::Task<> FindNeteaseArticles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

} // namespace Discovery
