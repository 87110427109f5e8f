#pragma once

#include <QString>

namespace Model {
class RunState;
}

namespace Output {

// Why the current task cannot be packed into a book (a name that cannot be a folder of the program
// folder, or no task folder yet); empty when it can.
QString UnpackableTask(const Model::RunState& state);

} // namespace Output
