#include "discovery/finders.h"

#include "model/runstate.h"

namespace Discovery {

QCoro::Task<> FindIfengArticles(Model::RunState& state, QString address, std::optional<int> resumePage)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    Q_UNUSED(resumePage)
    co_return;
}

QCoro::Task<> FindYaolanArticles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

QCoro::Task<> FindCsdnArticles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

QCoro::Task<> FindChinaUnixArticles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

QCoro::Task<> FindCerspArticles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

QCoro::Task<> FindCerspEblogArticles(Model::RunState& state, QString address)
{
    Q_UNUSED(state)
    Q_UNUSED(address)
    co_return;
}

} // namespace Discovery
