#include "discovery/finders.h"

#include "model/runstate.h"

namespace Discovery {

QCoro::Task<> FindBaiduArticles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

QCoro::Task<> FindHexunArticles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

QCoro::Task<> FindSohuArticles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

QCoro::Task<> FindTianyaArticles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

QCoro::Task<> FindTianya2Articles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

QCoro::Task<> FindCto51Articles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

} // namespace Discovery
