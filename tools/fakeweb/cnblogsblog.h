#pragma once

#include "pagekit.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace FakeWeb {

class Server;

// A cnblogs blog (UTF-8): the home page with its sidebar of post categories and one category of
// articles, the category pages, the pages of all posts ("MyPosts.html", 20 a page) and the article pages.
class CnblogsBlog
{
public:
    // The first category is called "C#". Every (categories + 1)-th post belongs to no category; every
    // seventh post belongs to the first category as well as its own.
    explicit CnblogsBlog(QString account, int postCount = 45, int categoryCount = 3, int articleCount = 3);

    // The blog as the site serves it since about 2019: posts at /p/NUMBER.html, the home pages
    // "default.html?page=N" (10 posts a page) in place of the pages of all posts, the sidebar's
    // categories only in the answer of /ajax/sidecolumn.aspx, the category pages with their posts'
    // new addresses (20 a page, "?page=N"), the article body in div#cnblogs_post_body between the site's
    // title, signature, recommendations and the next and previous posts.
    static CnblogsBlog laterLayout(QString account, int postCount = 45, int categoryCount = 3);

    // The address the new-task dialog builds.
    QString address() const;
    // Everything in the order discovery lists it: category by category, then the uncategorised posts.
    QList<PageKit::ListedArticle> listedArticles() const;
    void install(Server& server) const;

private:
    struct Entry
    {
        QString title;
        QString link; // "2012/06/30/2375001.html" for a post, "2376001.html" for an article
        QString date;
        QList<int> categories; // posts only
    };

    QString entryAddress(const Entry& entry, bool post) const;
    QString homePage() const;
    QString categoryPage(int category) const; // category == m_postCategories.size(): the article category
    QString myPostsPage(int page) const;
    QString laterHomePage(int page) const;
    QString sideColumn() const;
    QString laterCategoryPage(int category, int page) const;
    QString laterArticlePage(const Entry& entry, int index, bool post) const;
    void installLater(Server& server) const;
    QString articlePage(const Entry& entry, int index, bool post) const;
    QList<int> postsOf(int category) const;
    QString imageAddress(const Entry& entry) const;

    QString m_account;
    bool m_later = false;
    QStringList m_postCategories;
    QString m_articleCategory;
    QList<Entry> m_posts;    // newest first
    QList<Entry> m_articles; // newest first
};

} // namespace FakeWeb
