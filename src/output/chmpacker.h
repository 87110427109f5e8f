#pragma once

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Output {

// The 生成CHM command: packs the task folder into one CHM in the program folder. True when it was made.
QCoro::Task<bool> PackChm(Model::RunState& state);

} // namespace Output
