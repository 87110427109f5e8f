// Resuming an interrupted search: find.dat, and the task file whose rows it brings back. The input: a
// byte that picks the platform, then find.dat and the task file "task.ini" as two pages.
#include "fuzzsupport.h"
#include "model/platformprofile.h"
#include "model/runstate.h"
#include "model/taskfiles.h"
#include "text/failure.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    const QList<QByteArray> pages = Fuzz::SplitPages(Fuzz::Bytes(data + 1, size - 1));
    Fuzz::Scratch& scratch = Fuzz::Scratch::instance();
    scratch.reset();
    scratch.write(QStringLiteral("find.dat"), pages.value(0));
    if (pages.size() > 1) {
        scratch.write(QStringLiteral("task.ini"), pages.at(1));
    }
    Fuzz::Run run;
    run.state->task.PlatformCode = data[0] % Model::PlatformCount;
    run.state->task.TaskName = QStringLiteral("task");
    try {
        Fuzz::Wait(Model::ReadCheckpoint(*run.state));
    } catch (const Text::Failure&) {
    }
    return 0;
}
