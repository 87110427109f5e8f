#pragma once

#include "pagekit.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace FakeWeb {

class Server;

// A 39 health blog (GB2312): list pages of 25 articles per category and for all articles, the menu with
// the count of every category, and the article pages.
class Health39Blog
{
public:
    // Every (categories + 1)-th article belongs to no category; one more category stays empty.
    explicit Health39Blog(QString account, int articleCount = 60, int categoryCount = 3);

    // The address the new-task dialog builds (the first page of all articles).
    QString address() const;
    // The articles in the order discovery lists them: category by category, then the uncategorised.
    QList<PageKit::ListedArticle> listedArticles() const;
    void install(Server& server) const;

private:
    struct Article
    {
        QString id;
        QString title;
        int category = -1; // -1: none
        QString date;
    };

    QString listPage(int category, int page) const; // category -1: all articles
    QString articlePage(const Article& article, int index) const;
    QList<int> articlesOf(int category) const; // indexes, in list order
    QString imageAddress(const Article& article) const;

    QString m_account;
    QStringList m_categories;
    QList<Article> m_articles; // newest first, as the lists show them
};

} // namespace FakeWeb
