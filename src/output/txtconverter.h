#pragma once

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Output {

// The 转TXT command: one text file per downloaded article and one collection file per category.
QCoro::Task<> ConvertToText(Model::RunState& state);

} // namespace Output
