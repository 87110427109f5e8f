#pragma once

#include "response.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace FakeWeb {
class Server;
}

// Small pieces shared by the generated blogs of the fake web.
namespace FakeWeb::PageKit {

// One article as the program's discovery lists it: title, category, link and date.
struct ListedArticle
{
    QString title;
    QString category;
    QString link;
    QString date;

    bool operator==(const ListedArticle&) const = default;
};

// A generator's argument "NAME[:ARTICLES[:CATEGORIES]]"; missing or unreadable numbers take the defaults.
struct BlogSize
{
    QString name;
    int articles = 0;
    int categories = 0;
};
BlogSize parseBlogSize(const QString& arg, int defaultArticles, int defaultCategories);

// The installer of a generator option: builds Blog(name, articles, categories) from the argument and
// installs it.
template <class Blog>
std::function<void(Server&, const QString&)> installBlog(int defaultArticles, int defaultCategories)
{
    return [=](Server& server, const QString& arg) {
        const BlogSize size = parseBlogSize(arg, defaultArticles, defaultCategories);
        Blog(size.name, size.articles, size.categories).install(server);
    };
}

// A text page in the given character set: "gb2312" pages are encoded as GB18030, its superset.
Response textPage(const QString& text, const QByteArray& charset);
// A tiny GIF image.
Response gifImage();

// The name of category c (0-based): names[c] while there are names, then "分类<c + 1>".
QString categoryName(const QStringList& names, int c);

// How many pages of perPage entries hold `entries`; an empty list still has its one page.
int pageCount(int entries, int perPage);

// The publishing time of the index-th article ("2012-03-01 10:20"), older for higher indexes.
QString publishTime(int index);

// A few paragraphs of article text; with an image address, an image tag in the middle.
QString articleText(const QString& title, int index, const QString& imageTag = QString());

// Every character outside ASCII written as a script escape "\uXXXX" (upper-case digits).
QString escapeUnicode(const QString& text);

// The value of a query item of a request ("" when missing), percent-decoding included.
QString queryValue(const QString& query, const QString& key);

} // namespace FakeWeb::PageKit
