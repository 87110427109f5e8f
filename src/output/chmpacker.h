#pragma once

#include "output/helpcompiler.h"

#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Output {

// The 生成CHM command: packs the task folder into one CHM in the program folder and opens it. A CHM packed
// before from the same files with the same options is kept as it is. True when the CHM is there.
QCoro::Task<bool> PackChm(Model::RunState& state);
// The same with a chosen help compiler.
QCoro::Task<bool> PackChm(Model::RunState& state, HelpCompilerSettings compiler);

// Removes the project files that packing writes into the task folder, which a packing cut short leaves.
void RemoveProjectFiles(const QString& taskFolder);

// The status line while the compiler works: how many of the files it was given it has dealt with.
QString PackProgressText(int filesDone, int filesListed);

} // namespace Output
