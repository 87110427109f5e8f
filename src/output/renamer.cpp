#include "output/renamer.h"

#include "model/runstate.h"

namespace Output {

QCoro::Task<> RenamePagesToTitles(Model::RunState& state)
{
    Q_UNUSED(state)
    co_return;
}

} // namespace Output
