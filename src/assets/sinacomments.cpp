#include "assets/sinacomments.h"

#include "assets/assetnames.h"
#include "assets/jobrecord.h"
#include "model/endpoints.h"
#include "model/pagerecord.h"
#include "model/runstate.h"
#include "text/charset.h"
#include "text/failure.h"
#include "text/matching.h"
#include "text/pagefetch.h"
#include "text/safefilename.h"
#include "text/textprimitives.h"

namespace Assets {

namespace {

using Text::HashToQuote;
using Text::Replace;

constexpr int CommentsPerPage = 50;
// A counter reply with an absurd count must not flood the queue: 500,000 comments are more than any
// article ever had.
constexpr qint64 MaxCommentPages = 10000;

} // namespace

QString CommentPageAddress(const QString& articleId, int page)
{
    return QStringLiteral("http://") + Model::Endpoints::SinaBlogHost() + QStringLiteral("/s/comment_") +
           articleId + u'_' + Text::Num(page) + QStringLiteral(".html");
}

QString CommentCounterAddress(const QString& articleId)
{
    // The identifier holds the user (all but its last 8 characters) and the article (its last 6).
    if (articleId.size() < 8) {
        throw Text::Failure(QStringLiteral("没有文章编号，无法读取评论数：") + articleId);
    }
    const QString aids = Text::Right(articleId, 6);
    const QString uid = Text::Left(articleId, int(articleId.size()) - 8);
    return QStringLiteral("http://") + Model::Endpoints::SinaCountHost() +
           QStringLiteral("/api/num.php?uid=") + uid + QStringLiteral("&aids=") + aids;
}

QCoro::Task<QString> AppendSinaComments(Model::RunState& state, QString page, int row)
{
    // Read the row before waiting: while the counter answers, rows may be deleted or added.
    const QString link = state.articles.link(row);
    const QString id = Text::TextBetween(link, QStringLiteral("blog_"), QStringLiteral(".html"), 5);
    if (id == Text::NotFound) {
        throw Text::Failure(QStringLiteral("不是新浪文章的链接，无法读取评论数：") + link);
    }
    const QString folder = Text::SafeFileName(state.articles.category(row));
    const QString article = Model::PageRecord::pageName(state, row);
    const QString counter = CommentCounterAddress(id);

    const QString reply = co_await Text::FetchPageUntilOk(state.http, counter, QStringLiteral("UTF-8"));
    qint64 count = Text::ToWholeNumber(Text::TextBetween(reply, HashToQuote(QStringLiteral(":{#c#:")),
                                                         HashToQuote(QStringLiteral(",#r#:")), 0));

    if (count <= 0) {
        page += QStringLiteral("<hr size=1 color=#a0C0C0><font color=#339933 size=5>本篇无评论</font>");
        co_return page;
    }
    page += QStringLiteral("<hr size=1 color=#a0C0C0><font color=#339933 size=5>评论:</font>");
    for (int k = 1; count > 0 && k <= MaxCommentPages; ++k) {
        const QString address = CommentPageAddress(id, k);
        QueueAssetJob(state, Model::AssetQueue::CommentKind, address, folder, article);
        page += QStringLiteral("<a href=") + LocalAssetName(Model::AssetQueue::CommentKind, address) +
                QStringLiteral("><b>") + Text::Num(k) + QStringLiteral("</b></a>&nbsp;");
        count -= CommentsPerPage;
    }
    co_return page;
}

QString FormatCommentPage(QString text)
{
    text = Replace(text, QStringLiteral("\\r"), QString());
    text = Replace(text, QStringLiteral("\\n"), QStringLiteral("_"));
    text = Replace(text, QStringLiteral("\\t"), QStringLiteral("_"));
    text = Replace(text, QStringLiteral("\\\""), QString());
    text = Replace(text, QStringLiteral(":\\"), QString());
    text = Replace(text, QStringLiteral("\\/"), QStringLiteral("/"));
    text = Replace(text, QStringLiteral("<\\"), QStringLiteral("<"));
    text = Replace(text, QStringLiteral("_"), QString());
    text = Replace(text, QStringLiteral("<table class=SGrevertLeft><tr><td></td></tr></table>"), QString());
    text = Replace(text, QStringLiteral("<li"), QStringLiteral("\r\n<br><li"));
    text = Replace(text, HashToQuote(QStringLiteral("{#code#:#A00006#,data:#")), QString());
    text = Replace(text, HashToQuote(QStringLiteral("type=hidden value=/></div>#}")),
                   QStringLiteral("type=hidden value=/></div>"));
    text = Replace(text, QStringLiteral("href=http//"), QStringLiteral("href=http://"));
    text = Replace(text, QStringLiteral("<span class=SGrevertTime>"), QString());
    text = Replace(text, QStringLiteral("<div class=SGrevertCont>"), QString());
    text = Text::ReplaceMatches(text, QStringLiteral(R"(<li class=SGjlinedot1 id=cmt\d*>)"),
                                QStringLiteral("<li>"));
    text = Text::ReplaceMatches(text, QStringLiteral(R"(<span class=SGrevertTit id=nickcmt\d*>)"), QString());
    text = Text::ReplaceMatches(
        text, QStringLiteral(R"(<a id=.* onclick=commentreport.* href=javascript:;>\[举报\]</a>)"),
        QString());
    text = Text::ReplaceMatches(text, QStringLiteral(R"(<div class=SGrevertInner SGtxtb id=bodycmt\d*>)"),
                                QString());
    return Text::DeclaredPage(text);
}

} // namespace Assets
