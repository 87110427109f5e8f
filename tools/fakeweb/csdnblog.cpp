#include "csdnblog.h"

#include "listpagesamples.h"
#include "pagekit.h"
#include "server.h"

namespace FakeWeb {

using namespace ListPageSamples;

GeneratedBlog installCsdnBlog(Server& server, const BlogSize& size)
{
    const QString& name = size.name;
    const QString root = QStringLiteral("http://blog.csdn.net/") + name;
    GeneratedBlog blog{
        .address = root + QStringLiteral("/article/list"), .taskName = name, .pageCount = pageCount(size)};

    for (int p = 1; p <= blog.pageCount; ++p) {
        QString html =
            QStringLiteral(
                "<html>\r\n<head><meta charset=\"utf-8\"><title>%1的专栏 - 博客频道 - CSDN.NET</title>"
                "</head>\r\n<body>\r\n<div id=\"article_list\" class=\"list\">\r\n")
                .arg(name);
        for (const int i : articlesOnPage(size, p)) {
            const QString link = QString::number(7600000 + i * 211);
            html += QStringLiteral(
                        "<div class=\"list_item article_item\">\r\n"
                        "<div class=\"article_title\">\r\n<h1>\r\n"
                        "<span class=\"link_title\"><a href=\"/%1/article/details/%2\">\r\n"
                        "        %3\r\n        </a></span>\r\n</h1>\r\n</div>\r\n"
                        "<div class=\"article_description\">%4</div>\r\n"
                        "<div class=\"article_manage\">\r\n"
                        "<span class=\"link_postdate\">%5</span>\r\n"
                        "<span class=\"link_view\" title=\"阅读次数\"><a href=\"/%1/article/details/%2\" "
                        "title=\"阅读次数\">阅读</a>(12)</span>\r\n</div>\r\n</div>\r\n")
                        .arg(name, link, padded(title(i), i), summary(i), minutes(i));

            const QString article =
                QStringLiteral("<html>\r\n<head><meta charset=\"utf-8\"><title>%1 - %2的专栏 - "
                               "CSDN.NET</title></head>\r\n"
                               "<body>\r\n<div class=\"article_title\"><h1>%1</h1></div>\r\n<div "
                               "class=\"article_manage\">"
                               "<span class=\"link_postdate\">%3</span></div>\r\n<div id=\"article_content\" "
                               "class=\"article_content\">%4</div>\r\n<div class=\"share_buttons\" "
                               "id=\"sharePanel\"></div>\r\n"
                               "<div class=\"foot\">不代表CSDN网站的观点或立场<a "
                               "name=\"reply\"></a></div>\r\n</body>\r\n</html>")
                    .arg(title(i), name, minutes(i),
                         body(i, imageTag(server, blog, QStringLiteral("csdn"), name, i)));
            const QString address = root + QStringLiteral("/article/details/") + link;
            server.addRoute(address, utf8Page(article));
            addArticle(blog, title(i), QStringLiteral("默认分类"), link, minutes(i), address);
        }
        html += QStringLiteral("</div>\r\n");
        if (blog.pageCount > 1) {
            html += QStringLiteral("<!--显示分页-->\r\n<div id=\"papelist\" class=\"pagelist\">\r\n"
                                   "<span> %1条数据  共%2页</span>")
                        .arg(size.articles)
                        .arg(blog.pageCount);
            for (int k = 1; k <= blog.pageCount; ++k) {
                html += k == p ? QStringLiteral("<strong>%1</strong> ").arg(k)
                               : QStringLiteral("<a href=\"/%1/article/list/%2\">%2</a> ").arg(name).arg(k);
            }
            html += QStringLiteral("<a href=\"/%1/article/list/%2\">尾页</a>\r\n</div>\r\n")
                        .arg(name)
                        .arg(blog.pageCount);
        }
        html += QStringLiteral("</body>\r\n</html>\r\n");
        const Response page = utf8Page(html);
        server.addRoute(root + QStringLiteral("/article/list/%1").arg(p), page);
        if (p == 1) {
            server.addRoute(blog.address, page);
        }
    }
    return blog;
}

} // namespace FakeWeb
