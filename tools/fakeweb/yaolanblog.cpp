#include "yaolanblog.h"

#include "listpagesamples.h"
#include "pagekit.h"
#include "server.h"

namespace FakeWeb {

using namespace ListPageSamples;

GeneratedBlog installYaolanBlog(Server& server, const BlogSize& size)
{
    const QString& name = size.name;
    const QString space = QStringLiteral("http://space.yaolan.com/") + name;
    GeneratedBlog blog{
        .address = space + QStringLiteral("/blog/list"), .taskName = name, .pageCount = pageCount(size)};
    const QString number = numberFor(name, QStringLiteral("yaolan"));

    for (int p = 1; p <= blog.pageCount; ++p) {
        QString html =
            QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1的日记_摇篮空间</title></head>"
                           "<body>\n<table class=\"diary\">\n")
                .arg(name);
        int slot = 0;
        for (const int i : articlesOnPage(size, p)) {
            const QString link = QString::number(number.toInt() * 10 + i * 13) + QStringLiteral(".html");
            const QString address = space + QStringLiteral("/blog/") + link;
            html +=
                QStringLiteral("<tr><td class=\"title\"><a id=\"RepeaterDiary_ctl%1_linkTitle\" title=\"%2\" "
                               "href=\"%3\">%4</a></td></tr>\n"
                               "<tr><td>%5</td></tr>\n"
                               "<tr><td class=\"cat\">分类：<a href=%6/blog/list/%7_1.html>%8</a></td></tr>\n"
                               "<tr><td class=\"summary\">%9</td></tr>\n")
                    .arg(slot, 2, 10, QLatin1Char('0'))
                    .arg(padded(title(i), i), address, title(i), minutes(i), space)
                    .arg(categoryNumber(i))
                    .arg(category(i), summary(i));
            ++slot;

            const QString article =
                QStringLiteral(
                    "<html><head><meta charset=\"utf-8\"><title>%1_%2的日记_摇篮空间</title></head>"
                    "<body>\n<h2>%1</h2><span>%3</span>\n<div id=\"divContent\">%4</div>\n"
                    "<div class=\"Related_con\" id=\"relatediary\">相关日记</div>\n"
                    "<div class=\"foot\">北京世纪摇篮网络技术有限公司版权所有</div></body></html>")
                    .arg(title(i), name, minutes(i),
                         body(i, imageTag(server, blog, QStringLiteral("yaolan"), name, i)));
            server.addRoute(address, utf8Page(article));
            addArticle(blog, title(i), category(i), link, minutes(i), address);
        }
        html += QStringLiteral(
                    "</table>\n<table class=\"pager\"><tr><td valign=\"bottom\" align=\"left\" "
                    "nowrap=\"nowrap\"><table><tr><td style=\"width:100px;\"><p>共%1页</p></td><td>"
                    "<a href=\"%2/blog/list/0_1.html\">首页</a> <a href=\"%2/blog/list/0_%1.html\">末页</a>"
                    "</td></tr></table></td></tr></table>\n</body></html>")
                    .arg(blog.pageCount)
                    .arg(space);
        const Response page = utf8Page(html);
        server.addRoute(space + QStringLiteral("/blog/list/0_%1.html").arg(p), page);
        if (p == 1) {
            server.addRoute(blog.address, page);
        }
    }
    return blog;
}

} // namespace FakeWeb
