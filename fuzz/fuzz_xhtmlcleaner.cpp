// A saved page made into an EPUB page: whatever the page holds, the result is well-formed XML.
#include "fuzzsupport.h"
#include "output/xhtmlcleaner.h"

#include <QXmlStreamReader>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::EnsureApplication();
    Output::PageLinks links;
    links.link = [](const QString& href) { return href.startsWith(u'#') ? QString() : href; };
    links.image = [](const QString& src) { return src.size() % 2 == 0 ? src : QString(); };
    const Output::CleanedPage page = Output::CleanPage(Fuzz::Bytes(data, size), QString(), links);
    QXmlStreamReader reader(page.xhtml);
    while (!reader.atEnd()) {
        reader.readNext();
    }
    if (reader.hasError()) {
        __builtin_trap();
    }
    return 0;
}
