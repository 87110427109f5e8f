#include "render/downloaddriver.h"

#include "model/runstate.h"

namespace Render {

QCoro::Task<> DownloadDriver(Model::RunState& state)
{
    Q_UNUSED(state)
    co_return;
}

} // namespace Render
