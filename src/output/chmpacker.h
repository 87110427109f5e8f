#pragma once

#include "output/helpcompiler.h"

#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Output {

// The 生成CHM command: packs the task folder into one CHM in the program folder. True when it was made.
QCoro::Task<bool> PackChm(Model::RunState& state);
// The same with a chosen help compiler.
QCoro::Task<bool> PackChm(Model::RunState& state, HelpCompilerSettings compiler);

// Whole number nearest to numerator / denominator (denominator > 0), halves going to the even neighbour.
qint64 RoundHalfToEven(qint64 numerator, qint64 denominator);

// The status line after the n-th compiler message, for an article grid of gridRows rows.
QString PackProgressText(int messageCount, int gridRows);

} // namespace Output
