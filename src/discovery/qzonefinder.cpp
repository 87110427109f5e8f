#include "discovery/announcedarticles.h"
#include "discovery/entrylists.h"
#include "discovery/finders.h"
#include "model/endpoints.h"
#include "model/runstate.h"
#include "text/matching.h"
#include "text/pagefetch.h"
#include "text/textprimitives.h"
#include "text/unrecognisedpage.h"

namespace Discovery {

using namespace Text;
using namespace Model::Endpoints;

// QQ zone: the blog data service tells the number of entries, then hands out the title list 100 entries
// at a time. The task name is the owner's QQ number.
QCoro::Task<> FindQzoneArticles(Model::RunState& state)
{
    const QString charset = QStringLiteral("GB2312");
    const QString uin = state.task.TaskName;
    const QString service = QStringLiteral("http://") + QzoneDataHost() + QStringLiteral("/cgi-bin/blognew/");

    const QString countReply = co_await FetchPageAnswered(
        state.http, service + QStringLiteral("blog_get_category?uin=") + uin, charset, WhenGone::IsAnswer);
    const QString count =
        TextBetween(countReply, HashToQuote(QStringLiteral("blog_num#:")), QStringLiteral(","), 0);
    if (count == NotFound) {
        throw UnrecognisedPage(service + QStringLiteral("blog_get_category?uin=") + uin,
                               QStringLiteral("文章数“\"blog_num\":”"));
    }
    qint64 remaining = ToWholeNumber(count);
    AnnounceArticles(state, remaining);

    const QString titlePattern = QStringLiteral("<span id=.*blogtitle_.*>.*</span>");
    const QString datePattern = QStringLiteral("表.*.>\\d\\d\\d\\d.*<.span>");
    const QString categoryPattern = QStringLiteral("ListManager.selectCategory\\(.*QZBlog");
    const QString categoryStart = QStringLiteral("selectCategory(\\'");
    const QString categoryEnd = QStringLiteral("\\',\\'");
    qint64 offset = 0;
    while (remaining >= 1) {
        co_await LetEventsRun();
        const QString address = service + QStringLiteral("blog_output_titlelist?uin=") + uin +
                                QStringLiteral("&vuin=0&property=GoRE&getall=1&styledm=") +
                                QzoneStyleDomain() + QStringLiteral("&imgdm=") + QzoneImageDomain() +
                                QStringLiteral("&bdm=") + QzoneBlogDomain() +
                                QStringLiteral("&category=&num=100&sorttype=0&from=") + Num(offset);
        QString reply = co_await FetchPageAnswered(state.http, address, charset);
        reply = Replace(reply, QStringLiteral("</span>"), QStringLiteral("</span>\r\n"));

        const QStringList ids =
            Split(TextBetween(reply, HashToQuote(QStringLiteral("blogids#:[")), QStringLiteral("],"), 1),
                  QStringLiteral(","));
        const QStringList titles = MatchList(titlePattern, reply);
        const QStringList dates = MatchList(datePattern, reply);
        const QStringList categories = MatchList(categoryPattern, reply);
        for (qsizetype j = 0; j < ids.size(); ++j) {
            const QString link = TrimWhiteSpace(ids.at(j));
            const QString title =
                Trim(TextBetween(EntryAt(titles, j), QStringLiteral(">"), QStringLiteral("</span>"), 0));
            // Cut from the name's first character, so that an empty category is read as empty.
            const QString category = TextBetween(EntryAt(categories, j), categoryStart, categoryEnd, 0);
            const QString date =
                TextBetween(EntryAt(dates, j), QStringLiteral(">"), QStringLiteral("</span>"), 3);
            state.addArticleRow(title, category, link, date);
        }
        remaining -= 100;
        offset += 100;
    }
}

} // namespace Discovery
