// The repair of a compiled help file's directory header, on arbitrary bytes.
#include "fuzzsupport.h"
#include "output/chmlisting.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Scratch& scratch = Fuzz::Scratch::instance();
    scratch.write(QStringLiteral("book.chm"), Fuzz::Bytes(data, size));
    Output::RepairListingStart(scratch.path(QStringLiteral("book.chm")));
    return 0;
}
