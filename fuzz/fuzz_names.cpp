// Names made from page text: escapes decoded, file names made safe. A safe name is one name: no
// separator, no parent folder, never longer than a file name may be.
#include "fuzzsupport.h"
#include "model/articlenames.h"
#include "text/safefilename.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::EnsureApplication();
    QString text = QString::fromUtf8(Fuzz::Bytes(data, size));
    const QString safe = Text::SafeFileName(text);
    if (safe.contains(u'/') || safe.contains(u'\\') || safe.contains(QStringLiteral("..")) ||
        safe.toUtf8().size() > 255) {
        __builtin_trap();
    }
    Model::UnescapeUnicode(text);
    Text::SafeFileName(text);
    return 0;
}
