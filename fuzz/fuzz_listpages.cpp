// One list page, as any platform's finder could receive it, cut by every platform's field rules: the
// clean-up, the page count of a first page and the entries of a list page, plus the Sina list reader and
// its planner and the iFeng script address.
#include "discovery/listpageplatforms.h"
#include "discovery/sinafinder.h"
#include "fuzzsupport.h"
#include "model/runstate.h"
#include "text/charset.h"
#include "text/failure.h"

#include <QList>

namespace {

const QList<Discovery::ListPagePlatform>& Platforms()
{
    using namespace Discovery::ListPages;
    static const QList<Discovery::ListPagePlatform> platforms = {
        Baidu(),  Hexun(),  Sohu(), Tianya(),    Tianya2(), Cto51(),      Ifeng(std::nullopt),
        Ifeng(3), Yaolan(), Csdn(), ChinaUnix(), Cersp(),   CerspEblog(),
    };
    return platforms;
}

void ReadWithEveryPlatform(const QByteArray& bytes)
{
    for (const Discovery::ListPagePlatform& platform : Platforms()) {
        const QString page = Text::DecodeBytes(bytes, platform.charset);
        if (platform.readPages) {
            Discovery::WalkState walk;
            walk.blogAddress = QStringLiteral("http://blog.example.com/name/");
            walk.taskName = QStringLiteral("name");
            walk.firstPageAddress = walk.blogAddress;
            walk.firstPage = page;
            try {
                platform.readPages(walk);
                if (platform.pageAddress) {
                    platform.pageAddress(walk, walk.firstPageNumber);
                    platform.pageAddress(walk, walk.lastPageNumber);
                }
            } catch (const Text::Failure&) {
            }
        }
        const QString cleaned = Discovery::CleanListPage(platform, page);
        const Discovery::ListPageEntries entries = Discovery::ReadListPage(platform, cleaned);
        Q_UNUSED(entries)
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::EnsureApplication();
    const QByteArray bytes = Fuzz::Bytes(data, size);
    ReadWithEveryPlatform(bytes);

    const QString utf8 = Text::DecodeBytes(bytes, QStringLiteral("UTF-8"));
    try {
        // A script mark too close to its end is a failed text cut: it ends the search, as any cut does.
        Discovery::ListPages::IfengDataScriptAddress(utf8);
    } catch (const Text::Failure&) {
    }
    Discovery::ReadSinaListPage(utf8);
    Fuzz::Run run;
    try {
        Discovery::PlanSinaListPages(*run.state, utf8);
    } catch (const Text::Failure&) {
    }
    return 0;
}
