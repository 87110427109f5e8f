#include "chinaunixblog.h"

#include "listpagesamples.h"
#include "pagekit.h"
#include "server.h"

namespace FakeWeb {

using namespace ListPageSamples;

GeneratedBlog installChinaUnixBlog(Server& server, const BlogSize& size)
{
    const QString& uid = size.name;
    const QString host = QStringLiteral("http://blog.chinaunix.net");
    const QString listAddress = host + QStringLiteral("/space.php?uid=%1&page=%2").arg(uid);
    GeneratedBlog blog{.address = listAddress.arg(1), .taskName = uid, .pageCount = pageCount(size)};

    for (int p = 1; p <= blog.pageCount; ++p) {
        QString html = QStringLiteral("<html><head><title>%1的ChinaUnix博客</title></head><body>\n"
                                      "<div class=\"Blog_list\">\n")
                           .arg(uid);
        for (const int i : articlesOnPage(size, p)) {
            const QString link = QStringLiteral("uid-%1-id-%2.html").arg(uid).arg(3000000 + i * 53);
            html += QStringLiteral("<div class=\"tit2\"><a href=\"/%1\">%2</a></div>\n"
                                   "<div class=\"data\" style=\"width:132px;height:20px;\">(%3)</div>\n"
                                   "<div class=\"Blog_con\">%4</div>\n")
                        .arg(link, padded(title(i), i), minutes(i), summary(i));

            const QString article =
                QStringLiteral(
                    "<html><head><title>%1-%2的ChinaUnix博客</title></head><body>\n"
                    "<div class=\"tit7\"><h1>%1</h1></div>\n<div class=\"Blog_wz1\">%3</div>\n"
                    "<div class=\"cont5\">分享到</div>\n"
                    "<div class=\"foot\">感谢所有关心和支持过ChinaUnix的朋友们<br></div></body></html>")
                    .arg(title(i), uid, body(i, imageTag(server, blog, QStringLiteral("chinaunix"), uid, i)));
            const QString address = host + u'/' + link;
            server.addRoute(address, gbPage(article));
            addArticle(blog, title(i), QStringLiteral("默认分类"), link, minutes(i), address);
        }
        html += QStringLiteral("</div>\n<div class='page'><div>共&nbsp;%1&nbsp;页</div><span>")
                    .arg(blog.pageCount);
        for (int k = 1; k <= blog.pageCount; ++k) {
            html += k == p ? QStringLiteral("<a class=\"here\">%1</a>").arg(k)
                           : QStringLiteral("<a href=\"space.php?uid=%1&page=%2\">%2</a>").arg(uid).arg(k);
        }
        html += QStringLiteral("</span></div>\n</body></html>");
        server.addRoute(listAddress.arg(p), gbPage(html));
    }
    return blog;
}

} // namespace FakeWeb
