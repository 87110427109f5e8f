#include "model/taskfiles.h"

#include "model/runstate.h"

namespace Model {

void expini(RunState& state)
{
    Q_UNUSED(state)
}

QCoro::Task<> loadini(RunState& state, QString fileName)
{
    Q_UNUSED(state)
    Q_UNUSED(fileName)
    co_return;
}

void ExportTaskList(RunState& state)
{
    Q_UNUSED(state)
}

QCoro::Task<> ImportTaskList(RunState& state, QString fileName)
{
    Q_UNUSED(state)
    Q_UNUSED(fileName)
    co_return;
}

void WriteCheckpoint(RunState& state, int page)
{
    Q_UNUSED(state)
    Q_UNUSED(page)
}

QCoro::Task<CheckpointAnswer> ReadCheckpoint(RunState& state)
{
    Q_UNUSED(state)
    co_return CheckpointAnswer{};
}

} // namespace Model
