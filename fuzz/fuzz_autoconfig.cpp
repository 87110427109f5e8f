// auto.cfg as the window and --batch read it: every field, the platform and the switches.
#include "fuzzsupport.h"
#include "model/autoconfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Scratch& scratch = Fuzz::Scratch::instance();
    scratch.write(QStringLiteral("auto.cfg"), Fuzz::Bytes(data, size));
    for (int index = 0; index < 5; ++index) {
        Model::ConfigTruth(Model::ReadAutoConfigField(scratch.folder(), index));
    }
    Model::AutomaticPlatformCode(scratch.folder());
    Model::AutoConfigCookieFile(scratch.folder());
    return 0;
}
