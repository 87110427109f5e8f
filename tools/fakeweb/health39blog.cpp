#include "health39blog.h"

#include "server.h"

namespace FakeWeb {

namespace {

const QString Host = QStringLiteral("blog.39.net");
const QString ImageHost = QStringLiteral("img.39.net");
constexpr int PageSize = 25;
constexpr int FirstCategoryNumber = 1001;

const QStringList CategoryNames = {
    QStringLiteral("养生保健"), QStringLiteral("饮食营养"), QStringLiteral("运动健身"),
    QStringLiteral("心理健康"), QStringLiteral("育儿经验"), QStringLiteral("中医中药"),
    QStringLiteral("疾病防治"), QStringLiteral("美容护肤"),
};

} // namespace

Health39Blog::Health39Blog(QString account, int articleCount, int categoryCount)
    : m_account(std::move(account))
{
    for (int c = 0; c < categoryCount; ++c) {
        m_categories.append(PageKit::categoryName(CategoryNames, c));
    }
    m_categories.append(QStringLiteral("空的分类")); // listed in the menu, holds nothing
    for (int i = 0; i < articleCount; ++i) {
        Article a;
        a.id = QString::number(3000000 + (articleCount - i) * 7);
        a.title =
            QStringLiteral("健康笔记第") + QString::number(articleCount - i) + QStringLiteral("篇：多喝水");
        a.category = (i % (categoryCount + 1) == categoryCount) ? -1 : i % (categoryCount + 1);
        a.date = PageKit::publishTime(i);
        m_articles.append(a);
    }
}

QString Health39Blog::address() const
{
    return QStringLiteral("http://") + Host + u'/' + m_account + QStringLiteral("/ArticleList_0_1.html");
}

QList<int> Health39Blog::articlesOf(int category) const
{
    QList<int> indexes;
    for (int i = 0; i < m_articles.size(); ++i) {
        if (category < 0 || m_articles.at(i).category == category)
            indexes.append(i);
    }
    return indexes;
}

QList<PageKit::ListedArticle> Health39Blog::listedArticles() const
{
    QList<PageKit::ListedArticle> rows;
    for (int c = 0; c < m_categories.size(); ++c) {
        for (int i : articlesOf(c)) {
            const Article& a = m_articles.at(i);
            rows.append({a.title, m_categories.at(c), a.id + QStringLiteral(".html"), a.date});
        }
    }
    for (const Article& a : m_articles) {
        if (a.category < 0)
            rows.append({a.title, QStringLiteral("未分类"), a.id + QStringLiteral(".html"), a.date});
    }
    return rows;
}

QString Health39Blog::imageAddress(const Article& article) const
{
    return QStringLiteral("http://") + ImageHost + QStringLiteral("/blog/") + m_account + u'/' + article.id +
           QStringLiteral(".gif");
}

QString Health39Blog::listPage(int category, int page) const
{
    const QString base = u'/' + m_account + QStringLiteral("/ArticleList_");
    QString menu = QStringLiteral("<div class=\"menu\"><ul><li><a href=\"") + base +
                   QStringLiteral("0_1.html\">所有分类</a></li>");
    for (int c = 0; c < m_categories.size(); ++c) {
        menu += QStringLiteral("<li><a href=\"") + base + QString::number(FirstCategoryNumber + c) +
                QStringLiteral("_1.html\">") + m_categories.at(c) + u'(' +
                QString::number(articlesOf(c).size()) + QStringLiteral(")</a></li>");
    }
    menu += QStringLiteral("</ul><span></span></div></div>\n");

    const QList<int> listed = articlesOf(category);
    const QString heading = category < 0 ? QStringLiteral("所有文章") : m_categories.at(category);
    QString text = QStringLiteral("<html><head><title>") + m_account +
                   QStringLiteral("的博客 - 39健康博客</title></head>\n<body>\n<div class=\"nav\">") + menu;
    text += QStringLiteral("<div class=\"c_top2\"><strong>博文 > ") + heading + QStringLiteral("(共有<b>") +
            QString::number(listed.size()) +
            QStringLiteral("</b>篇文章)</strong></div>\n<ul class=\"list\">\n");
    for (int k = (page - 1) * PageSize; k < listed.size() && k < page * PageSize; ++k) {
        const Article& a = m_articles.at(listed.at(k));
        const QString categoryName = a.category < 0 ? QString() : m_categories.at(a.category);
        text += QStringLiteral("<li><a href=\"/") + m_account + u'/' + a.id +
                QStringLiteral(".html\" target=\"_blank\">") + a.title + QStringLiteral("</a><span><i>") +
                categoryName + QStringLiteral("</i></span><span>发表<b>") + a.date +
                QStringLiteral("</b></span><span>访问<b>") + QString::number(k * 3 + 11) +
                QStringLiteral("</b></span><span>评论<b>") + QString::number(k % 4) +
                QStringLiteral("</b></span><span></span></li>\n");
    }
    text += QStringLiteral("</ul>\n<div class=\"pager\">第") + QString::number(page) +
            QStringLiteral("页</div>\n<p>39健康网 版权所有</p>\n</body></html>\n");
    return text;
}

QString Health39Blog::articlePage(const Article& article, int index) const
{
    const QString image = index % 5 == 0 ? QStringLiteral("<img src=\"") + imageAddress(article) +
                                               QStringLiteral("\" alt=\"图\">")
                                         : QString();
    return QStringLiteral("<html><head><title>") + article.title +
           QStringLiteral("</title></head>\n<body>\n<h1>") + article.title +
           QStringLiteral("</h1>\n<div class=\"passage_info\">\n") +
           PageKit::articleText(article.title, index, image) +
           QStringLiteral("</div>\n<!-- 文章信息 end-->\n<p>39健康网 版权所有</p>\n</body></html>\n");
}

void Health39Blog::install(Server& server) const
{
    server.addFirstPage(address());
    const QString base =
        QStringLiteral("http://") + Host + u'/' + m_account + QStringLiteral("/ArticleList_");
    for (int c = -1; c < m_categories.size(); ++c) {
        const QString number = c < 0 ? QStringLiteral("0") : QString::number(FirstCategoryNumber + c);
        const int pages = PageKit::pageCount(int(articlesOf(c).size()), PageSize);
        for (int p = 1; p <= pages; ++p) {
            server.addRoute(base + number + u'_' + QString::number(p) + QStringLiteral(".html"),
                            PageKit::textPage(listPage(c, p), "gb2312"));
        }
    }
    for (int i = 0; i < m_articles.size(); ++i) {
        const Article& a = m_articles.at(i);
        server.addRoute(QStringLiteral("http://") + Host + u'/' + m_account + u'/' + a.id +
                            QStringLiteral(".html"),
                        PageKit::textPage(articlePage(a, i), "gb2312"));
        if (i % 5 == 0)
            server.addRoute(imageAddress(a), PageKit::gifImage());
    }
}

} // namespace FakeWeb
