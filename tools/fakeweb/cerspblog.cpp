#include "cerspblog.h"

#include "listpagesamples.h"
#include "pagekit.h"
#include "server.h"

namespace FakeWeb {

using namespace ListPageSamples;

GeneratedBlog installCerspBlog(Server& server, const BlogSize& size)
{
    constexpr int PageSize = 30;
    const QString& uid = size.name;
    const QString host = QStringLiteral("http://blog.cersp.com");
    GeneratedBlog blog{.address = host + QStringLiteral("/index/%1.jspx").arg(uid),
                       .taskName = uid,
                       .pageCount = size.articles > 0 ? (size.articles + PageSize - 1) / PageSize : 0};

    server.addRoute(
        blog.address,
        gbPage(QStringLiteral(
                   "<html><head><title>%1的教育博客</title></head><body>\n<div id=\"articleList\">正在载入"
                   "……</div>\n<script type=\"text/javascript\">\nloadArticleList('/paginator/asyn/"
                   "paginatorBlogIndexArticleList.jspx?pageNo=1&resultCount=%2&pageSize=%3&blogUserId=%1');\n"
                   "</script>\n</body></html>")
                   .arg(uid)
                   .arg(size.articles)
                   .arg(PageSize)));

    for (int p = 1; p <= blog.pageCount; ++p) {
        QString html = QStringLiteral("<ul class=\"articleList\">\n");
        for (const int i : articlesOnPage(size.articles, PageSize, p)) {
            const QString link = QString::number(880000 + i * 17);
            html += QStringLiteral("<li><a href=\"/index/%1.jspx?articleId=%2\">%3</a>\n"
                                   "<span class=\"property\">%4, 阅读(12), 评论(0)</span></li>\n")
                        .arg(uid, link, padded(title(i), i), seconds(i));

            const QString article =
                QStringLiteral(
                    "<html><head><title>%1</title></head><body>\n<h2>%1</h2><span>%2</span>\n"
                    "<!-- 内容. -->\n<div class=\"content\">%3</div>\n"
                    "<!-- 该文章的上一篇和下一篇文章列表 -->\n<div>请稍候，评论提交中</div></body></html>")
                    .arg(title(i), seconds(i),
                         body(i, imageTag(server, blog, QStringLiteral("cersp"), uid, i)));
            const QString address =
                host + QStringLiteral("/index/article/view/%1.jspx?blogUserId=%2").arg(link, uid);
            server.addRoute(address, gbPage(article));
            addArticle(blog, title(i), QStringLiteral("默认分类"), link, seconds(i), address);
        }
        html += QStringLiteral("</ul>\n<div class=\"pager\">第%1页</div>\n").arg(p);
        server.addRoute(host + QStringLiteral("/paginator/asyn/paginatorBlogIndexArticleList.jspx?pageNo=%1"
                                              "&pageSize=%2&blogUserId=%3")
                                   .arg(p)
                                   .arg(PageSize)
                                   .arg(uid),
                        gbPage(html));
    }
    return blog;
}

GeneratedBlog installCerspEblogBlog(Server& server, const BlogSize& size)
{
    const QString& name = size.name;
    const QString host = QStringLiteral("http://eblog.cersp.com");
    const QString uid = numberFor(name, QStringLiteral("eblog"));
    const QString folder = QStringLiteral("userlog%1/%2").arg(uid.toInt() % 30 + 1).arg(uid);
    GeneratedBlog blog{.address = host + u'/' + folder + QStringLiteral("/index.shtml"),
                       .taskName = name,
                       .pageCount = pageCount(size)};

    for (int p = 1; p <= blog.pageCount; ++p) {
        QString list = QStringLiteral("<div class=\"loglist\">\\n");
        for (const int i : articlesOnPage(size, p)) {
            const QString path =
                folder + QStringLiteral("/archives/%1/%2.shtml").arg(2012 - i / 20).arg(40000 + i * 7);
            // Seconds stay at 00, as the site shows them.
            const QString date =
                minutes(i).replace(QStringLiteral("-0"), QStringLiteral("-")) + QStringLiteral(":00");
            const bool categorised = i % 3 != 2;
            if (categorised) {
                list += QStringLiteral(
                            "<div class=\"title\"><a href=\"/%1/cmd.asp?uid=%2&do=blogs&id=%3\">[%4]</a>"
                            "<a href=\"%5\">%6</a></div>\\n")
                            .arg(folder, uid)
                            .arg(categoryNumber(i))
                            .arg(category(i), path, markedTitle(i));
            } else {
                list += QStringLiteral("<div class=\"title\"><a href=\"/%1\">%2</a></div>\\n")
                            .arg(path, markedTitle(i));
            }
            list += QStringLiteral("<div class=\"info\">发表于 %1</div>\\n<div class=\"summary\">%2</div>\\n"
                                   "<div class=\"more\"><a href=\"/%3\">阅读全文</a></div>\\n")
                        .arg(date, summary(i), path);

            const QString article =
                QStringLiteral(
                    "<html><head><title>%1</title></head><body>\n<table>\n<TR><TD><STRONG>%1</STRONG></TD>"
                    "</TR>\n<TR><TD class=\"content\">%2</TD></TR>\n<tr><td><div align=\"right\"><span "
                    "class=\"textbox-urls\">发表于 %3</span></div></td></tr>\n</table>\n"
                    "<ul>游客无须输入密码)</ul></body></html>")
                    .arg(title(i), body(i, imageTag(server, blog, QStringLiteral("eblog"), name, i)), date);
            const QString address = host + u'/' + path;
            server.addRoute(address, gbPage(article));
            addArticle(blog, markedTitleAsListed(i), categorised ? category(i) : QStringLiteral("未分类"),
                       u'/' + path, date, address);
        }
        list += QStringLiteral("</div>");
        const QString html =
            QStringLiteral("<html><head><title>%1的博客</title></head><body>\n<div id=\"main\">\n"
                           "<script type=\"text/javascript\">document.write('%2');</script>\n</div>\n"
                           "<div class=\"pager\">共%3篇&nbsp;&nbsp;<strong>&nbsp;页次：%4/%5</strong>页 "
                           "<a href=\"cmd.asp?uid=%6&do=index&page=%7\">下一页</a></div>\n</body></html>")
                .arg(name, list)
                .arg(size.articles)
                .arg(p)
                .arg(blog.pageCount)
                .arg(uid)
                .arg(std::min(p + 1, blog.pageCount));
        server.addRoute(p == 1 ? blog.address
                               : host + QStringLiteral("/cmd.asp?uid=%1&do=index&page=%2").arg(uid).arg(p),
                        gbPage(html));
    }
    return blog;
}

} // namespace FakeWeb
