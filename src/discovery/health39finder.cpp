#include "discovery/health39finder.h"

#include "discovery/announcedarticles.h"
#include "discovery/entrylists.h"
#include "discovery/finders.h"
#include "discovery/listpagewalk.h"
#include "discovery/pagesahead.h"
#include "model/endpoints.h"
#include "model/runstate.h"
#include "text/matching.h"
#include "text/pagefetch.h"
#include "text/safefilename.h"
#include "text/textprimitives.h"
#include "text/unrecognisedpage.h"

#include <QSet>

#include <exception>

namespace Discovery {

using namespace Text;

void AddListPages(Model::RunState& state, qint64 count, const QString& prefix)
{
    for (const QString& page : NumberedListPages(prefix, count, 25)) {
        state.ui.addListLine(page);
    }
}

int Health39CategoryNumber(const QString& listPageAddress)
{
    // The number stands between the first two underscores after "ArticleList"; reading from there keeps
    // an account name with an underscore of its own from being taken for it.
    const qsizetype list = listPageAddress.lastIndexOf(QStringLiteral("/ArticleList_"));
    const QString tail = list < 0 ? listPageAddress : listPageAddress.mid(list);
    return ToInt(TextBetween(tail, QStringLiteral("_"), QStringLiteral("_"), 0));
}

QCoro::Task<> FindHealth39Articles(Model::RunState& state, QString address)
{
    const QString charset = QStringLiteral("GB2312");
    const QString account = state.task.TaskName;
    const QString listBase = QStringLiteral("http://") + Model::Endpoints::Health39BlogHost() + u'/' +
                             account + QStringLiteral("/ArticleList_");

    // Plan: every category's list pages, then the pages of all articles.
    const QString home = co_await FetchPageAnswered(state.http, address, charset, WhenGone::IsAnswer);
    const QString menu = TextBetween(home, HashToQuote(QStringLiteral("_0_1.html#>所有分类")),
                                     QStringLiteral("><span></span></div></div>"), 5);
    for (const QString& piece : Split(menu, QStringLiteral("</li>"))) {
        if (Find(piece, QStringLiteral("ArticleList_")) == 0) {
            continue;
        }
        const QString count =
            TextBetween(TextBetween(piece, QStringLiteral("_1.html"), QStringLiteral("</a>"), 1),
                        QStringLiteral("("), QStringLiteral(")"), 0);
        const QString number =
            TrimWhiteSpace(TextBetween(piece, QStringLiteral("ArticleList_"), QStringLiteral("_1.html"), 1));
        AddListPages(state, ToWholeNumber(count), listBase + number + u'_');
    }
    const QString totalText = TextBetween(home, HashToQuote(QStringLiteral("class=#c_top2")),
                                          QStringLiteral("篇文章)</strong>"), 5) +
                              QStringLiteral("篇文章)</strong>");
    const QString total = TextBetween(totalText, QStringLiteral("共有<b>"), QStringLiteral("</b>篇文章"), 0);
    if (total == NotFound) {
        throw UnrecognisedPage(address, QStringLiteral("文章数“共有<b>…</b>篇文章”"));
    }
    const qint64 totalCount = ToWholeNumber(total);
    AddListPages(state, totalCount, listBase + QStringLiteral("0_"));
    // Every article is appended once, under its category or from the all-articles pages.
    AnnounceArticles(state, totalCount);

    // Walk: articles of a category are filed under it; the all-articles pages add only the rest.
    const QString entryPattern =
        HashToQuote(QStringLiteral("<a href=#/.*/.*html# target=#_blank#>.*</a><span><i>"));
    const QString datePattern =
        QStringLiteral("<b>.*</b></span><span>访问<b>.*</b></span><span>评论<b>.*</b></span><span>");
    const QString linkStart = u'/' + account + u'/';
    const QString uncategorised = QStringLiteral("未分类");
    // Every list page is planned from the home page, so the pages, the first among them, are fetched
    // ahead of the one being read.
    const QStringList queue = state.ui.listLines();
    const int pageCount = int(queue.size());
    PagesAhead pages(
        state.http, 0, pageCount - 1, ListPagesAtOnce,
        [queue, charset](Text::HttpContext& http, qint64 i) {
            return FetchPageAnswered(http, queue.at(i), charset);
        },
        PagesAhead::FirstPage::WithTheRest);
    QSet<QString> seenLinks;
    std::exception_ptr failure;
    try {
        for (int i = 0; i < pageCount; ++i) {
            co_await LetEventsRun();
            state.setStatus(SearchStatus(i + 1, pageCount));
            const QString& pageAddress = queue.at(i);
            const QString page = co_await pages.next();
            const QStringList entries = MatchList(entryPattern, page);
            const QStringList dates = MatchList(datePattern, page);
            const QString category =
                Health39CategoryNumber(pageAddress) == 0
                    ? uncategorised
                    : Trim(TextBetween(page, QStringLiteral("博文 > "), QStringLiteral("(共有<b>"), 0));
            for (qsizetype j = 0; j < entries.size(); ++j) {
                const QString& entry = entries.at(j);
                const QString link =
                    TrimWhiteSpace(TextBetween(entry, linkStart, HashToQuote(QStringLiteral("# target=")), 3));
                const QString title = TextBetween(entry, HashToQuote(QStringLiteral("_blank#>")),
                                                  QStringLiteral("</a><span>"), 0);
                const QString date = TextBetween(EntryAt(dates, j), QStringLiteral("<b>"),
                                                 QStringLiteral("</b></span><span>"), 5);
                if (category != uncategorised || !seenLinks.contains(link)) {
                    state.addArticleRow(SafeFileName(title), category, link, date);
                }
                seenLinks.insert(link);
            }
        }
    } catch (...) {
        failure = std::current_exception();
    }
    co_await pages.stop(failure);
}

} // namespace Discovery
