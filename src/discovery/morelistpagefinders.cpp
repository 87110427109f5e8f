#include "discovery/finders.h"
#include "discovery/listpageplatforms.h"

#include "model/articlenames.h"
#include "model/endpoints.h"
#include "model/layoutfiles.h"
#include "model/runstate.h"
#include "model/taskfiles.h"
#include "text/matching.h"
#include "text/pagefetch.h"
#include "text/safefilename.h"
#include "text/textprimitives.h"

#include <algorithm>

namespace Discovery {

namespace ListPages {

using namespace Model::Endpoints;
using Text::Num;
using Text::TextBetween;

namespace {

QString IfengListPageAddress(const WalkState& walk, qint64 page)
{
    return Http + IfengBlogHost() + u'/' + walk.key + u'-' + Num(page) + QStringLiteral(".html");
}

// iFeng: every list page names a script that holds its articles as escaped markup.
QCoro::Task<QString> FetchIfengDataScript(Text::HttpContext& http, WalkState walk, qint64 page)
{
    const QString listAddress = IfengListPageAddress(walk, page);
    const QString listPage = co_await Text::FetchPageAnswered(http, listAddress, QStringLiteral("UTF-8"));
    const QString script = IfengDataScriptAddress(listPage);
    if (script.isEmpty()) {
        throw Text::Failure(QStringLiteral("the list page %1 names no article script").arg(listAddress));
    }
    co_return co_await Text::FetchPageUntilOk(http, script, QStringLiteral("UTF-8"));
}

// A category page names its address without the page suffix, its page size and its article total in
// a script: page i lies at that address + "_i.html" (page 1 at + ".html"). False for any other page.
bool ReadCsdnCategoryPages(WalkState& walk)
{
    const QString base =
        TextBetween(walk.firstPage, QStringLiteral("var baseUrl = '"), QStringLiteral("'"), 0);
    const QString size =
        TextBetween(walk.firstPage, QStringLiteral("var pageSize = "), QStringLiteral(";"), 0);
    const QString total =
        TextBetween(walk.firstPage, QStringLiteral("var listTotal = "), QStringLiteral(";"), 0);
    const qsizetype path = base.indexOf(QStringLiteral("/"), base.indexOf(QStringLiteral("//")) + 2);
    if (base == Text::NotFound || size == Text::NotFound || total == Text::NotFound || path < 0 ||
        !base.contains(QStringLiteral("/category_"))) {
        return false;
    }
    const qint64 perPage = Text::ToWholeNumber(size);
    const qint64 articles = Text::ToWholeNumber(total);
    if (perPage < 1 || articles < 0) {
        throw Text::Failure(
            QStringLiteral("the category page counts %1 articles, %2 a page").arg(total, size));
    }
    walk.key = Http + CsdnBlogHost() + Text::TrimWhiteSpace(base.mid(path));
    PagesOneTo(walk, std::max<qint64>(1, (articles + perPage - 1) / perPage));
    return true;
}

} // namespace

QString IfengDataScriptAddress(const QString& listPage)
{
    QString path = TextBetween(listPage, QStringLiteral("src=\"http://") + IfengStaticHost(),
                               QStringLiteral("></script>"), 5);
    if (path == Text::NotFound) {
        return {};
    }
    // The cut runs up to the tag's ">": the attribute's closing quote (and any blank or further
    // attribute after it) belongs to the markup, not to the address.
    const qsizetype quote = path.indexOf(u'"');
    if (quote >= 0) {
        path.truncate(quote);
    }
    return Http + IfengStaticHost() + Text::TrimWhiteSpace(path);
}

ListPagePlatform Ifeng(std::optional<int> startPage)
{
    ListPagePlatform p;
    p.fetchAhead = true;
    p.charset = QStringLiteral("UTF-8");
    p.readPages = [startPage](WalkState& walk) {
        walk.key = Text::TrimWhiteSpace(
            TextBetween(walk.firstPage, QStringLiteral("/guestbooks/"), QStringLiteral(".html"), 0));
        const QString last = QStringLiteral("尾页</a></div>");
        const QString pager =
            TextBetween(walk.firstPage, QStringLiteral("<div class=\"page\"><span class=\"current\">"), last,
                        5) +
            last;
        const int lastPage =
            Text::ToInt(TextBetween(Text::Right(pager, 30), QStringLiteral("-"), QStringLiteral(".html"), 0));
        walk.firstPageNumber = std::max(1, startPage.value_or(1));
        walk.lastPageNumber = lastPage;
        walk.pageCount = lastPage;
    };
    p.pageAddress = IfengListPageAddress;
    p.fetchListPage = FetchIfengDataScript;
    p.cleanUp = {{QStringLiteral("\\#"), QStringLiteral("#")},
                 {QStringLiteral("<\\/"), QStringLiteral("</")},
                 {QStringLiteral("\\/"), QStringLiteral("/")},
                 {QStringLiteral("\\n"), QStringLiteral("\r\n")},
                 {QStringLiteral("\\t"), QString()},
                 {QStringLiteral("class=#blog_main_time#>\r\n"), QStringLiteral("class=#blog_main_time#>")}};
    p.finishCleanUp = [](const QString& page) {
        QString text = page;
        return Model::UnescapeUnicode(text);
    };
    p.entryPattern = QStringLiteral("href=.*/article/.*.html.*title");
    p.datePattern = QStringLiteral("blog_main_time#><p>\\d\\d\\d\\d-.*-.* .*</p>");
    p.titlePattern = QStringLiteral("title=#.*#>");
    p.categoryPattern = QStringLiteral("target=#_blank#>.*</a>");
    p.link = From(FieldSource::Entry, QStringLiteral("/article/"), QStringLiteral(".html"), 5);
    p.title = From(FieldSource::Title, QStringLiteral("title=#"), QStringLiteral("#>"), 0);
    p.title.finish = Text::SafeFileName;
    p.date = From(FieldSource::Date, QStringLiteral("<p>"), QStringLiteral("</p>"), 5);
    p.category = From(FieldSource::Category, QStringLiteral("_blank#>"), QStringLiteral("</a>"), 0);
    p.category.finish = [](const QString& category) {
        return category.isEmpty() ? QStringLiteral("我的博文") : category;
    };
    p.letEventsRunPerEntry = true;
    p.skipListedLinks = startPage.has_value();
    // The task file first, then the checkpoint: a checkpoint never names a page whose rows are not saved.
    p.afterPage = [](Model::RunState& state, const WalkState&, qint64 page) {
        Model::expini(state);
        Model::WriteCheckpoint(state, int(page));
    };
    return p;
}

ListPagePlatform Yaolan()
{
    ListPagePlatform p;
    p.fetchAhead = true;
    p.charset = QStringLiteral("UTF-8");
    p.readPages = [](WalkState& walk) {
        const QString pager =
            TextBetween(walk.firstPage, QStringLiteral("<td valign=\"bottom\" align=\"left\" nowrap"),
                        QStringLiteral(">末页</a></td"), 5);
        PagesOneTo(walk, Text::ToInt(TextBetween(pager, QStringLiteral("style=\"width:100px;\"><p>共"),
                                                 QStringLiteral("页</p></td><td"), 0)));
    };
    p.pageAddress = [](const WalkState& walk, qint64 i) {
        return Http + YaolanSpaceHost() + u'/' + walk.taskName + QStringLiteral("/blog/list/0_") + Num(i) +
               QStringLiteral(".html");
    };
    p.entryPattern = QStringLiteral("<a id=#RepeaterDiary_ctl.*_linkTitle# title=#.*# href=#http://") +
                     YaolanSpaceHost() + QStringLiteral("/.*/blog/.*.html#>.*</a>");
    p.datePattern = QStringLiteral("<td>\\d\\d\\d\\d-.*-.*</td>");
    p.categoryPattern = QStringLiteral("<a href=http://") + YaolanSpaceHost() +
                        QStringLiteral("/.*/blog/list/.*.html>.*</a>");
    // The title ends where the address on the host's first label begins.
    const QString hostLabel = YaolanSpaceHost().section(u'.', 0, 0);
    p.title = From(FieldSource::Entry, QStringLiteral("title=#"),
                   QStringLiteral("# href=#http://") + hostLabel, 0, true);
    p.link = From(FieldSource::Entry, QStringLiteral("/blog/"), QStringLiteral("#>"), 2);
    p.category = From(FieldSource::Category, QStringLiteral("html>"), QStringLiteral("</a>"), 0);
    p.date = From(FieldSource::Date, QStringLiteral("<td>"), QStringLiteral("</td>"), 3);
    return p;
}

ListPagePlatform Csdn()
{
    ListPagePlatform p;
    p.fetchAhead = true;
    p.charset = QStringLiteral("UTF-8");
    p.readPages = [](WalkState& walk) {
        if (ReadCsdnCategoryPages(walk)) {
            return;
        }
        const QString pagerMark = QStringLiteral("<!--显示分页-->");
        if (!walk.firstPage.contains(pagerMark)) {
            PagesOneTo(walk, 1);
            return;
        }
        const QString pager = TextBetween(walk.firstPage, pagerMark, QStringLiteral("尾页</a>"), 5);
        PagesOneTo(walk, Text::ToInt(TextBetween(pager, QStringLiteral("数据  共"),
                                                 QStringLiteral("页</span><strong>"), 1)));
    };
    p.pageAddress = [](const WalkState& walk, qint64 i) {
        if (!walk.key.isEmpty()) {
            return walk.key + (i > 1 ? u'_' + Num(i) : QString()) + QStringLiteral(".html");
        }
        return Http + CsdnBlogHost() + u'/' + walk.taskName + QStringLiteral("/article/list/") + Num(i);
    };
    // The title link is spread over three lines.
    p.cleanUp = {{QStringLiteral("\r\n        </a></span>"), QStringLiteral("        </a></span>")},
                 {QStringLiteral("#>\r\n"), QStringLiteral("#>")}};
    p.entryPattern =
        QStringLiteral("<span class=#link_title#><a href=#/.*/article/details/.*#>.*</a></span>");
    p.datePattern = QStringLiteral("<span class=#link_postdate#>.*-.*-.*</span>");
    // Without its opening tag "<span class="link_title">", the first "\">" of an entry closes the link.
    p.entryDropChars = 25;
    p.title = From(FieldSource::Entry, QStringLiteral("#>"), QStringLiteral("</a></span>"), 2, true);
    p.link = From(FieldSource::Entry, QStringLiteral("details/"), QStringLiteral("#>"), 2);
    p.category = Fixed(QStringLiteral("默认分类"));
    p.date = From(FieldSource::Date, QStringLiteral("class=#link_postdate#>"), QStringLiteral("</span>"), 3);
    // The category pages since about 2020: rows in a list under the category's name.
    p.laterRows = Model::LayoutDescription(Model::Csdn).rows;
    return p;
}

ListPagePlatform ChinaUnix()
{
    ListPagePlatform p;
    p.fetchAhead = true;
    p.readPages = [](WalkState& walk) {
        PagesOneTo(walk,
                   Text::ToInt(TextBetween(walk.firstPage, QStringLiteral("<div class='page'><div>共&nbsp;"),
                                           QStringLiteral("&nbsp;页</div><span><a class=\"here\">"), 0)));
    };
    p.pageAddress = [](const WalkState& walk, qint64 i) {
        return Http + ChinaUnixBlogHost() + QStringLiteral("/space.php?uid=") + walk.taskName +
               QStringLiteral("&page=") + Num(i);
    };
    p.entryPattern = QStringLiteral("<div class=.tit2.><a href=./uid-.*html.>.*</a></div>");
    p.datePattern = QStringLiteral("<div class=.data. style=.width:132px;height:20px;.>.*</div>");
    p.title = From(FieldSource::Entry, QStringLiteral(".html#>"), QStringLiteral("</a></div>"), 0, true);
    p.link = From(FieldSource::Entry, QStringLiteral("<a href=#/"), QStringLiteral("#>"), 2);
    p.date = From(FieldSource::Date, QStringLiteral("height:20px;#>("), QStringLiteral(")</div>"), 3);
    p.category = Fixed(QStringLiteral("默认分类"));
    return p;
}

ListPagePlatform Cersp()
{
    static constexpr qint64 PageSize = 30;
    ListPagePlatform p;
    p.fetchAhead = true;
    // Driven by the article total: one page per 30 articles begun.
    p.readPages = [](WalkState& walk) {
        const qint64 total = Text::ToWholeNumber(
            TextBetween(walk.firstPage, QStringLiteral("&resultCount="), QStringLiteral("&pageSize="), 1));
        PagesOneTo(walk, total >= 1 ? (total + PageSize - 1) / PageSize : 0);
        walk.announcedArticles = total;
    };
    p.statusText = [](const WalkState&, qint64 i) {
        return QStringLiteral("查找文章：") + Num(i) + QStringLiteral("页");
    };
    p.pageAddress = [](const WalkState& walk, qint64 i) {
        return Http + CerspBlogHost() +
               QStringLiteral("/paginator/asyn/paginatorBlogIndexArticleList.jspx?pageNo=") + Num(i) +
               QStringLiteral("&pageSize=") + Num(PageSize) + QStringLiteral("&blogUserId=") + walk.taskName;
    };
    p.entryPattern = QStringLiteral("<a href=#/index/.*jspx.articleId=.*#>.*</a>");
    p.datePattern = QStringLiteral("<span class=#property#>\\d\\d\\d\\d-.*-.*:.*:.*");
    p.link = From(FieldSource::Entry, QStringLiteral("jspx?articleId="), QStringLiteral("#>"), 0);
    p.title = From(FieldSource::Entry, QStringLiteral("#>"), QStringLiteral("</a>"), 0, true);
    p.date = From(FieldSource::Date, QStringLiteral("class=#property#>"), QStringLiteral(","), 3);
    p.category = Fixed(QStringLiteral("默认分类"));
    return p;
}

ListPagePlatform CerspEblog()
{
    static const QString categoryLink = QStringLiteral("&do=blogs&id=");
    ListPagePlatform p;
    p.fetchAhead = true;
    p.readPages = [](WalkState& walk) {
        const QString rest = Text::Replace(walk.blogAddress, Http + CerspEblogHost() + u'/', QString());
        walk.key = Text::TrimWhiteSpace(TextBetween(rest, QStringLiteral("/"), QStringLiteral("/index"), 1));
        PagesOneTo(walk, Text::ToInt(TextBetween(walk.firstPage, QStringLiteral("&nbsp;页次：1/"),
                                                 QStringLiteral("</strong>页"), 0)));
    };
    p.firstPageIsListPage = true;
    p.pageAddress = [](const WalkState& walk, qint64 i) {
        return Http + CerspEblogHost() + QStringLiteral("/cmd.asp?uid=") + walk.key +
               QStringLiteral("&do=index&page=") + Num(i);
    };
    p.cleanUp = {{QStringLiteral("\\n"), QStringLiteral("\r\n")}};
    // The look-ahead passes over the "阅读全文" links without losing titles that begin with one of
    // its characters.
    p.entryPattern = QStringLiteral("<a href=./userlog.*/.*/archives/.*/.*.shtml.>(?!阅读全文).+</a>");
    p.datePattern = QStringLiteral("\\d\\d\\d\\d-\\d.*-\\d.* \\d.*:\\d.*:00");
    p.title = From(FieldSource::Entry, QStringLiteral(".shtml#>"), QStringLiteral("</a>"), 0);
    p.title.finish = Text::SafeFileName;
    // A categorised entry begins with the link to its category, then the article link.
    p.link.source = FieldSource::Entry;
    p.link.finish = [](const QString& entry) {
        const QString start =
            entry.contains(categoryLink) ? QStringLiteral("</a><a href=\"") : QStringLiteral("<a href=\"");
        const QString link =
            Text::TrimWhiteSpace(TextBetween(entry, start, QStringLiteral(".shtml"), 2)) + QStringLiteral(".shtml");
        // The article address is the host followed by the link, so the link must begin with "/".
        return link.startsWith(u'/') ? link : u'/' + link;
    };
    p.category.source = FieldSource::Entry;
    p.category.finish = [](const QString& entry) {
        return entry.contains(categoryLink)
                   ? TextBetween(entry, QStringLiteral("\">["), QStringLiteral("]</a><a"), 0)
                   : QStringLiteral("未分类");
    };
    p.date.source = FieldSource::Date;
    return p;
}

} // namespace ListPages

QCoro::Task<> FindIfengArticles(Model::RunState& state, QString address, std::optional<int> resumePage)
{
    co_await ListPageWalk(state, ListPages::Ifeng(resumePage), address);
}

QCoro::Task<> FindYaolanArticles(Model::RunState& state, QString address)
{
    co_await ListPageWalk(state, ListPages::Yaolan(), address);
}

QCoro::Task<> FindCsdnArticles(Model::RunState& state, QString address)
{
    co_await ListPageWalk(state, ListPages::Csdn(), address);
}

QCoro::Task<> FindChinaUnixArticles(Model::RunState& state, QString address)
{
    co_await ListPageWalk(state, ListPages::ChinaUnix(), address);
}

QCoro::Task<> FindCerspArticles(Model::RunState& state, QString address)
{
    co_await ListPageWalk(state, ListPages::Cersp(), address);
}

QCoro::Task<> FindCerspEblogArticles(Model::RunState& state, QString address)
{
    co_await ListPageWalk(state, ListPages::CerspEblog(), address);
}

} // namespace Discovery
