#include "output/chmpacker.h"

#include "model/runstate.h"

namespace Output {

QCoro::Task<bool> PackChm(Model::RunState& state)
{
    Q_UNUSED(state)
    co_return false;
}

} // namespace Output
