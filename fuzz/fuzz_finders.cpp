// A whole search of one platform against a web that answers with the pages of the input, in the order the
// finder asks for them (every request after the last page gets 404). The first byte picks the platform.
// Reaches the page cutting of the finders that are not list-page walks (Sina, NetEase, QQ zone, 39 health,
// cnblogs) as well as every walk's loop.
#include "discovery/discoverydriver.h"
#include "fuzzsupport.h"
#include "model/platformprofile.h"
#include "model/runstate.h"

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    const int code = data[0] % Model::PlatformCount;
    Fuzz::Scratch::instance().reset();
    Fuzz::Run run;
    run.network.pages = Fuzz::SplitPages(Fuzz::Bytes(data + 1, size - 1));
    Model::RunState& state = *run.state;
    state.task.PlatformCode = code;
    state.task.TaskName = QStringLiteral("10001");
    state.task.BlogAddress = QStringLiteral("http://blog.example.com/10001/");
    try {
        Fuzz::Wait(Discovery::Finders()[size_t(code)](state, state.task.BlogAddress, std::nullopt));
    } catch (const std::exception&) {
        // A finder ends with a failure on most inputs; what matters is how.
    }
    return 0;
}
