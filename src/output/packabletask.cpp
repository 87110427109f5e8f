#include "output/packabletask.h"

#include "model/runstate.h"
#include "model/taskname.h"

#include <QFileInfo>

namespace Output {

QString UnpackableTask(const Model::RunState& state)
{
    const QString taskName = state.task.TaskName;
    if (!Model::TaskNameProblem(taskName).isEmpty()) {
        return Model::TaskNameRefusal(taskName);
    }
    const QString taskFolder = state.taskFolder();
    if (!QFileInfo(taskFolder).isDir()) {
        return QStringLiteral("找不到任务文件夹") + taskFolder;
    }
    return QString();
}

} // namespace Output
