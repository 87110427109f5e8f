#pragma once

#include "pagekit.h"

#include <QList>
#include <QString>

// Generated blogs of the platforms whose articles are listed on numbered list pages: Baidu space, Hexun,
// Sohu, Tianya, Tianya's second blog system and 51cto. Each generator serves the blog's first page, its
// list pages and its article pages (GB2312 pages, encoded as GB18030) plus a small image in every
// fourth article, at the addresses the real sites use.
namespace FakeWeb {

class Server;

struct GeneratedBlog
{
    QString address;                        // what the new-task dialog makes of the name
    QString taskName;                       // the task name once the articles have been found
    int pageCount = 0;                      // list pages
    QList<PageKit::ListedArticle> articles; // in list order, newest first
    QStringList articleAddresses;           // the article pages, in the same order
    QStringList imageAddresses;
};

// "NAME[:ARTICLES[:PER_PAGE]]", e.g. "lanxin:25:10".
struct BlogSize
{
    QString name = QStringLiteral("demo");
    int articles = 25;
    int perPage = 10;
};
BlogSize parseBlogSize(const QString& arg);

// NAME is the account name; for Tianya it is the blog number.
GeneratedBlog installBaiduBlog(Server& server, const BlogSize& size);
GeneratedBlog installHexunBlog(Server& server, const BlogSize& size);
GeneratedBlog installSohuBlog(Server& server, const BlogSize& size);
GeneratedBlog installTianyaBlog(Server& server, const BlogSize& size);
GeneratedBlog installTianya2Blog(Server& server, const BlogSize& size);
GeneratedBlog installCto51Blog(Server& server, const BlogSize& size);
// The same blog with its article pages in the site's later layout (later: true).
GeneratedBlog installCto51LaterBlog(Server& server, const BlogSize& size);
GeneratedBlog installCto51BlogInLayout(Server& server, const BlogSize& size, bool later);

} // namespace FakeWeb
