// Article page assembly: the decoding in the character set the page declares, the body cut, the platform
// repairs, the image rewriting and, for Sina, the comment block. The input: a byte that picks the platform,
// a byte of switches (1 images, 2 comments), then pages: the row ("title<TAB>category<TAB>link<TAB>date"),
// the article page, and the pages the web answers with afterwards (comment counter, comment pages).
#include "fuzzsupport.h"
#include "model/platformprofile.h"
#include "model/runstate.h"
#include "render/articlepage.h"
#include "text/pagecharset.h"

#include <exception>

namespace {

QCoro::Task<> Assemble(Model::RunState& state, QString page, int row)
{
    co_await Render::SaveArticlePage(state, std::move(page), row);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    const int code = data[0] % Model::PlatformCount;
    const int switches = data[1];
    QList<QByteArray> pages = Fuzz::SplitPages(Fuzz::Bytes(data + 2, size - 2));
    if (pages.size() < 2) {
        return 0;
    }
    const QStringList row = QString::fromUtf8(pages.takeFirst()).split(u'\t');
    const QByteArray article = pages.takeFirst();

    Fuzz::Scratch::instance().reset();
    Fuzz::Run run;
    run.network.pages = pages;
    Model::RunState& state = *run.state;
    state.task.PlatformCode = code;
    state.task.TaskName = QStringLiteral("task");
    state.task.BlogAddress = QStringLiteral("http://blog.example.com/task/");
    state.task.FetchImages = (switches & 1) != 0;
    state.task.FetchComments = (switches & 2) != 0;
    const int index = state.addArticleRow(row.value(0), row.value(1), row.value(2), row.value(3));
    const QString page = Text::DecodePage(article, state.profile().Charset);
    try {
        Fuzz::Wait(Assemble(state, page, index));
    } catch (const std::exception&) {
    }
    return 0;
}
