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

CnblogsBlog CnblogsBlog::laterLayout(QString account, int postCount, int categoryCount)
{
    CnblogsBlog blog(std::move(account), postCount, categoryCount);
    blog.m_later = true;
    for (Entry& post : blog.m_posts) {
        post.link = QStringLiteral("p/") + post.link.section(u'/', -1);
    }
    return blog;
}

QString CnblogsBlog::address() const
{
    return QStringLiteral("http://") + Host + u'/' + m_account;
}

QString CnblogsBlog::entryAddress(const Entry& entry, bool post) const
{
    if (m_later && post) {
        return address() + u'/' + entry.link;
    }
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

QString CnblogsBlog::laterHomePage(int page) const
{
    constexpr int perPage = 10;
    const int pages = PageKit::pageCount(int(m_posts.size()), perPage);
    const QString https = QStringLiteral("https://") + Host + u'/' + m_account;
    QString text =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-cn\">\n<head><meta charset=\"utf-8\"><title>") +
        m_account +
        QStringLiteral(" - 博客园</title></head>\n<body>\n<div id=\"header\"><h1><a "
                       "id=\"Header1_HeaderTitle\" class=\"headermaintitle\" href=\"") +
        https + QStringLiteral("/\">") + m_account +
        QStringLiteral("</a></h1></div>\n<div id=\"mainContent\">\n");
    for (int i = (page - 1) * perPage; i < m_posts.size() && i < page * perPage; ++i) {
        const Entry& p = m_posts.at(i);
        const QString url = QStringLiteral("https://") + Host + u'/' + m_account + u'/' + p.link;
        text += QStringLiteral("<div class=\"day\">\n<div class=\"dayTitle\"><a href=\"") + https +
                QStringLiteral("/archive/") + p.date.left(10).replace(u'-', u'/') +
                QStringLiteral(".html\">") + p.date.left(10) +
                QStringLiteral("</a></div>\n<div class=\"postTitle\">\n<a class=\"postTitle2 "
                               "vertical-middle\" href=\"") +
                url + QStringLiteral("\">\n    <span>\n        ") + p.title +
                QStringLiteral("\n    </span>\n</a>\n</div>\n<div class=\"postCon\"><div "
                               "class=\"c_b_p_desc\">摘要：写于2001-01-01 00:00的") +
                p.title + QStringLiteral("……<a href=\"") + url +
                QStringLiteral("\" class=\"c_b_p_desc_readmore\">阅读全文</a></div></div>\n"
                               "<div class=\"postDesc\">posted @ ") +
                p.date + u' ' + m_account +
                QStringLiteral(" <span class=\"post-view-count\">阅读(3)</span></div>\n</div>\n");
    }
    text += QStringLiteral("<div class=\"topicListFooter\"><div id=\"nav_next_page\">");
    if (page < pages) {
        text += QStringLiteral("<a href=\"") + https + QStringLiteral("/default.html?page=") +
                QString::number(page + 1) + QStringLiteral("\">下一页</a>");
    }
    text += QStringLiteral("</div></div>\n</div>\n<div id=\"sideBar\"><div id=\"blog-sidecolumn\"></div>"
                           "<script>loadBlogSideColumn();</script></div>\n</body></html>\n");
    return text;
}

QString CnblogsBlog::sideColumn() const
{
    const QString categoryBase =
        QStringLiteral("https://") + Host + u'/' + m_account + QStringLiteral("/category/");
    QString text =
        QStringLiteral("<!-- 我的标签 -->\n<div id=\"sidebar_toptags\" class=\"sidebar-block\"><ul><li><a "
                       "href=\"https://www.cnblogs.com/") +
        m_account +
        QStringLiteral("/tag/C%23/\">C#<span class=\"tag-count\">(5)</span></a></li></ul></div>\n"
                       "<div id=\"sidebar_categories\">\n<div id=\"sidebar_postcategory\" "
                       "class=\"catListPostCategory sidebar-block\">\n<h3 class=\"catListTitle\">随笔分类"
                       "</h3>\n<ul>\n");
    for (int c = 0; c < m_postCategories.size(); ++c) {
        text += QStringLiteral("<li>\n<a href=\"") + categoryBase + QString::number(FirstCategoryNumber + c) +
                QStringLiteral(".html\" rel=\"\" target=\"\">\n  ") + m_postCategories.at(c) + u'(' +
                QString::number(postsOf(c).size()) + QStringLiteral(")\n</a>\n</li>\n");
    }
    text +=
        QStringLiteral("</ul>\n</div>\n<div id=\"sidebar_articlecategory\" class=\"catListArticleCategory "
                       "sidebar-block\">\n<h3 class=\"catListTitle\">文章分类</h3>\n<ul>\n<li>\n<a href=\"") +
        categoryBase + QString::number(FirstCategoryNumber + 100) + QStringLiteral(".html\">\n  ") +
        m_articleCategory + u'(' + QString::number(m_articles.size()) +
        QStringLiteral(")\n</a>\n</li>\n</ul>\n</div>\n</div>\n");
    return text;
}

QString CnblogsBlog::laterCategoryPage(int category, int page) const
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
    const int pages = PageKit::pageCount(int(entries.size()), PostsPerPage);
    const QString name = posts ? m_postCategories.at(category) : m_articleCategory;
    const int number = posts ? FirstCategoryNumber + category : FirstCategoryNumber + 100;
    QString text = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + name +
                   QStringLiteral(" - ") + m_account +
                   QStringLiteral(" - 博客园</title></head>\n<body>\n<div class=\"entrylist\">\n<h1 "
                                  "class=\"entrylistTitle\">") +
                   name + QStringLiteral("</h1>\n");
    for (int k = (page - 1) * PostsPerPage; k < entries.size() && k < page * PostsPerPage; ++k) {
        const Entry& e = *entries.at(k);
        const QString url = QStringLiteral("https") + entryAddress(e, posts).mid(4);
        text += QStringLiteral("<div class=\"entrylistItem\">\n<div class=\"entrylistPosttitle\">\n<a "
                               "class=\"entrylistItemTitle\" href=\"") +
                url + QStringLiteral("\">\n<span>") + e.title + QStringLiteral("</span>\n</a>\n</div>\n") +
                QStringLiteral("<div class=\"entrylistPostSummary\">摘要：写于2001-01-01 00:00的") + e.title +
                QStringLiteral("……</div>\n<div class=\"entrylistItemPostDesc\">posted @ \n<a href=\"") + url +
                QStringLiteral("\" title=\"permalink\">") + e.date + QStringLiteral("</a>\n") + m_account +
                QStringLiteral("</div>\n</div>\n");
    }
    text += QStringLiteral("</div>\n<div class=\"pager\">");
    if (page < pages) {
        text += QStringLiteral("<a href=\"https://") + Host + u'/' + m_account +
                QStringLiteral("/category/") + QString::number(number) + QStringLiteral(".html?page=") +
                QString::number(page + 1) + QStringLiteral("\">下一页</a>");
    }
    text += QStringLiteral("</div>\n</body></html>\n");
    return text;
}

QString CnblogsBlog::laterArticlePage(const Entry& entry, int index, bool post) const
{
    const QString image = index % 4 == 0 ? QStringLiteral("<img src=\"") + imageAddress(entry) +
                                               QStringLiteral("\" alt=\"\" loading=\"lazy\">")
                                         : QString();
    const QString url = QStringLiteral("https") + entryAddress(entry, post).mid(4);
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-cn\">\n<head><meta charset=\"utf-8\"><title>") +
           entry.title + QStringLiteral(" - ") + m_account +
           QStringLiteral(
               " - 博客园</title></head>\n<body>\n<div id=\"header\"><a href=\"https://www.cnblogs.com/\">"
               "博客园</a></div>\n<div id=\"topics\">\n<div class=\"post\">\n<h1 class=\"postTitle\">\n"
               "<a id=\"cb_post_title_url\" class=\"postTitle2 vertical-middle\" href=\"") +
           url + QStringLiteral("\">\n<span role=\"heading\" aria-level=\"2\">") + entry.title +
           QStringLiteral("</span>\n</a>\n</h1>\n<div class=\"clear\"></div>\n<div class=\"postBody\">\n"
                          "<div id=\"cnblogs_post_body\" class=\"blogpost-body cnblogs-markdown\">\n"
                          "<button class=\"cnblogs-toc-button\" title=\"显示目录导航\" "
                          "aria-expanded=\"false\"></button>\n"
                          "<div class=\"section\">") +
           PageKit::articleText(entry.title, index, image) +
           QStringLiteral(
               "</div>\n</div>\n<div id=\"MySignature\" role=\"contentinfo\">签名档</div>\n"
               "<div id=\"blog_post_info_block\"><div id=\"green_channel\">好文要顶 关注我 收藏该文 "
               "<img src=\"https://common.cnblogs.com/images/icon_weibo_24.png\" alt=\"\"> "
               "<img src=\"https://common.cnblogs.com/images/wechat.png\" alt=\"\"></div>\n"
               "<div id=\"post_next_prev\"><a href=\"") +
           address() +
           QStringLiteral("/\">« 上一篇</a></div></div>\n</div>\n<div class=\"postDesc\">posted @ ") +
           entry.date + QStringLiteral("</div>\n</div>\n</div>\n</body></html>\n");
}

void CnblogsBlog::installLater(Server& server) const
{
    const int homePages = PageKit::pageCount(int(m_posts.size()), 10);
    server.addRoute(address(), PageKit::textPage(laterHomePage(1), "utf-8"));
    server.addRoute(address() + u'/', PageKit::textPage(laterHomePage(1), "utf-8"));
    for (int p = 1; p <= homePages; ++p) {
        server.addRoute(address() + QStringLiteral("/default.html?page=") + QString::number(p),
                        PageKit::textPage(laterHomePage(p), "utf-8"));
    }
    server.addRoute(address() + QStringLiteral("/ajax/sidecolumn.aspx"),
                    PageKit::textPage(sideColumn(), "utf-8"));
    const QString categoryBase = address() + QStringLiteral("/category/");
    for (int c = 0; c <= m_postCategories.size(); ++c) {
        const bool posts = c < m_postCategories.size();
        const int number = posts ? FirstCategoryNumber + c : FirstCategoryNumber + 100;
        const int entries = posts ? int(postsOf(c).size()) : int(m_articles.size());
        const QString page = categoryBase + QString::number(number) + QStringLiteral(".html");
        server.addRoute(page, PageKit::textPage(laterCategoryPage(c, 1), "utf-8"));
        for (int p = 2; p <= PageKit::pageCount(entries, PostsPerPage); ++p) {
            server.addRoute(page + QStringLiteral("?page=") + QString::number(p),
                            PageKit::textPage(laterCategoryPage(c, p), "utf-8"));
        }
    }
    const auto addEntries = [&](const QList<Entry>& entries, bool post) {
        for (int i = 0; i < entries.size(); ++i) {
            const Entry& e = entries.at(i);
            server.addRoute(entryAddress(e, post), PageKit::textPage(laterArticlePage(e, i, post), "utf-8"));
            if (i % 4 == 0)
                server.addRoute(imageAddress(e), PageKit::gifImage());
        }
    };
    addEntries(m_posts, true);
    addEntries(m_articles, false);
}

void CnblogsBlog::install(Server& server) const
{
    server.addFirstPage(address());
    server.addFirstPage(address() + u'/');
    if (m_later) {
        installLater(server);
        return;
    }
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
