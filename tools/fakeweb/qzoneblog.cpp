#include "qzoneblog.h"

#include "server.h"

namespace FakeWeb {

namespace {

const QString DataHost = QStringLiteral("b.qzone.qq.com");
const QString ImageHost = QStringLiteral("b1.photo.store.qq.com");
const QString ServicePath = QStringLiteral("/cgi-bin/blognew/");

const QStringList CategoryNames = {
    QStringLiteral("个人日记"), QStringLiteral("旅行见闻"), QStringLiteral("读书心得"),
    QStringLiteral("美食记录"), QStringLiteral("工作随想"), QStringLiteral("家庭生活"),
};

} // namespace

QzoneBlog::QzoneBlog(QString uin, int articleCount, int categoryCount) : m_uin(std::move(uin))
{
    const int categories = std::max(1, categoryCount);
    for (int i = 0; i < articleCount; ++i) {
        Article a;
        a.id = QString::number(1330000000 + qint64(articleCount - i) * 97);
        a.title =
            QStringLiteral("日志第") + QString::number(articleCount - i) + QStringLiteral("篇：春天来了");
        a.category = PageKit::categoryName(CategoryNames, i % categories);
        a.date = PageKit::publishTime(i);
        m_articles.append(a);
    }
}

QString QzoneBlog::address() const
{
    return QStringLiteral("http://user.qzone.qq.com/") + m_uin + QStringLiteral("/blog");
}

QList<PageKit::ListedArticle> QzoneBlog::listedArticles() const
{
    QList<PageKit::ListedArticle> rows;
    for (const Article& a : m_articles)
        rows.append({a.title, a.category, a.id, a.date});
    return rows;
}

QString QzoneBlog::countReply() const
{
    return QStringLiteral("_Callback({\"code\":0,\"data\":{\"blog_num\":") +
           QString::number(m_articles.size()) + QStringLiteral(",\"uin\":") + m_uin +
           QStringLiteral(",\"category\":[]}});\n");
}

QString QzoneBlog::titleListReply(int from, int count) const
{
    const int end = std::min(int(m_articles.size()), from + count);
    QStringList ids;
    for (int i = from; i < end; ++i)
        ids.append(m_articles.at(i).id);
    QString text = QStringLiteral("_Callback({\"code\":0,\"blogids\":[") + ids.join(u',') +
                   QStringLiteral("],\"html\":\"<ul class=\\\"bloglist\\\">\n");
    for (int i = from; i < end; ++i) {
        const Article& a = m_articles.at(i);
        text += QStringLiteral("<li><span id=\\\"blogtitle_") + a.id +
                QStringLiteral("\\\" class=\\\"title\\\">") + a.title +
                QStringLiteral("</span><span class=\\\"date\\\">发表于<span>") + a.date +
                QStringLiteral("</span></span><a href=\\\"javascript:;\\\" "
                               "onclick=\\\"ListManager.selectCategory(\\'") +
                a.category + QStringLiteral("\\',\\'QZBlog\\');return false;\\\">") + a.category +
                QStringLiteral("</a></li>\n");
    }
    text += QStringLiteral("</ul>\"});\n");
    return text;
}

QString QzoneBlog::articleAddress(const Article& article) const
{
    return QStringLiteral("http://") + DataHost + ServicePath + QStringLiteral("blog_output_data?uin=") +
           m_uin + QStringLiteral("&blogid=") + article.id +
           QStringLiteral("&styledm=qzonestyle.gtimg.cn&imgdm=qzs.qq.com");
}

QString QzoneBlog::imageAddress(const Article& article) const
{
    return QStringLiteral("http://") + ImageHost + QStringLiteral("/psb/") + m_uin + u'/' + article.id +
           QStringLiteral(".gif");
}

QString QzoneBlog::articlePage(const Article& article, int index) const
{
    // The zone shows a placeholder and keeps the real address in "orgsrc" until the image scrolls in.
    const QString image = index % 5 == 0 ? QStringLiteral("<img src=\"/ac/b.gif\" orgsrc=\"") +
                                               imageAddress(article) + QStringLiteral("\" />")
                                         : QString();
    return QStringLiteral("<html><head><title>") + article.title +
           QStringLiteral("</title></head>\n<body>\n<div id=\"blogDetailDiv\">\n<!-- 日志内容 开始 -->\n") +
           PageKit::articleText(article.title, index, image) +
           QStringLiteral("<!-- 日志内容 结束 -->\n</div>\n</body></html>\n");
}

void QzoneBlog::install(Server& server) const
{
    server.addFirstPage(address());
    server.addRoute(QStringLiteral("http://") + DataHost + ServicePath +
                        QStringLiteral("blog_get_category?uin=") + m_uin,
                    PageKit::textPage(countReply(), "gb2312"));
    const QString listPath = ServicePath + QStringLiteral("blog_output_titlelist");
    const QString host = DataHost;
    const QzoneBlog copy = *this;
    server.addHandler([copy, host, listPath](const Request& r) -> std::optional<Response> {
        if (r.host != host || r.path != listPath ||
            PageKit::queryValue(r.query, QStringLiteral("uin")) != copy.m_uin)
            return std::nullopt;
        bool ok = false;
        const int from = PageKit::queryValue(r.query, QStringLiteral("from")).toInt(&ok);
        int count = PageKit::queryValue(r.query, QStringLiteral("num")).toInt();
        if (!ok || from < 0)
            return std::nullopt;
        if (count <= 0)
            count = 15;
        return PageKit::textPage(copy.titleListReply(from, count), "gb2312");
    });
    for (int i = 0; i < m_articles.size(); ++i) {
        const Article& a = m_articles.at(i);
        server.addRoute(articleAddress(a), PageKit::textPage(articlePage(a, i), "gb2312"));
        if (i % 5 == 0)
            server.addRoute(imageAddress(a), PageKit::gifImage());
    }
}

} // namespace FakeWeb
