#include "discovery/entrylists.h"
#include "discovery/finders.h"
#include "model/articlenames.h"
#include "model/endpoints.h"
#include "model/runstate.h"
#include "text/failure.h"
#include "text/matching.h"
#include "text/pagefetch.h"
#include "text/textprimitives.h"
#include "text/unrecognisedpage.h"

namespace Discovery {

using namespace Text;
using namespace Model::Endpoints;

namespace {

// A MatchAll result with its escapes decoded, as a list.
QStringList UnescapedMatchList(const QString& pattern, const QString& subject)
{
    QString matches = MatchAll(pattern, subject);
    Model::UnescapeUnicode(matches);
    return SplitMatches(matches);
}

} // namespace

// NetEase: the user number from the blog page, then the blog list service 20 entries at a time. Decides
// which of the two address forms the blog's articles use.
QCoro::Task<> FindNeteaseArticles(Model::RunState& state, QString address)
{
    const QString charset = QStringLiteral("GB2312");
    const QString account = state.task.TaskName;

    // A sub-domain that cannot be reached tells as much as a page that is too short: the blog lives under
    // the host-and-path form.
    QString page;
    try {
        page = co_await FetchPage(state.http, address, charset);
    } catch (const Failure&) {
        page.clear();
    }
    if (account.contains(u'@') || page.size() < 500) {
        state.neteasePathForm = true;
        page = co_await FetchPageAnswered(state.http,
                                          QStringLiteral("http://") + NeteaseBlogHost() + u'/' + account,
                                          charset, WhenGone::IsAnswer);
    } else {
        state.neteasePathForm = false;
    }
    // The page may break the line inside the field: the number is read without any white space.
    const QString userId =
        TrimWhiteSpace(TextBetween(page, QStringLiteral("userId:"), QStringLiteral(",userName:"), 2));

    const QString service = QStringLiteral("http://") + NeteaseApiHost() + u'/' + account +
                            QStringLiteral("/dwr/call/plaincall/BlogBeanNew.getBlogs.dwr?callCount=1"
                                           "&scriptSessionId=${scriptSessionId}187&c0-scriptName=BlogBeanNew"
                                           "&c0-methodName=getBlogs&c0-id=0&c0-param0=number:") +
                            userId + QStringLiteral("&c0-param1=number:");
    const QString linkPattern = HashToQuote(QStringLiteral("permalink=#blog/static/.*photoIds"));
    const QString titlePattern = QStringLiteral("synchMiniBlog.*trackbackCount=.*trackbackUr");
    const QString datePattern = QStringLiteral(".shortPublishDateStr=.*MiniBlog");
    const QString categoryPattern = HashToQuote(QStringLiteral(".className=#.*;s.*commentCount"));
    const QString fieldEnd = HashToQuote(QStringLiteral("#;s"));
    const QString titleStart = HashToQuote(QStringLiteral(".title=#"));
    const QString categoryStart = HashToQuote(QStringLiteral(".className=#"));
    const QString dateStart = HashToQuote(QStringLiteral("rtPublishDateStr=#"));
    const QString pageAddress =
        state.neteasePathForm ? QStringLiteral("http://") + NeteaseBlogHost() + u'/' + account : address;
    qint64 found = 0;
    for (qint64 offset = 0;; offset += 20) {
        co_await LetEventsRun();
        // A short reply ends the list; one that is no answer at all does not.
        const QString reply = co_await FetchPageAnswered(
            state.http, service + Num(offset) + QStringLiteral("&c0-param2=number:20&batchId=0"), charset);
        if (reply.size() <= 2000) {
            break; // too short to hold an entry: the list is done
        }
        const QStringList links = MatchList(linkPattern, reply);
        if (links.isEmpty()) {
            if (found == 0) {
                throw UnrecognisedPage(service + Num(offset),
                                       QStringLiteral("文章列表“permalink=\"blog/static/…photoIds”"));
            }
            break; // a long reply without entries (an error page) ends the list as well
        }
        const QStringList titles = UnescapedMatchList(titlePattern, reply);
        const QStringList dates = MatchList(datePattern, reply);
        const QStringList categories = UnescapedMatchList(categoryPattern, reply);
        for (qsizetype j = 0; j < links.size(); ++j) {
            co_await LetEventsRun();
            const QString link =
                TrimWhiteSpace(TextBetween(links.at(j), QStringLiteral("blog/static/"), fieldEnd, 2));
            const QString title = Trim(TextBetween(EntryAt(titles, j), titleStart, fieldEnd, 0));
            // Cut from the name's first character, so that an empty category is read as empty.
            const QString category = TextBetween(EntryAt(categories, j), categoryStart, fieldEnd, 0);
            const QString date = TextBetween(EntryAt(dates, j), dateStart, fieldEnd, 3);
            state.addArticleRow(title, category, link, date);
            ++found;
        }
    }
    // Without the user number the service has nothing to list: the blog page is not one the finder knows.
    if (found == 0 && userId == NotFound) {
        throw UnrecognisedPage(pageAddress, QStringLiteral("用户号“userId:…,userName:”"));
    }
}

} // namespace Discovery
