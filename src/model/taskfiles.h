#pragma once

#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

namespace Model {

class RunState;

// The task file (task name + ".ini" in the program folder): the saved article list.
void expini(RunState& state);
QCoro::Task<> loadini(RunState& state, QString fileName);

// The 导出 command: writes the task file and reports it in the status line.
void ExportTaskList(RunState& state);
// The 导入 command once a file was chosen: loads it as the current task.
QCoro::Task<> ImportTaskList(RunState& state, QString fileName);

// The discovery checkpoint find.dat.
void WriteCheckpoint(RunState& state, int page);

// What ReadCheckpoint found: nothing to resume, the user declined, or the page to go on with.
struct CheckpointAnswer
{
    enum class Kind { Nothing, Declined, Resume } kind = Kind::Nothing;
    int page = 0;
};
QCoro::Task<CheckpointAnswer> ReadCheckpoint(RunState& state);

} // namespace Model
