#include "ifengblog.h"

#include "listpagesamples.h"
#include "pagekit.h"
#include "server.h"

namespace FakeWeb {

using namespace ListPageSamples;

namespace {

const QString BlogHost = QStringLiteral("http://blog.ifeng.com");
const QString StaticHost = QStringLiteral("http://blogfile.ifeng.com");

Response script(const QString& text)
{
    Response r = utf8Page(text);
    r.headers = {{"Content-Type", "application/x-javascript; charset=utf-8"}};
    return r;
}

// Markup as the site writes it into a script string: quotes and slashes escaped, line breaks and tabs
// as escapes, every character outside ASCII as "\uXXXX".
QString escapeMarkup(const QString& markup)
{
    QString text = markup;
    text.replace(u'"', QStringLiteral("\\\""));
    text.replace(u'/', QStringLiteral("\\/"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
    text.replace(u'\n', QStringLiteral("\\n"));
    text.replace(u'\t', QStringLiteral("\\t"));
    return PageKit::escapeUnicode(text);
}

// Articles numbered so that the last six digits differ: the download address is built from them.
QString articleNumber(const QString& blogNumber, int i)
{
    return QString::number(blogNumber.toLongLong() % 900 + 100) + QString::number(100000 + i * 37);
}

QString pager(const QString& blogNumber, int current, int last)
{
    QString html = QStringLiteral("<div class=\"page\"><span class=\"current\">%1</span>").arg(current);
    for (int k = 1; k <= last; ++k) {
        if (k != current) {
            html += QStringLiteral("<a href=\"%1/%2-%3.html\">%3</a>").arg(BlogHost, blogNumber).arg(k);
        }
    }
    html += QStringLiteral("<a href=\"%1/%2-%3.html\">尾页</a></div>").arg(BlogHost, blogNumber).arg(last);
    return html;
}

} // namespace

GeneratedBlog installIfengBlog(Server& server, const BlogSize& size)
{
    const QString& name = size.name;
    const QString blogNumber = numberFor(name, QStringLiteral("ifeng"), 7);
    GeneratedBlog blog{.address = BlogHost + u'/' + blogNumber + QStringLiteral(".html"),
                       .taskName = name,
                       .pageCount = pageCount(size)};

    const QString head =
        QStringLiteral(
            "<html><head><meta charset=\"utf-8\"><title>%1的博客_凤凰博报</title>\n"
            "<script type=\"text/javascript\" src=\"http://y0.ifengimg.com/blog/common.js\"></script>\n"
            "</head><body>\n<div class=\"blog_head\"><a href=\"%2/guestbooks/%3.html\">给我留言</a></div>\n")
            .arg(name, BlogHost, blogNumber);

    for (int p = 1; p <= blog.pageCount; ++p) {
        QString list;
        for (const int i : articlesOnPage(size, p)) {
            const QString number = articleNumber(blogNumber, i);
            const QString categoryText = i % 6 == 5 ? QString() : category(i);
            list += QStringLiteral("<div class=\"blog_main_list\">\n"
                                   "\t<h3><a href=\"%1/article/%2.html\" title=\"%3\">%3</a></h3>\n"
                                   "\t<div class=\"blog_main_time\">\n<p>%4</p></div>\n"
                                   "\t<div class=\"blog_main_tag\">分类：<a href=\"%1/%5-cat%6.html\" "
                                   "target=\"_blank\">%7</a> 阅读(12)</div>\n"
                                   "\t<div class=\"blog_main_text\">%8</div>\n</div>\n")
                        .arg(BlogHost, number, markedTitle(i), minutes(i), blogNumber)
                        .arg(categoryNumber(i))
                        .arg(categoryText, summary(i));

            // The article script at the download address: the right three and six digits name folders.
            const QString content =
                QStringLiteral("<div class=\"blog_text\">%1</div>")
                    .arg(body(i, imageTag(server, blog, QStringLiteral("ifeng"), name, i)));
            const QString address = StaticHost + QStringLiteral("/article/") + number.right(3) + u'/' +
                                    number.right(6) + QStringLiteral("/blog_") + number +
                                    QStringLiteral(".js");
            server.addRoute(
                address, script(QStringLiteral("var blog_content = {\"message\":\"") + escapeMarkup(content) +
                                QStringLiteral("\"};\ndocument.getElementById(\"blog_content\").innerHTML = "
                                               "blog_content.message;\n")));
            addArticle(blog, markedTitleAsListed(i),
                       categoryText.isEmpty() ? QStringLiteral("我的博文") : categoryText, number, minutes(i),
                       address);
        }
        const QString scriptAddress =
            StaticHost + QStringLiteral("/blog/list/%1/%2.js").arg(blogNumber).arg(p);
        server.addRoute(scriptAddress,
                        script(QStringLiteral("var blog_list_html = \"") + escapeMarkup(list) +
                               QStringLiteral("\";\ndocument.getElementById(\"blog_list\").innerHTML = "
                                              "blog_list_html;\n")));
        // Odd pages write a blank before the tag's end, as the site does on some pages.
        const QString listPage =
            head +
            QStringLiteral("<div id=\"blog_list\"></div>\n<script type=\"text/javascript\" src=\"%1\"%2>"
                           "</script>\n%3\n</body></html>")
                .arg(scriptAddress, p % 2 == 1 ? QStringLiteral(" ") : QString(),
                     pager(blogNumber, p, blog.pageCount));
        const Response page = utf8Page(listPage);
        server.addRoute(BlogHost + QStringLiteral("/%1-%2.html").arg(blogNumber).arg(p), page);
        if (p == 1) {
            server.addRoute(blog.address, page);
        }
    }
    return blog;
}

} // namespace FakeWeb
