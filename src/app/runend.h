#pragma once

namespace Model {
class RunState;
}

namespace App {

// Ends the program's run on its task when the program ends while it may still work (a signal, the
// window closing): stops the compiler and removes the run's temporary files (and the project files of a
// packing that was cut short, or of any packing when interrupted). The task's lock stays held. Nothing
// of the run may go on afterwards.
void EndRun(Model::RunState& state, bool interrupted);

} // namespace App
