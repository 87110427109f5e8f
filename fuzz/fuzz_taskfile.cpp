// 导入 of a task file from elsewhere: read, checked, loaded into the article list, then exported again.
#include "fuzzsupport.h"
#include "model/runstate.h"
#include "model/taskfiles.h"
#include "text/failure.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Scratch& scratch = Fuzz::Scratch::instance();
    scratch.reset();
    scratch.write(QStringLiteral("import.ini"), Fuzz::Bytes(data, size));
    Fuzz::Run run;
    Fuzz::Wait(Model::ImportTaskList(*run.state, scratch.path(QStringLiteral("import.ini"))));
    if (!run.state->task.TaskName.isEmpty()) {
        Model::ExportTaskList(*run.state);
    }
    return 0;
}
