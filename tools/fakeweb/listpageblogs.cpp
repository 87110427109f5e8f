#include "listpageblogs.h"

#include "listpagesamples.h"
#include "server.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace FakeWeb {

namespace {

using ListPageSamples::addArticle;
using ListPageSamples::addImage;
using ListPageSamples::articlesOnPage;
using ListPageSamples::categoryNumber;
using ListPageSamples::gbPage;
using ListPageSamples::imageTag;
using ListPageSamples::minutes;
using ListPageSamples::numberFor;
using ListPageSamples::pageCount;
using ListPageSamples::seconds;
using ListPageSamples::stableNumber;

// ---- Titles and categories of these blogs; the rest of their content is the shared sample ------------

QString title(int i)
{
    static const QStringList topics = {
        QStringLiteral("春日随笔"), QStringLiteral("读书笔记"), QStringLiteral("旅行见闻"),
        QStringLiteral("代码札记"), QStringLiteral("家常菜谱"), QStringLiteral("电影观后感"),
        QStringLiteral("周末杂记"),
    };
    return QStringLiteral("%1 第%2篇").arg(topics.at(i % topics.size())).arg(i + 1);
}

// Some titles stand between blanks on the list page; the platforms that trim titles must drop them.
QString paddedTitle(int i)
{
    return ListPageSamples::padded(title(i), i);
}

QString category(int i)
{
    static const QStringList names = {QStringLiteral("随笔"), QStringLiteral("读书笔记"),
                                      QStringLiteral("技术")};
    return names.at(i % names.size());
}

QString summary(int i)
{
    return ListPageSamples::summary(title(i), i);
}

// The article body; imageTag (may be empty) stands in the second paragraph.
QString body(int i, const QString& imageTag)
{
    return ListPageSamples::body(title(i), i, imageTag);
}

} // namespace

BlogSize parseBlogSize(const QString& arg)
{
    BlogSize size;
    const QStringList parts = arg.split(QLatin1Char(':'));
    if (!parts.value(0).trimmed().isEmpty()) {
        size.name = parts.value(0).trimmed();
    }
    bool ok = false;
    const int articles = parts.value(1).toInt(&ok);
    if (ok && articles >= 0) {
        size.articles = articles;
    }
    const int perPage = parts.value(2).toInt(&ok);
    if (ok && perPage > 0) {
        size.perPage = perPage;
    }
    return size;
}

// ---- Baidu space: list pages /NAME/blog/index/0, 1, ...; the first page is the blog address ---------

GeneratedBlog installBaiduBlog(Server& server, const BlogSize& size)
{
    const QString& name = size.name;
    const QString space = QStringLiteral("http://hi.baidu.com/") + name;
    GeneratedBlog blog{
        .address = space + QStringLiteral("/blog"), .taskName = name, .pageCount = pageCount(size)};
    const int last = blog.pageCount - 1;

    for (int p = 1; p <= blog.pageCount; ++p) {
        QString html =
            QStringLiteral("<html><head><title>%1的空间_百度空间</title><script type=\"text/javascript\">"
                           "var bdUser='%1';</script><script>var page=%2;</script></head><body>\n"
                           "<div id=m_blog class=modbox><div class=modhead><span class=modtit>文章</span>"
                           "</div><div class=modbox-cont>")
                .arg(name)
                .arg(p - 1);
        for (const int i : articlesOnPage(size, p)) {
            const QString id = QString::number(0x3a7b1c00u + quint32(i) * 7919u, 16) + QStringLiteral("e2f1");
            const QString link = id + QStringLiteral(".html");
            html += QStringLiteral(
                        "<div class=line><div class=tit><a href=\"/%1/blog/item/%2\" target=_blank>%3</a>"
                        "</div><div class=date>%4</div><div class=cnt>%5</div><div class=opt><a "
                        "href=\"/%1/blog/category/%6\" title=\"查看该分类中所有文章\">类别：%6</a> | <a "
                        "href=\"/%1/blog/item/%2#send\">评论(0)</a></div></div>")
                        .arg(name, link, paddedTitle(i), minutes(i), summary(i), category(i));

            const QString article =
                QStringLiteral(
                    "<html><head><title>%1_%2的空间_百度空间</title></head><body><div id=m_blog "
                    "class=modbox><div class=modhead><span class=modtit>查看文章</span></div>\r\n<div "
                    "class=tit>%1</div><div class=date>%3</div><div id=blog_text class=cnt>%4</div>\r\n"
                    "<div class=opt>类别：%5 | 浏览(12)</div></div>\r\n<div id=in_comment "
                    "class=modbox><div class=modhead><span class=modtit>网友评论：</div></div></body>"
                    "</html>")
                    .arg(title(i), name, minutes(i),
                         body(i, imageTag(server, blog, QStringLiteral("baidu"), name, i)), category(i));
            const QString address = space + QStringLiteral("/blog/item/") + link;
            server.addRoute(address, gbPage(article));
            addArticle(blog, title(i), category(i), link, minutes(i), address);
        }
        // The pager of every page; the "[尾页]" link stays apart from the other page links.
        html += QStringLiteral("</div>\n</div><div id=page><span>%1</span>").arg(p);
        for (int k = 0; k <= last; ++k) {
            if (k != p - 1) {
                html += QStringLiteral("<a href='/%1/blog/index/%2'>[%3]</a>").arg(name).arg(k).arg(k + 1);
            }
        }
        html += QStringLiteral(
                    "<span class=gap>&nbsp;&nbsp;&nbsp;&nbsp;</span><a href='/%1/blog/index/%2'>[尾页]</a>"
                    "</div>\n</body></html>")
                    .arg(name)
                    .arg(last);
        const Response page = gbPage(html);
        server.addRoute(space + QStringLiteral("/blog/index/") + QString::number(p - 1), page);
        if (p == 1) {
            server.addRoute(blog.address, page);
        }
    }
    return blog;
}

// ---- Hexun: list pages /p1/default.aspx, /p2/default.aspx, ...; the first page is the blog's root -----

GeneratedBlog installHexunBlog(Server& server, const BlogSize& size)
{
    const QString& name = size.name;
    const QString root = QStringLiteral("http://%1.blog.hexun.com").arg(name);
    GeneratedBlog blog{.address = root, .taskName = name, .pageCount = pageCount(size)};

    for (int p = 1; p <= blog.pageCount; ++p) {
        QString html =
            QStringLiteral("<html><head><title>%1的博客-和讯博客</title></head><body>\r\n"
                           "<div id='DefaultContainer1_ArticleList'>\r\n<!--  文章列表:开始  -->\r\n")
                .arg(name);
        for (const int i : articlesOnPage(size, p)) {
            const QString link = QString::number(70000000 + i * 37) + QStringLiteral("_d.html");
            const QString address = root + u'/' + link;
            html +=
                QStringLiteral("\t<div class='Article'>\r\n\t<div class='ArticleTitle'><span "
                               "class='ArticleTitleText'><a href='%1'>%2</a></span> [原创 %3]&nbsp;</div>\r\n"
                               "\t<div class='ArticleBlogText'>%4</div>\r\n\t<div class='ArticleFoot'><div "
                               "class='ArticleInfo'><a href='%1'>阅读全文</a></div></div></div>\r\n")
                    .arg(address, title(i), minutes(i), summary(i));

            const QString article =
                QStringLiteral(
                    "<html><head><title>%1-%2的博客-和讯博客</title></head><body>\r\n<div "
                    "class='ArticleTitle'>%1</div><div class='ArticleInfo'>%3</div>\r\n<!--  "
                    "文章内容:开始  -->\r\n<div class='ArticleBlogText'>%4</div>\r\n<!-- 分享 -->\r\n"
                    "<div class='foot'>和讯网 版权所有</div></body></html>")
                    .arg(title(i), name, minutes(i),
                         body(i, imageTag(server, blog, QStringLiteral("hexun"), name, i)));
            server.addRoute(address, gbPage(article));
            addArticle(blog, title(i), QStringLiteral("默认类别"), link, minutes(i), address);
        }
        // The pager links every page, the current one included, so that a blog of one page has a count.
        html += QStringLiteral(
                    "<!--  文章列表:结束  -->\r\n</div>\r\n<div class='PageSkip'><div class='PageSkip_1'>"
                    "<span class='multipage-current'>%1</span>")
                    .arg(p);
        for (int k = 1; k <= blog.pageCount; ++k) {
            html += QStringLiteral("<a href='%1/p%2/default.aspx'>%2</a><span class='pageSep'>&nbsp;</span>")
                        .arg(root)
                        .arg(k);
        }
        html += QStringLiteral(
                    "<a href='%1/p%2/default.aspx' title='下一页'>下一页</a></div></div>\r\n</body></html>")
                    .arg(root)
                    .arg(std::min(p + 1, blog.pageCount));
        const Response page = gbPage(html);
        server.addRoute(root + QStringLiteral("/p%1/default.aspx").arg(p), page);
        if (p == 1) {
            server.addRoute(root + u'/', page);
        }
    }
    return blog;
}

// ---- Sohu: the first page holds the counts; the list pages are fragments ------------------------------

GeneratedBlog installSohuBlog(Server& server, const BlogSize& size)
{
    const QString& name = size.name;
    const QString root = QStringLiteral("http://%1.blog.sohu.com").arg(name);
    const QString ebi =
        QString::number(stableNumber(QStringLiteral("ebi") + name), 16).rightJustified(8, u'0') +
        QStringLiteral("a1");
    GeneratedBlog blog{
        .address = root + QStringLiteral("/entry/"), .taskName = name, .pageCount = pageCount(size)};

    server.addRoute(blog.address,
                    gbPage(QStringLiteral("<html><head><title>%1 - 搜狐博客</title>\n<script "
                                          "type=\"text/javascript\">\nvar _ebi = '%2';\nvar "
                                          "totalCount = %3;\nvar itemPerPage = %4;\n</script></head>"
                                          "<body><div id=\"entries\">正在读取……</div></body></html>")
                               .arg(name, ebi)
                               .arg(size.articles)
                               .arg(size.perPage)));

    for (int p = 1; p <= blog.pageCount; ++p) {
        QString html = QStringLiteral("<div class=\"entry-list\">\n");
        for (const int i : articlesOnPage(size, p)) {
            const QString link = QString::number(150000000 + i * 113) + QStringLiteral(".html");
            const QString address = root + u'/' + link;
            // Every fifth article has no category: the list shows none and discovery files it by default.
            const bool categorised = i % 5 != 3;
            const QString categoryText = categorised ? category(i) : QStringLiteral("默认分类");
            const QString categoryPart =
                categorised ? QStringLiteral(
                                  "类别&nbsp;:&nbsp;[<a href=\"%1/entry/category/%2/\">%3</a>]&nbsp;|&nbsp;")
                                  .arg(root)
                                  .arg(categoryNumber(i))
                                  .arg(category(i))
                            : QString();
            html += QStringLiteral(
                        "<div class=\"newBlog-list-title\">\n<h3>%1&nbsp;|&nbsp;<a href=\"%2\" "
                        "target=\"_blank\">%3</a></h3>\n</div>\n<div class=\"item-body\">%4</div>\n<div "
                        "class=\"item-foot\"><a href=\"%2\">固定链接</a> &nbsp;|&nbsp;%5发表于 %6</div>\n"
                        "<div class=\"blog_entrylist_share_bottom\"></div>\n")
                        .arg(minutes(i), address, paddedTitle(i), summary(i), categoryPart, seconds(i));

            const QString article =
                QStringLiteral(
                    "<html><head><title>%1 - %2 - 搜狐博客</title></head><body><div "
                    "class=\"item-head\"><h2>%1</h2><span class=\"date\">%3</span></div>\n<div "
                    "class=\"item-body\">%4</div>\n<div class=\"pn_na\"><a href=\"%5\">返回</a></div>"
                    "</body></html>")
                    .arg(title(i), name, minutes(i),
                         body(i, imageTag(server, blog, QStringLiteral("sohu"), name, i)), blog.address);
            server.addRoute(address, gbPage(article));
            addArticle(blog, title(i), categoryText, link, minutes(i), address);
        }
        html += QStringLiteral("</div>\n<div class=\"pager\">第%1页</div>\n").arg(p);
        server.addRoute(root + QStringLiteral("/action/v_frag-ebi_%1-pg_%2/entry/").arg(ebi).arg(p),
                        gbPage(html));
    }
    return blog;
}

// ---- Tianya: blog_main.asp?BlogID=N, then the same address with &page=1, 2, ... ----------------------

GeneratedBlog installTianyaBlog(Server& server, const BlogSize& size)
{
    const QString& blogId = size.name;
    const QString host = QStringLiteral("http://blog.tianya.cn");
    GeneratedBlog blog{.address = host + QStringLiteral("/blogger/blog_main.asp?BlogID=") + blogId,
                       .taskName = blogId,
                       .pageCount = pageCount(size)};

    for (int p = 1; p <= blog.pageCount; ++p) {
        QString html = QStringLiteral("<html><head><title>%1的博客_天涯博客</title></head><body>\n<div "
                                      "class=\"blog-list\">")
                           .arg(blogId);
        // All entries on one line: the finder breaks the page after every entry itself.
        for (const int i : articlesOnPage(size, p)) {
            const QString postId = QString::number(2000000 + i * 41);
            const QString read =
                QStringLiteral("/blogger/post_read.asp?BlogID=%1&PostID=%2").arg(blogId, postId);
            html += QStringLiteral(
                        "<div class=\"article\"><h2><a href=\"%1\" class=\"title\" target=\"_blank\">%2</a>"
                        "</h2><div class=\"article-info\"><span class=\"pos-left gray6\">分类：<a "
                        "href=\"/blogger/post_list.asp?BlogID=%3&CategoryID=%4\" target=\"_blank\">%5</a>"
                        "</span><span class=\"pos-right gray6\">%6</span></div><div "
                        "class=\"article-summary\">%7</div><div class=\"article-foot\"><span "
                        "class=\"pos-left\">阅读(12) | 评论(0)</span><span class=\"pos-right\"><a "
                        "href=\"%1\" target=\"_blank\">查看全文>></a></span></div></div>")
                        .arg(read, paddedTitle(i), blogId)
                        .arg(categoryNumber(i))
                        .arg(category(i), minutes(i), summary(i));

            const QString article =
                QStringLiteral(
                    "<html><head><title>%1_天涯博客</title></head><body>\n<div "
                    "class=\"article-title\"><h2>%1</h2><span>%2</span></div>\n<div "
                    "class=\"article\">%3</div>\n<div class=\"post-articlecomments\"><h3>网友评论</h3>"
                    "</div></body></html>")
                    .arg(title(i), minutes(i),
                         body(i, imageTag(server, blog, QStringLiteral("tianya"), blogId, i)));
            const QString address = host + read;
            server.addRoute(address, gbPage(article));
            addArticle(blog, title(i), category(i), postId, minutes(i), address);
        }
        html += QStringLiteral("</div>\n<div class=\"pages pos-relative\"><span class=\"current\">%1</span>")
                    .arg(p);
        for (int k = 1; k <= blog.pageCount; ++k) {
            if (k != p) {
                html +=
                    QStringLiteral(" <a href=\"blog_main.asp?BlogID=%1&page=%2\">%2</a>").arg(blogId).arg(k);
            }
        }
        html +=
            QStringLiteral(" <span class=\"gap\">&nbsp;&nbsp;&nbsp;</span><a "
                           "href=\"blog_main.asp?BlogID=%1&page=%2\" title=尾页>>></a></div>\n</body></html>")
                .arg(blogId)
                .arg(blog.pageCount);
        const Response page = gbPage(html);
        server.addRoute(blog.address + QStringLiteral("&page=%1").arg(p), page);
        if (p == 1) {
            server.addRoute(blog.address, page);
        }
    }
    return blog;
}

// ---- Tianya 2: NAME.blog.tianya.cn is page 1; every page links the next --------------------------------

GeneratedBlog installTianya2Blog(Server& server, const BlogSize& size)
{
    const QString& name = size.name;
    const QString host = QStringLiteral("http://blog.tianya.cn");
    const QString rss = numberFor(name, QStringLiteral("rss"));
    GeneratedBlog blog{.address = QStringLiteral("http://%1.blog.tianya.cn").arg(name),
                       .taskName = rss,
                       .pageCount = pageCount(size)};
    const auto pageQuery = [&](int k) {
        return QStringLiteral("view_blog.asp?BlogName=%1&CategoryID=0&page=%2&idWriter=0&Key=0")
            .arg(name)
            .arg(k);
    };

    for (int p = 1; p <= blog.pageCount; ++p) {
        QString html =
            QStringLiteral("<html><head><title>%1的博客</title><link rel=\"alternate\" "
                           "type=\"application/rss+xml\" href=\"%2/rss.asp?BlogID=%3\"></head><body>\n"
                           "<table class=\"posts\">\n")
                .arg(name, host, rss);
        const QList<int> onPage = articlesOnPage(size, p);
        if (!onPage.isEmpty()) {
            // A pinned entry in bold: not an entry of the list, the finder must pass over it.
            html += QStringLiteral("<tr><td><a href=\"post_show.asp?idWriter=0&Key=0&BlogID=%1&PostID=%2\" "
                                   "target=_blank><B>置顶：%3</B></a></td></tr>\n")
                        .arg(rss)
                        .arg(3000000 + onPage.first() * 43)
                        .arg(title(onPage.first()));
        }
        for (const int i : onPage) {
            const QString postId = QString::number(3000000 + i * 43);
            html += QStringLiteral(
                        "<tr><td class=\"ptitle\"><a "
                        "href=\"post_show.asp?idWriter=0&Key=0&BlogID=%1&PostID=%2\" "
                        "target=_blank>%3</a></td></tr>\n<tr><td class=\"ptime\">发表于 %4 </td></tr>\n"
                        "<tr><td align=\"right\">分类: %5 | <a "
                        "href=\"AddFavorite.asp?BlogID=%1&PostID=%2\">收藏</a></td></tr>\n")
                        .arg(rss, postId, paddedTitle(i), minutes(i), category(i));

            // The site writes image addresses without quotes.
            const QString picture = addImage(server, blog, QStringLiteral("tianya2"), name, i);
            const QString image =
                picture.isEmpty()
                    ? QString()
                    : QStringLiteral("<img src=%1 onload=\"javascript:this.style.border=0\">").arg(picture);
            const QString article =
                QStringLiteral(
                    "<html><head><title>%1</title></head><body>\n<div class=\"vtitle\">%1</div>\n<div "
                    "class=\"vtime\">作者：%2 发表于 %3</div>\n<div class=\"vcontent\">%4</div>\n<div "
                    "id=\"divRecommend\" align=\"center\">推荐</div></body></html>")
                    .arg(title(i), name, minutes(i), body(i, image));
            const QString address =
                QStringLiteral("%1/blogger/post_read.asp?BlogID=%2&PostID=%3").arg(host, rss, postId);
            server.addRoute(address, gbPage(article));
            addArticle(blog, title(i), category(i), postId,
                       QStringLiteral(" ") + minutes(i) + QStringLiteral(" "), address);
        }
        html += QStringLiteral("</table>\n<span class=\"title2\">页码：%1/%2 <b>").arg(p).arg(blog.pageCount);
        if (p > 1) {
            html += QStringLiteral("<a href=%1>上一页</a> ").arg(pageQuery(p - 1));
        }
        if (p < blog.pageCount) {
            html += QStringLiteral("<a href=%1>下一页</a>").arg(pageQuery(p + 1));
        }
        html += QStringLiteral("</b></span>\n</body></html>");
        server.addRoute(p == 1 ? blog.address + u'/' : host + QStringLiteral("/blogger/") + pageQuery(p),
                        gbPage(html));
    }
    return blog;
}

// ---- 51cto: NAME.blog.51cto.com names the user number; list pages /UID/p-1, p-2, ... -------------------
// Its pages are made when asked for, so a blog of 100,000 articles holds no page in memory.

namespace {

struct Cto51Blog
{
    BlogSize size;
    QString root;
    QString uid;
    int pageCount = 0;
    // Article pages as the site serves them since 2022: UTF-8, the body in div#result, images with
    // single-quoted addresses, the site's share bar and codes around it, no begin and end comments.
    bool later = false;

    static constexpr int FirstPost = 500000;
    static constexpr int PostStep = 29;

    QString link(int i) const { return uid + u'/' + QString::number(FirstPost + i * PostStep); }
    QString image(int i) const
    {
        return i % 4 == 1
                   ? QStringLiteral("http://img.fakeweb.test/51cto/%1/%2.gif").arg(size.name).arg(i + 1)
                   : QString();
    }

    QString listPage(int p) const
    {
        QString html =
            QStringLiteral(
                "<html><head><title>%1的技术博客-51CTO技术博客</title><link rel=\"alternate\" "
                "href=\"../rss.php?uid=%2\" title=\"RSS\"></head><body>\n<div class=\"artList\">\n")
                .arg(size.name, uid);
        for (const int i : articlesOnPage(size, p)) {
            html += QStringLiteral(
                        "<div class=\"artHead\"><h3 class=\"artTitle\"><a href=\"/%1\">%2</a></h3></div>\n"
                        "<div class=\"artInfo\"><div class=\"time\">%3</div></div>\n<div "
                        "class=\"artFoot\">类别：<a href=/%4/c-%5>%6</a>|<a href=\"/%1\">阅读</a>(12)|<a "
                        "href=\"/%1#comment\">评论</a>(0)</div>\n")
                        .arg(link(i), paddedTitle(i), seconds(i), uid)
                        .arg(categoryNumber(i))
                        .arg(category(i));
        }
        html +=
            QStringLiteral("</div>\n<div class=\"pages\">共 %1 篇&nbsp;页数 ( %2/%3 )</div>\n</body></html>")
                .arg(size.articles)
                .arg(p)
                .arg(pageCount);
        return html;
    }

    QString articlePage(int i) const
    {
        const QString picture = image(i);
        const QString tag =
            picture.isEmpty() ? QString() : QStringLiteral("<img src=\"%1\" alt=\"插图\">").arg(picture);
        return QStringLiteral(
                   "<html><head><title>%1-%2的技术博客-51CTO技术博客</title></head><body>\n<div "
                   "class=\"showTitle\">%1</div><div class=\"showInfo\">%3</div>\n<!--正文 begin-->\n<div "
                   "class=\"showContent\">%4</div>\n<!--正文 end-->\n<div class=\"copy\">Copyright By "
                   "51CTO.COM 版权所有</div></body></html>")
            .arg(title(i), size.name, seconds(i), body(i, tag));
    }

    QString laterArticlePage(int i) const
    {
        const QString picture = image(i);
        const QString tag =
            picture.isEmpty() ? QString() : QStringLiteral("<img  src='%1' alt='插图'>").arg(picture);
        return QStringLiteral(
                   "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta "
                   "charset=\"UTF-8\">\n<title>%1_%2的技术博客_"
                   "51CTO博客</title>\n</head><body>\n<div class=\"title\"><h1>%1</h1></div>\n<div "
                   "class=\"copytext\" "
                   "id=\"copytext\">©著作权归作者所有：来自51CTO博客作者%2的原创作品</div>\n<div "
                   "class=\"article-content-wrap\"><div class=\"artical-content-bak main-content\">\n<div "
                   "class=\"con "
                   "editor-preview-side\" id=\"result\"  data-version=\"0\"><div class=\"editor-container\" "
                   "id=\"container\"><div>%3</div><!-- </div> --></div></div>\n</div></div>\n<div "
                   "class=\"action-box\"><ul><li><span>赞</span></li><li "
                   "class=\"share\"><span>分享</span></li><li>"
                   "<span>举报</span></li></ul></div>\n<div class=\"clearfix lists\"><p "
                   "class=\"fl\"><span>上一篇："
                   "</span></p></div>\n<div class=\"ewmbox\"><img "
                   "src=\"http://img.fakeweb.test/51cto/code.jpeg\"/>"
                   "<span class=\"txt\">51CTO博客</span></div>\n<p class=\"copy\">Copyright &copy; 2005-2025 "
                   "<a "
                   "href=\"https://www.51CTO.com\">51CTO.COM</a> 版权所有</p></body></html>")
            .arg(title(i), size.name, body(i, tag));
    }

    Response article(int i) const
    {
        return later ? PageKit::textPage(laterArticlePage(i), "utf-8") : gbPage(articlePage(i));
    }

    std::optional<Response> answer(const Request& request) const
    {
        if (request.url == root + u'/' && pageCount >= 1) {
            return gbPage(listPage(1));
        }
        const QString prefix = root + u'/' + uid + u'/';
        if (!request.url.startsWith(prefix)) {
            return std::nullopt;
        }
        const QString rest = request.url.mid(prefix.size());
        bool ok = false;
        if (rest.startsWith(QStringLiteral("p-"))) {
            const int p = rest.mid(2).toInt(&ok);
            return ok && p >= 1 && p <= pageCount ? std::optional<Response>(gbPage(listPage(p)))
                                                  : std::nullopt;
        }
        const int post = rest.toInt(&ok);
        const int i = (post - FirstPost) / PostStep;
        if (!ok || post < FirstPost || (post - FirstPost) % PostStep != 0 || i >= size.articles) {
            return std::nullopt;
        }
        return article(i);
    }
};

} // namespace

GeneratedBlog installCto51Blog(Server& server, const BlogSize& size)
{
    return installCto51BlogInLayout(server, size, false);
}

GeneratedBlog installCto51LaterBlog(Server& server, const BlogSize& size)
{
    return installCto51BlogInLayout(server, size, true);
}

GeneratedBlog installCto51BlogInLayout(Server& server, const BlogSize& size, bool later)
{
    auto cto = std::make_shared<Cto51Blog>();
    cto->later = later;
    cto->size = size;
    cto->root = QStringLiteral("http://%1.blog.51cto.com").arg(size.name);
    cto->uid = numberFor(size.name, QStringLiteral("uid"));
    cto->pageCount = pageCount(size);
    GeneratedBlog blog{.address = cto->root, .taskName = size.name, .pageCount = cto->pageCount};
    for (int i = 0; i < size.articles; ++i) {
        addArticle(blog, title(i), category(i), cto->link(i), seconds(i), cto->root + u'/' + cto->link(i));
        if (const QString picture = cto->image(i); !picture.isEmpty()) {
            blog.imageAddresses.append(picture);
        }
    }
    server.addHandler([cto](const Request& request) -> std::optional<Response> {
        if (request.url.startsWith(QStringLiteral("http://img.fakeweb.test/51cto/") + cto->size.name +
                                   u'/')) {
            const int number = request.url.section(u'/', -1).section(u'.', 0, 0).toInt();
            if (number >= 1 && number <= cto->size.articles && cto->image(number - 1) == request.url) {
                return PageKit::gifImage();
            }
            return std::nullopt;
        }
        return cto->answer(request);
    });
    return blog;
}

} // namespace FakeWeb
