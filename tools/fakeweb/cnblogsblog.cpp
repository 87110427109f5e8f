#include "cnblogsblog.h"

#include "server.h"

namespace FakeWeb {

namespace {

const QString Host = QStringLiteral("www.cnblogs.com");
const QString ImageHost = QStringLiteral("pic002.cnblogs.com");
constexpr int PostsPerPage = 20;
constexpr int FirstCategoryNumber = 301000;

const QStringList CategoryNames = {
    QStringLiteral("C#"),        QStringLiteral("Java学习笔记"),   QStringLiteral("数据库与SQL"),
    QStringLiteral("Linux运维"), QStringLiteral("算法与数据结构"), QStringLiteral("前端开发"),
};

} // namespace

CnblogsBlog::CnblogsBlog(QString account, int postCount, int categoryCount, int articleCount)
    : m_account(std::move(account)), m_articleCategory(QStringLiteral("技术文章"))
{
    for (int c = 0; c < categoryCount; ++c) {
        m_postCategories.append(PageKit::categoryName(CategoryNames, c));
    }
    for (int i = 0; i < postCount; ++i) {
        Entry post;
        post.date = PageKit::publishTime(i);
        const QString day = post.date.left(10).replace(QLatin1Char('-'), QLatin1Char('/'));
        post.link = day + u'/' + QString::number(2375000 + postCount - i) + QStringLiteral(".html");
        post.title =
            QStringLiteral("随笔第") + QString::number(postCount - i) + QStringLiteral("篇：读书笔记");
        const int own = i % (categoryCount + 1);
        if (own < categoryCount) {
            if (own != 0 && i % 7 == 3)
                post.categories.append(0);
            post.categories.append(own);
        }
        m_posts.append(post);
    }
    for (int i = 0; i < articleCount; ++i) {
        Entry article;
        article.date = PageKit::publishTime(i * 3 + 1);
        article.link = QString::number(2376000 + articleCount - i) + QStringLiteral(".html");
        article.title =
            QStringLiteral("文章第") + QString::number(articleCount - i) + QStringLiteral("篇：设计模式");
        m_articles.append(article);
    }
}

QString CnblogsBlog::address() const
{
    return QStringLiteral("http://") + Host + u'/' + m_account;
}

QString CnblogsBlog::entryAddress(const Entry& entry, bool post) const
{
    return QStringLiteral("http://") + Host + u'/' + m_account +
           (post ? QStringLiteral("/archive/") : QStringLiteral("/articles/")) + entry.link;
}

QString CnblogsBlog::imageAddress(const Entry& entry) const
{
    QString name = entry.link;
    name.replace(u'/', u'_').replace(QStringLiteral(".html"), QStringLiteral(".gif"));
    return QStringLiteral("http://") + ImageHost + QStringLiteral("/images/") + m_account + u'/' + name;
}

QList<int> CnblogsBlog::postsOf(int category) const
{
    QList<int> indexes;
    for (int i = 0; i < m_posts.size(); ++i) {
        if (m_posts.at(i).categories.contains(category))
            indexes.append(i);
    }
    return indexes;
}

QList<PageKit::ListedArticle> CnblogsBlog::listedArticles() const
{
    QList<PageKit::ListedArticle> rows;
    for (int c = 0; c < m_postCategories.size(); ++c) {
        for (int i : postsOf(c)) {
            const Entry& p = m_posts.at(i);
            rows.append({p.title, QStringLiteral("[随笔]") + m_postCategories.at(c), p.link, p.date});
        }
    }
    for (const Entry& a : m_articles)
        rows.append({a.title, QStringLiteral("[文章]") + m_articleCategory, a.link, a.date});
    for (const Entry& p : m_posts) {
        if (p.categories.isEmpty())
            rows.append({p.title, QStringLiteral("[随笔]默认分类"), p.link, p.date});
    }
    return rows;
}

QString CnblogsBlog::homePage() const
{
    const QString categoryBase =
        QStringLiteral("http://") + Host + u'/' + m_account + QStringLiteral("/category/");
    QString text = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") +
                   m_account +
                   QStringLiteral(" - 博客园</title></head>\n<body>\n<div id=\"header\"><a href=\"") +
                   address() + QStringLiteral("/\">") + m_account + QStringLiteral("</a></div>\n");
    text += QStringLiteral("<div id=\"sidebar_postcategory\"><h3>随笔分类</h3>\n<ul>\n");
    for (int c = 0; c < m_postCategories.size(); ++c) {
        text += QStringLiteral("<li><a id=\"Categories_CatList_LinkList_0_Link_") + QString::number(c) +
                QStringLiteral("\" class=\"listitem\" href=\"") + categoryBase +
                QString::number(FirstCategoryNumber + c) + QStringLiteral(".html\">") +
                m_postCategories.at(c) + QStringLiteral("</a></li>\n");
    }
    text += QStringLiteral("</ul></div>\n<div id=\"sidebar_articlecategory\"><h3>文章分类</h3>\n<ul>\n");
    text += QStringLiteral("<li><a id=\"Categories_CatList_LinkList_1_Link_0\" class=\"listitem\" href=\"") +
            categoryBase + QString::number(FirstCategoryNumber + 100) + QStringLiteral(".html\">") +
            m_articleCategory + QStringLiteral("</a></li>\n</ul></div>\n</body></html>\n");
    return text;
}

QString CnblogsBlog::categoryPage(int category) const
{
    const bool posts = category < m_postCategories.size();
    QList<const Entry*> entries;
    if (posts) {
        for (int i : postsOf(category))
            entries.append(&m_posts.at(i));
    } else {
        for (const Entry& a : m_articles)
            entries.append(&a);
    }
    const QString name = posts ? m_postCategories.at(category) : m_articleCategory;
    QString text = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + name +
                   QStringLiteral(" - ") + m_account +
                   QStringLiteral(" - 博客园</title></head>\n<body>\n<div class=\"entrylist\">\n<h1>") +
                   name + QStringLiteral("</h1>\n");
    for (int k = 0; k < entries.size(); ++k) {
        const Entry& e = *entries.at(k);
        const QString url = entryAddress(e, posts);
        text += QStringLiteral("<div class=\"entrylistItem\">\n<div class=\"entrylistPosttitle\"><a "
                               "id=\"CategoryEntryList1_EntryStoryList_ctl0") +
                QString::number(k) +
                QStringLiteral("_Entries_TitleUrl_0\" class=\"entrylistItemTitle\" href=\"") + url +
                QStringLiteral("\">") + e.title + QStringLiteral("</a></div>\n");
        text += QStringLiteral("<div class=\"entrylistPostSummary\">摘要：") + e.title +
                QStringLiteral("……</div>\n<div class=\"entrylistItemPostDesc\">posted @ <a href=\"") + url +
                QStringLiteral("\" title = \"permalink\">") + e.date + QStringLiteral("</a>\n") + m_account +
                QStringLiteral(" 阅读(") + QString::number(k * 5 + 2) +
                QStringLiteral(") 评论(0)</div>\n</div>\n");
    }
    text += QStringLiteral("</div>\n</body></html>\n");
    return text;
}

QString CnblogsBlog::myPostsPage(int page) const
{
    const int pages = PageKit::pageCount(int(m_posts.size()), PostsPerPage);
    const QString myPosts = address() + QStringLiteral("/MyPosts.html");
    QString text = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>随笔 - ") +
                   m_account + QStringLiteral(" - 博客园</title></head>\n<body>\n<div class=\"PostList\">\n");
    for (int i = (page - 1) * PostsPerPage; i < m_posts.size() && i < page * PostsPerPage; ++i) {
        const Entry& p = m_posts.at(i);
        text += QStringLiteral("<div class=\"postTitl2\"><a id=\"PostsList1_rpPosts_TitleUrl_") +
                QString::number(i % PostsPerPage) + QStringLiteral("\" href=\"") + entryAddress(p, true) +
                QStringLiteral("\">") + p.title + QStringLiteral("</a> <span class=\"postDesc2\">") + p.date +
                QStringLiteral(" 阅读(") + QString::number(i * 5 + 2) +
                QStringLiteral(") 评论(0)</span></div>\n");
    }
    text += QStringLiteral("</div>\n<div class=\"Pager\">共") + QString::number(pages) +
            QStringLiteral("页: 上一页 ");
    for (int p = 1; p <= pages; ++p) {
        text += QStringLiteral("<a href=\"") + myPosts + QStringLiteral("?page=") + QString::number(p) +
                QStringLiteral("\">") + QString::number(p) + QStringLiteral("</a> ");
    }
    text += QStringLiteral("下一页</div>\n<div id=\"footer\"><a href=\"") + address() +
            QStringLiteral("/\">返回首页</a></div>\n</body></html>\n");
    return text;
}

QString CnblogsBlog::articlePage(const Entry& entry, int index, bool post) const
{
    const QString image = index % 4 == 0 ? QStringLiteral("<img src=\"") + imageAddress(entry) +
                                               QStringLiteral("\" alt=\"\" />")
                                         : QString();
    // Article pages write the opening tag with blanks around "=", as the site did for a while.
    const QString opening =
        post ? QStringLiteral("<div class=\"post\">") : QStringLiteral("<div class = \"post\">");
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + entry.title +
           QStringLiteral(" - ") + m_account +
           QStringLiteral(" - 博客园</title></head>\n<body>\n<div id=\"topics\">") + opening +
           QStringLiteral("\n<h2>") + entry.title + QStringLiteral("</h2>\n<div class=\"postBody\">\n") +
           PageKit::articleText(entry.title, index, image) + QStringLiteral("</div>\n</div>\n") +
           QStringLiteral("$ = jQuery.noConflict();\n</div>\n</body></html>\n");
}

void CnblogsBlog::install(Server& server) const
{
    server.addRoute(address(), PageKit::textPage(homePage(), "utf-8"));
    server.addRoute(address() + u'/', PageKit::textPage(homePage(), "utf-8"));
    const QString categoryBase = address() + QStringLiteral("/category/");
    for (int c = 0; c <= m_postCategories.size(); ++c) {
        const int number = c < m_postCategories.size() ? FirstCategoryNumber + c : FirstCategoryNumber + 100;
        server.addRoute(categoryBase + QString::number(number) + QStringLiteral(".html"),
                        PageKit::textPage(categoryPage(c), "utf-8"));
    }
    const QString myPosts = address() + QStringLiteral("/MyPosts.html");
    const int pages = PageKit::pageCount(int(m_posts.size()), PostsPerPage);
    server.addRoute(myPosts, PageKit::textPage(myPostsPage(1), "utf-8"));
    for (int p = 1; p <= pages; ++p) {
        server.addRoute(myPosts + QStringLiteral("?page=") + QString::number(p),
                        PageKit::textPage(myPostsPage(p), "utf-8"));
    }
    const auto addEntries = [&](const QList<Entry>& entries, bool post) {
        for (int i = 0; i < entries.size(); ++i) {
            const Entry& e = entries.at(i);
            server.addRoute(entryAddress(e, post), PageKit::textPage(articlePage(e, i, post), "utf-8"));
            if (i % 4 == 0)
                server.addRoute(imageAddress(e), PageKit::gifImage());
        }
    };
    addEntries(m_posts, true);
    addEntries(m_articles, false);
}

} // namespace FakeWeb
