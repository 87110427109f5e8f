// 转TXT of a saved page: the tag scan, the character references and the text file written.
#include "fuzzsupport.h"
#include "output/txtconverter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Scratch& scratch = Fuzz::Scratch::instance();
    const QByteArray bytes = Fuzz::Bytes(data, size);
    scratch.write(QStringLiteral("page.html"), bytes);
    Output::ConvertPageToText(scratch.path(QStringLiteral("page.html")),
                              scratch.path(QStringLiteral("page.txt")));
    Output::ScanPageBytes(bytes);
    Output::DecodeNumericEntities(QString::fromUtf8(bytes));
    return 0;
}
