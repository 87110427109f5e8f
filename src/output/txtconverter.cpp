#include "output/txtconverter.h"

#include "model/runstate.h"

namespace Output {

QCoro::Task<> ConvertToText(Model::RunState& state)
{
    Q_UNUSED(state)
    co_return;
}

} // namespace Output
