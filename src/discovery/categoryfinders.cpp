#include "discovery/finders.h"

#include "model/runstate.h"

namespace Discovery {

QCoro::Task<> FindHealth39Articles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

QCoro::Task<> FindCnblogsArticles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

} // namespace Discovery
