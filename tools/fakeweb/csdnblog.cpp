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

GeneratedBlog installCsdnCategoryBlog(Server& server, const BlogSize& size)
{
    const QString& name = size.name;
    const QString root = QStringLiteral("http://blog.csdn.net/") + name;
    const QString base = root + QStringLiteral("/category_4321");
    const QString categoryName = QStringLiteral("爬虫笔记");
    GeneratedBlog blog{
        .address = base + QStringLiteral(".html"), .taskName = name, .pageCount = pageCount(size)};

    for (int p = 1; p <= blog.pageCount; ++p) {
        // The sidebar's popular articles link article pages too, outside the list.
        QString html =
            QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
                           "<title>%1_%2的博客-CSDN博客</title>\n</head>\n<body>\n"
                           "<div id=\"asideHotArticle\"><h3>热门文章</h3><ul>\n"
                           "<li><a href=\"https://blog.csdn.net/%2/article/details/99\" target=\"_blank\">"
                           "热门的一篇</a></li>\n</ul></div>\n"
                           "<div class=\"column_box\"><h3 class=\"column_title oneline\">%1</h3></div>\n"
                           "<ul class=\"column_article_list\">\n")
                .arg(categoryName, name);
        for (const int i : articlesOnPage(size, p)) {
            const QString link = QString::number(113000000 + i * 211);
            const QString address = root + QStringLiteral("/article/details/") + link;
            html += QStringLiteral(
                        "      <li>\n          <a href=\"https://blog.csdn.net/%1/article/details/%2\" "
                        "target=\"_blank\" rel=\"noopener\">\n"
                        "              <div class=\"column_article_title\">\n"
                        "                  <h2 class=\"title\">\n"
                        "                  <span class=\"article-type type-1\">原创</span>\n"
                        "                  %3\n                      <!--####试读--></h2>\n"
                        "              </div>\n"
                        "              <div class=\"column_article_desc\">%4</div>\n"
                        "              <div class=\"column_article_data\">\n"
                        "                  <span>\n                  %5\n                  </span>\n"
                        "                  <span><img src=\"https://csdnimg.cn/readCountWhite.png\" "
                        "alt=\"\">\n 12\n</span>\n"
                        "              </div>\n          </a>\n      </li>\n")
                        .arg(name, link, title(i), summary(i), seconds(i));

            const QString article =
                QStringLiteral(
                    "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head><meta charset=\"utf-8\">"
                    "<title>%1_%2的博客-CSDN博客</title></head>\n<body>\n"
                    "<div id=\"csdn-toolbar\"><a href=\"https://www.csdn.net/\">CSDN首页</a></div>\n"
                    "<div class=\"article-header-box\"><h1 class=\"title-article\" id=\"articleContentId\">"
                    "%1</h1>\n<div class=\"article-info-box\"><span class=\"time\">%3</span>"
                    "<a class=\"tag-link\" href=\"https://blog.csdn.net/%2/category_4321.html\">%4</a>"
                    "</div></div>\n<article class=\"baidu_pl\">\n<div id=\"article_content\" "
                    "class=\"article_content clearfix\">\n"
                    "<div id=\"content_views\" class=\"htmledit_views\">\n%5\n"
                    "<div class=\"code-box\"><pre><code>print(1)</code>"
                    "<div class=\"hljs-button signin\" data-title=\"登录后复制\"></div></pre></div>\n"
                    "<p>正文最后一段。</p>\n</div>\n</div>\n</article>\n"
                    "<div class=\"recommend-box\"><div class=\"recommend-item-box\">"
                    "<a href=\"https://blog.csdn.net/%2/article/details/99\">热门的一篇</a></div></div>\n"
                    "<div id=\"csdn-shop-window\"><img src=\"https://csdnimg.cn/qrcode.png\" alt=\"二维码\">"
                    "</div>\n</body>\n</html>\n")
                    .arg(title(i), name, seconds(i), categoryName,
                         body(i, imageTag(server, blog, QStringLiteral("csdn"), name, i)));
            server.addRoute(address, utf8Page(article));
            addArticle(blog, title(i), categoryName, link, seconds(i), address);
        }
        html +=
            QStringLiteral("</ul>\n<script type=\"text/javascript\">\n    var currentPage = %1;\n"
                           "    var baseUrl = 'https://blog.csdn.net/%2/category_4321'\n"
                           "    var pageSize = %3;\n    var listTotal = %4;\n</script>\n</body>\n</html>\n")
                .arg(p)
                .arg(name)
                .arg(size.perPage)
                .arg(size.articles);
        server.addRoute(p == 1 ? blog.address : base + QStringLiteral("_%1.html").arg(p), utf8Page(html));
    }
    return blog;
}

} // namespace FakeWeb
