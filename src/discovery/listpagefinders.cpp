#include "discovery/finders.h"
#include "discovery/listpageplatforms.h"

#include "model/endpoints.h"
#include "model/runstate.h"
#include "model/taskname.h"
#include "text/matching.h"
#include "text/textprimitives.h"

namespace Discovery {

namespace ListPages {

using namespace Model::Endpoints;
using Text::Num;
using Text::TextBetween;

ListPagePlatform Baidu()
{
    ListPagePlatform p;
    p.fetchAhead = true;
    p.readPages = [](WalkState& walk) {
        const QString last = QStringLiteral("'>[尾页]</a>");
        const QString pager =
            TextBetween(walk.firstPage, QStringLiteral("</div><div id=page><span>1</span>"), last, 5) + last;
        const int lastIndex =
            Text::ToInt(TextBetween(Text::Right(pager, 50), QStringLiteral("/blog/index/"), last, 0));
        // Pages are numbered from 0.
        walk.firstPageNumber = 0;
        walk.lastPageNumber = lastIndex;
        walk.pageCount = qint64(lastIndex) + 1;
    };
    p.pageAddress = [](const WalkState& walk, qint64 i) {
        return Http + BaiduSpaceHost() + u'/' + walk.taskName + QStringLiteral("/blog/index/") + Num(i);
    };
    p.statusText = [](const WalkState& walk, qint64 i) { return SearchStatus(i + 1, walk.pageCount); };
    p.cleanUp = {{QStringLiteral("</script>"), QStringLiteral("</script>\r\n")},
                 {QStringLiteral("<div class=line>"), QStringLiteral("\r\n<div class=line>")}};
    p.entryPattern = QStringLiteral(
        "<div class=tit><a href=#/.*/blog/item/.*.html# target=_blank>.*</a></div><div class=date>.*</div>");
    p.categoryPattern = QStringLiteral("title=#查看该分类中所有文章#>.*</a>");
    p.title =
        From(FieldSource::Entry, QStringLiteral("target=_blank>"), QStringLiteral("</a></div><div"), 0, true);
    p.link = From(FieldSource::Entry, QStringLiteral("/blog/item/"), QStringLiteral("# target=_blank>"), 2);
    p.date = From(FieldSource::Entry, QStringLiteral("<div class=date>"), QStringLiteral("</div>"), 3);
    p.category = From(FieldSource::Category, QStringLiteral("查看该分类中所有文章#>类别："),
                      QStringLiteral("</a>"), 0);
    return p;
}

ListPagePlatform Hexun()
{
    static const QString listStart = QStringLiteral("<!--  文章列表:开始  -->");
    ListPagePlatform p;
    p.readPages = [](WalkState& walk) {
        const QString next = QStringLiteral("title='下一页'>下一页");
        const QString pager = TextBetween(walk.firstPage, QStringLiteral("PageSkip_1"), next, 5) + next;
        PagesOneTo(walk, MaxNumberBetween(pager, QStringLiteral("'>"), QStringLiteral("</a><span class='pa"),
                                          walk.taskName));
    };
    p.pageAddress = [](const WalkState& walk, qint64 i) {
        return Http + walk.taskName + u'.' + HexunBlogDomain() + QStringLiteral("/p") + Num(i) +
               QStringLiteral("/default.aspx");
    };
    p.cleanUp = {{QStringLiteral("\r\n"), QString()}, {QStringLiteral("\t"), QString()}};
    // A page without the list ends the walk and is the last page asked for: no fetching ahead. A page
    // that is gone is such a page.
    p.stopUnless = listStart;
    p.listPageGone = Text::WhenGone::IsAnswer;
    p.entryPieces = [](const QString& page) {
        const QString list = TextBetween(page, listStart, QStringLiteral("multipage-current"), 1);
        return Text::Split(list, QStringLiteral("</a></div></div></div>"));
    };
    p.link = From(FieldSource::Entry, HexunBlogDomain() + u'/', QStringLiteral("_d.html"), 1);
    p.link.suffix = QStringLiteral("_d.html");
    p.title = From(FieldSource::Entry, QStringLiteral("_d.html'>"), QStringLiteral("</a></span>"), 1);
    p.date = From(FieldSource::Entry, QStringLiteral("</a></span> "), QStringLiteral("&nbsp;</div>"), 1);
    p.date.cuts.append(Cut{QStringLiteral(" "), QStringLiteral("]"), 5});
    p.category = Fixed(QStringLiteral("默认类别"));
    return p;
}

ListPagePlatform Sohu()
{
    ListPagePlatform p;
    p.fetchAhead = true;
    p.readPages = [](WalkState& walk) {
        const qint64 total = Text::ToWholeNumber(
            TextBetween(walk.firstPage, QStringLiteral("var totalCount ="), QStringLiteral(";"), 0));
        const qint64 perPage = Text::ToWholeNumber(
            TextBetween(walk.firstPage, QStringLiteral("var itemPerPage ="), QStringLiteral(";"), 0));
        if (perPage == 0) {
            throw Text::Failure(QStringLiteral("a blog that shows no articles per page"));
        }
        PagesOneTo(walk, total / perPage + (total % perPage > 0 ? 1 : 0));
        walk.announcedArticles = total;
        walk.key = Text::TrimWhiteSpace(
            TextBetween(walk.firstPage, QStringLiteral("var _ebi = '"), QStringLiteral("';"), 2));
    };
    p.pageAddress = [](const WalkState& walk, qint64 i) {
        return Http + walk.taskName + u'.' + SohuBlogDomain() + QStringLiteral("/action/v_frag-ebi_") +
               walk.key + QStringLiteral("-pg_") + Num(i) + QStringLiteral("/entry/");
    };
    p.entryPattern = QStringLiteral("<h3>.*-.*-.*&nbsp;.&nbsp;<a href=#http://.*.") + SohuBlogDomain() +
                     QStringLiteral("/.*html# target=#_blank#>.*</a>");
    p.title = From(FieldSource::Entry, QStringLiteral("_blank\">"), QStringLiteral("</a>"), 0, true);
    p.link = From(FieldSource::Entry, SohuBlogDomain() + u'/', QStringLiteral(".html"), 2);
    p.link.suffix = QStringLiteral(".html");
    p.date = From(FieldSource::Entry, QStringLiteral("<h3>"), QStringLiteral("&nbsp;|&nbsp;<a"), 3);
    p.blockSeparator = QStringLiteral("blog_entrylist_share_bottom");
    p.blockCategory = [](const QString& block) {
        const QString footer =
            TextBetween(block, QStringLiteral("固定链接</a> &nbsp;|&nbsp;"), QStringLiteral("发表于"), 0);
        if (!footer.contains(QStringLiteral("类别&nbsp"))) {
            return QStringLiteral("默认分类");
        }
        return TextBetween(footer, QStringLiteral("/\">"), QStringLiteral("</a>"), 0);
    };
    p.category.source = FieldSource::Block;
    p.letEventsRunPerEntry = true;
    return p;
}

ListPagePlatform Tianya()
{
    ListPagePlatform p;
    p.fetchAhead = true;
    p.firstPageAddress = [](const WalkState& walk) {
        // Everything after "BlogID=" in the address.
        const QString blogId = Text::TrimWhiteSpace(TextBetween(
            walk.blogAddress + QStringLiteral("end"), QStringLiteral("BlogID="), QStringLiteral("end"), 1));
        return Http + TianyaBlogHost() + QStringLiteral("/blogger/blog_main.asp?BlogID=") + blogId;
    };
    p.firstPageFile = QStringLiteral("tianya.html");
    p.readPages = [](WalkState& walk) {
        const QString last = QStringLiteral("title=尾页>>></a>");
        const QString pager =
            TextBetween(walk.firstPage, QStringLiteral("pages pos-relative"), last, 5) + last;
        PagesOneTo(walk, Text::ToInt(TextBetween(Text::Right(pager, 60), QStringLiteral("&page="),
                                                 QStringLiteral("\" title=尾页"), 0)));
    };
    p.pageAddress = [](const WalkState& walk, qint64 i) {
        return walk.firstPageAddress + QStringLiteral("&page=") + Num(i);
    };
    p.cleanUp = {{QStringLiteral("</a></span></div></div>"), QStringLiteral("</a></span></div></div>\r\n")}};
    p.entryPattern =
        QStringLiteral("<span class=#pos-right#><a href=#.blogger.post_read.asp.BlogID=.*&PostID=.*# "
                       "target=#_blank#>查看全文>>");
    p.titlePattern =
        QStringLiteral("<div class=#article#><h2><a href=#.blogger/post_read.asp.BlogID=.*&PostID=.*# "
                       "class=.*target=#_blank#>.*</a></h2>");
    p.datePattern =
        QStringLiteral("<span class=#pos-right gray6#>\\d.*-.*-.*</span></div><div class=#article-summary#>");
    p.categoryPattern = QStringLiteral(
        "<a href=#.blogger.post_list.asp.BlogID=.*&CategoryID=.*# target=#_blank#>.*</a>.*评论");
    p.link = From(FieldSource::Entry, QStringLiteral("&PostID="), QStringLiteral("# target=#_blank"), 3);
    p.title =
        From(FieldSource::Title, QStringLiteral("target=#_blank#>"), QStringLiteral("</a></h2>"), 0, true);
    p.category =
        From(FieldSource::Category, QStringLiteral("target=#_blank#>"), QStringLiteral("</a></span>"), 0);
    p.date =
        From(FieldSource::Date, QStringLiteral("pos-right gray6#>"), QStringLiteral("</span></div><div"), 3);
    return p;
}

ListPagePlatform Tianya2()
{
    ListPagePlatform p;
    p.firstPageUntilOk = true;
    p.readPages = [](WalkState& walk) {
        walk.key = Text::TrimWhiteSpace(
            TextBetween(walk.firstPage, QStringLiteral("rss.asp?BlogID="), QStringLiteral("\""), 0));
        PagesOneTo(walk,
                   Text::ToInt(TextBetween(walk.firstPage, QStringLiteral("<span class=\"title2\">页码：1/"),
                                           QStringLiteral("<b>"), 0)));
    };
    p.firstPageIsListPage = true;
    // Each page names the query of the next, so the pages are read one after the other.
    p.pageAddress = [](const WalkState& walk, qint64 i) {
        // The rest of the previous page's own link to page i, up to its ">".
        const QString next = QStringLiteral("&CategoryID=0&page=") + Num(i);
        return Http + TianyaBlogHost() + QStringLiteral("/blogger/view_blog.asp?BlogName=") + walk.taskName +
               next + TextBetween(walk.previousPage, next, QStringLiteral(">"), 0);
    };
    p.entryPattern = QStringLiteral(
        "href=.post_show.asp.idWriter=0&Key=0&BlogID=.*&PostID=.*target=_blank>(?!<B>).*</a></td>");
    p.datePattern = QStringLiteral("发表于 \\d\\d\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d.</td>");
    p.categoryPattern = QStringLiteral("<td align=.right.>分类:.*<a href=.Add");
    p.link = From(FieldSource::Entry, QStringLiteral("&PostID="), QStringLiteral("\""), 3);
    p.title =
        From(FieldSource::Entry, QStringLiteral("target=_blank>"), QStringLiteral("</a></td>"), 0, true);
    p.category = From(FieldSource::Category, QStringLiteral("分类:"), QStringLiteral("|"), 0, true);
    p.date = From(FieldSource::Date, QStringLiteral("发表于"), QStringLiteral("</td>"), 3);
    // The blog's articles are addressed by its RSS number, so the task takes that name. The rows found
    // before a failure are addressed the same way, so the name changes then too.
    p.afterWalk = [](Model::RunState& state, const WalkState& walk) {
        if (walk.key != Text::NotFound && Model::TaskNameProblem(walk.key).isEmpty()) {
            state.task.TaskName = walk.key;
        }
    };
    return p;
}

ListPagePlatform Cto51()
{
    ListPagePlatform p;
    p.fetchAhead = true;
    p.firstPageUntilOk = true;
    p.readPages = [](WalkState& walk) {
        PagesOneTo(walk, Text::ToInt(TextBetween(walk.firstPage, QStringLiteral("&nbsp;页数 ( 1/"),
                                                 QStringLiteral(")</div>"), 0)));
        walk.key = Text::TrimWhiteSpace(
            TextBetween(walk.firstPage, QStringLiteral("../rss.php?uid="), QStringLiteral("\""), 0));
    };
    p.pageAddress = [](const WalkState& walk, qint64 i) {
        return Http + walk.taskName + u'.' + Cto51BlogDomain() + u'/' + walk.key + QStringLiteral("/p-") +
               Num(i);
    };
    p.entryPattern = QStringLiteral("<h3 class=.artTitle.><a href=./.*/.*>.*</a>");
    p.datePattern = QStringLiteral("<div class=.time.>.*-..-.. ..:..:..</div></div>");
    p.categoryPattern = QStringLiteral("类别：<a href=/.*/.*>.*</a>.<a href=./.*/.*>阅读</a>");
    p.entryCleanUp = {{QStringLiteral("<h3 class=#artTitle#>"), QString()}};
    p.link = From(FieldSource::Entry, QStringLiteral("<a href=#/"), QStringLiteral("\">"), 3);
    p.title = From(FieldSource::Entry, QStringLiteral("\">"), QStringLiteral("</a>"), 0, true);
    p.category = From(FieldSource::Category, QStringLiteral(">"), QStringLiteral("</a>|"), 0);
    p.date = From(FieldSource::Date, QStringLiteral("\">"), QStringLiteral("</div>"), 3);
    return p;
}

} // namespace ListPages

QCoro::Task<> FindBaiduArticles(Model::RunState& state, QString address)
{
    co_await ListPageWalk(state, ListPages::Baidu(), address);
}

QCoro::Task<> FindHexunArticles(Model::RunState& state, QString address)
{
    co_await ListPageWalk(state, ListPages::Hexun(), address);
}

QCoro::Task<> FindSohuArticles(Model::RunState& state, QString address)
{
    co_await ListPageWalk(state, ListPages::Sohu(), address);
}

QCoro::Task<> FindTianyaArticles(Model::RunState& state, QString address)
{
    co_await ListPageWalk(state, ListPages::Tianya(), address);
}

QCoro::Task<> FindTianya2Articles(Model::RunState& state, QString address)
{
    co_await ListPageWalk(state, ListPages::Tianya2(), address);
}

QCoro::Task<> FindCto51Articles(Model::RunState& state, QString address)
{
    co_await ListPageWalk(state, ListPages::Cto51(), address);
}

} // namespace Discovery
