#include "app/runend.h"

#include "model/runstate.h"
#include "model/temporaries.h"
#include "output/chmpacker.h"
#include "output/helpcompiler.h"

#include <QFileInfo>

namespace App {

void EndRun(Model::RunState& state, bool interrupted)
{
    const bool compileStopped = Output::StopCompilesForExit() > 0;
    if (!state.taskLock.isHeld()) {
        // The files of a task another run holds are not this run's to remove; its own CHM is.
        Model::RemoveTemporaries(state.programFolder, QStringLiteral(".chm"), true);
        return;
    }
    // Whatever the run left of the task it holds goes.
    const QString taskFolder = state.taskLock.folder();
    if (compileStopped || interrupted) {
        Output::RemoveProjectFiles(taskFolder);
    }
    Model::RemoveTaskLeftovers(state.programFolder, QFileInfo(taskFolder).fileName(), true);
}

} // namespace App
