#include "discovery/finders.h"

#include "model/runstate.h"

namespace Discovery {

QCoro::Task<> FindSinaArticles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

} // namespace Discovery
