#include "discovery/cnblogslayout.h"
#include "discovery/entrylists.h"
#include "discovery/finders.h"
#include "discovery/pagesahead.h"
#include "model/endpoints.h"
#include "model/runstate.h"
#include "text/matching.h"
#include "text/pagefetch.h"
#include "text/safefilename.h"
#include "text/textprimitives.h"

#include <QSet>

#include <exception>

namespace Discovery {

using namespace Text;

namespace {

QString CategoryAddress(const QString& categoryMatch)
{
    return TrimWhiteSpace(
        TextBetween(categoryMatch, HashToQuote(QStringLiteral("href=#")), HashToQuote(QStringLiteral("#>")), 5));
}

} // namespace

// cnblogs: first every category of the sidebar, posts ("[随笔]") and articles ("[文章]") alike; then the
// pages of all posts, for the posts that no category has listed. Every page of a phase is known before
// the phase reads its first, so each phase fetches its pages ahead of the one being read.
QCoro::Task<> FindCnblogsArticles(Model::RunState& state, QString address)
{
    const QString charset = QStringLiteral("UTF-8");
    const QString account = state.task.TaskName;
    const QString host = Model::Endpoints::CnblogsHost();
    const QString postTitleStart = HashToQuote(QStringLiteral(".html#>"));
    const QString dateStart = HashToQuote(QStringLiteral("permalink#>"));
    const QString datePattern = HashToQuote(QStringLiteral("Title = #permalink#>.*-.*-.*\\d</a>"));
    QSet<QString> seenLinks;

    const QString home = co_await FetchPageAnswered(state.http, address, charset, WhenGone::IsAnswer);
    const QStringList categories =
        MatchList(HashToQuote(QStringLiteral("Categories_CatList_LinkList_.*_Link_.*href=#http://") + host +
                              QStringLiteral("/.*/category/.*.html#>.*</a>")),
                  home);
    if (categories.isEmpty() && CnblogsLayout::IsLaterHome(home)) {
        co_await CnblogsLayout::FindArticles(state, home);
        co_return;
    }
    PagesAhead categoryPages(state.http, 0, categories.size() - 1, ListPagesAtOnce,
                             [categories, charset](Text::HttpContext& http, qint64 k) {
                                 return FetchPageAnswered(http, CategoryAddress(categories.at(k)), charset);
                             });
    std::exception_ptr failure;
    try {
        for (qsizetype k = 0; k < categories.size(); ++k) {
            co_await LetEventsRun();
            state.setStatus(QStringLiteral("查找分类：") + Num(k + 1) + QStringLiteral("页"));
            const QString& match = categories.at(k);
            // Read up to the name's own "</a>", so that a short name such as "C#" or "SQL" is read as well.
            const QString name =
                TextBetween(match, HashToQuote(QStringLiteral("#>")), QStringLiteral("</a>"), 0);
            const QString page = co_await categoryPages.next();
            const QStringList posts =
                MatchList(HashToQuote(QStringLiteral("<.*egoryEntry.*ryStoryList.*href=#http://") + host +
                                      QStringLiteral("/.*/archive/.*/.*/.*/.*html#>.*</a>")),
                          page);
            const QStringList dates = MatchList(datePattern, page);
            if (posts.isEmpty()) {
                // A category of articles.
                const QStringList articles = MatchList(
                    HashToQuote(QStringLiteral("<a id=#Cat.*ryEntry.*StoryLis.*itleUrl_.*href=#http://") +
                                host + QStringLiteral("/.*/articles/.*.html#>.*</a>")),
                    page);
                for (qsizetype j = 0; j < articles.size(); ++j) {
                    const QString& article = articles.at(j);
                    const QString title =
                        Trim(TextBetween(article, postTitleStart, QStringLiteral("</a>"), 0));
                    const QString link =
                        TextBetween(article, QStringLiteral("articles/"), QStringLiteral(".html"), 2) +
                        QStringLiteral(".html");
                    const QString date = TextBetween(EntryAt(dates, j), dateStart, QStringLiteral("</a>"), 3);
                    state.addArticleRow(title, QStringLiteral("[文章]") + name, link, date);
                }
                continue;
            }
            for (qsizetype j = 0; j < posts.size(); ++j) {
                const QString& post = posts.at(j);
                const QString title = Trim(TextBetween(post, postTitleStart, QStringLiteral("</a>"), 0));
                const QString link =
                    TextBetween(post, QStringLiteral("archive/"), QStringLiteral(".html"), 2) +
                    QStringLiteral(".html");
                const QString date = TextBetween(EntryAt(dates, j), dateStart, QStringLiteral("</a>"), 3);
                state.addArticleRow(title, QStringLiteral("[随笔]") + name, link, date);
                seenLinks.insert(link);
            }
        }
    } catch (...) {
        failure = std::current_exception();
    }
    co_await categoryPages.stop(failure);

    const QString myPosts =
        QStringLiteral("http://") + host + u'/' + account + QStringLiteral("/MyPosts.html");
    const QString first = co_await FetchPageAnswered(state.http, myPosts, charset, WhenGone::IsAnswer);
    const QString pager =
        TextBetween(first, HashToQuote(QStringLiteral("<div class=#Pager#>")), QStringLiteral("<a href="), 5);
    const qint64 pageCount =
        ToWholeNumber(TextBetween(Right(pager, 30), QStringLiteral("共"), QStringLiteral("页"), 0));
    const QString postPattern =
        HashToQuote(QStringLiteral("<a id=#PostsLis.*TitleUrl.*href=#http://") + host +
                    QStringLiteral("/.*/archive/.*/.*/.*/.*.>.*</a> <span class=#postDesc2#>.*</span>"));
    const QString listDatePattern = QStringLiteral("\\d\\d\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d 阅读");
    const QString defaultCategory = QStringLiteral("[随笔]默认分类");
    PagesAhead postPages(
        state.http, 1, pageCount, ListPagesAtOnce, [myPosts, charset](Text::HttpContext& http, qint64 i) {
            return FetchPageAnswered(http, myPosts + QStringLiteral("?page=") + Num(i), charset);
        });
    try {
        for (qint64 i = 1; i <= pageCount; ++i) {
            co_await LetEventsRun();
            state.setStatus(QStringLiteral("查找未分类：") + Num(i) + QStringLiteral("页"));
            const QString page = co_await postPages.next();
            const QStringList posts = MatchList(postPattern, page);
            const QStringList dates = MatchList(listDatePattern, page);
            for (qsizetype j = 0; j < posts.size(); ++j) {
                const QString& post = posts.at(j);
                const QString title = TextBetween(post, postTitleStart, QStringLiteral("</a>"), 0);
                const QString link =
                    TextBetween(post, QStringLiteral("archive/"), QStringLiteral(".html"), 2) +
                    QStringLiteral(".html");
                const QString date = Left(EntryAt(dates, j), 16);
                if (!seenLinks.contains(link)) {
                    state.addArticleRow(SafeFileName(title), defaultCategory, link, date);
                }
            }
        }
    } catch (...) {
        failure = std::current_exception();
    }
    co_await postPages.stop(failure);
}

} // namespace Discovery
