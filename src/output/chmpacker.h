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

// The status line while the compiler works: how many of the files it was given it has dealt with.
QString PackProgressText(int filesDone, int filesListed);

} // namespace Output
