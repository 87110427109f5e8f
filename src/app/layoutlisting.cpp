#include "app/layoutlisting.h"

#include "app/consoleuserinterface.h"
#include "model/layoutfiles.h"

namespace App {

int ListLayouts(const QString& programFolder)
{
    for (const QString& refusal : Model::InstallLayouts(programFolder)) {
        ConsoleUserInterface::print(stderr, refusal);
    }
    std::fputs(Model::LayoutListing().toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    return 0;
}

} // namespace App
