// A fetched Sina comment page (an escaped script reply) made into the page as written.
#include "assets/sinacomments.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::EnsureApplication();
    Assets::FormatCommentPage(QString::fromUtf8(Fuzz::Bytes(data, size)));
    return 0;
}
