#include "listpagesamples.h"

#include "pagekit.h"
#include "server.h"

#include <QDateTime>

#include <algorithm>
#include <cstdio>

namespace FakeWeb::ListPageSamples {

namespace {

QDateTime when(int i)
{
    return QDateTime(QDate(2012, 6, 30), QTime(21, 15)).addSecs(-qint64(i) * (26 * 3600 + 17 * 60));
}

} // namespace

QString title(int i)
{
    static const QStringList topics = {
        QStringLiteral("春日随笔"), QStringLiteral("读书笔记"), QStringLiteral("旅行见闻"),
        QStringLiteral("代码札记"), QStringLiteral("家常菜谱"), QStringLiteral("电影观后感"),
        QStringLiteral("周末杂记"), QStringLiteral("育儿心得"),
    };
    return QStringLiteral("%1第%2篇").arg(topics.at(i % topics.size())).arg(i + 1);
}

QString markedTitle(int i)
{
    return i % 7 == 3 ? QStringLiteral("为什么?") + title(i) + QStringLiteral("/续") : title(i);
}

QString markedTitleAsListed(int i)
{
    return markedTitle(i).replace(u'?', u'_').replace(u'/', u'_');
}

QString padded(const QString& text, int i)
{
    return i % 5 == 2 ? QStringLiteral(" ") + text + QStringLiteral(" ") : text;
}

QString category(int i)
{
    static const QStringList names = {QStringLiteral("随笔"), QStringLiteral("生活"), QStringLiteral("技术")};
    return names.at(i % names.size());
}

int categoryNumber(int i)
{
    return i % 3 + 1;
}

QString minutes(int i)
{
    return when(i).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString seconds(int i)
{
    return when(i).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString summary(int i)
{
    return summary(title(i), i);
}

QString summary(const QString& title, int i)
{
    return QStringLiteral("《%1》的摘要：写在%2。").arg(title, minutes(i));
}

QString body(int i, const QString& imageTag)
{
    return body(title(i), i, imageTag);
}

QString body(const QString& title, int i, const QString& imageTag)
{
    return QStringLiteral(
               "<p>这是《%1》的正文，第%2篇文章，写于%3。</p>\r\n<p>第二段：卷轴匣备份测试用的文字。%4</p>"
               "\r\n<p>第三段：完。</p>")
        .arg(title)
        .arg(i + 1)
        .arg(minutes(i), imageTag);
}

QString addImage(Server& server, GeneratedBlog& blog, const QString& platform, const QString& name, int i)
{
    if (i % 4 != 1) {
        return {};
    }
    const QString address =
        QStringLiteral("http://img.fakeweb.test/%1/%2/%3.gif").arg(platform, name).arg(i + 1);
    server.addRoute(address, PageKit::gifImage());
    blog.imageAddresses.append(address);
    return address;
}

QString imageTag(Server& server, GeneratedBlog& blog, const QString& platform, const QString& name, int i)
{
    const QString address = addImage(server, blog, platform, name, i);
    return address.isEmpty() ? QString() : QStringLiteral("<img src=\"%1\" alt=\"插图\">").arg(address);
}

quint32 stableNumber(const QString& text)
{
    quint32 h = 2166136261u;
    for (const QChar c : text) {
        h ^= c.unicode();
        h *= 16777619u;
    }
    return h;
}

QString numberFor(const QString& name, const QString& salt, int digits)
{
    quint64 low = 1;
    for (int d = 1; d < digits; ++d) {
        low *= 10;
    }
    return QString::number(low + stableNumber(salt + name) % (9 * low));
}

int pageCount(const BlogSize& size)
{
    return PageKit::pageCount(size.articles, size.perPage);
}

QList<int> articlesOnPage(int articles, int perPage, int p)
{
    QList<int> result;
    const int first = (p - 1) * perPage;
    for (int i = first; i < std::min(articles, first + perPage); ++i) {
        result.append(i);
    }
    return result;
}

QList<int> articlesOnPage(const BlogSize& size, int p)
{
    return articlesOnPage(size.articles, size.perPage, p);
}

Response gbPage(const QString& html)
{
    return PageKit::textPage(html, "gb2312");
}

Response utf8Page(const QString& html)
{
    return PageKit::textPage(html, "utf-8");
}

void announce(const GeneratedBlog& blog)
{
    std::fprintf(stderr, "blog %s: %s (%lld articles)\n", qPrintable(blog.taskName), qPrintable(blog.address),
                 static_cast<long long>(blog.articles.size()));
}

void addArticle(GeneratedBlog& blog, const QString& title, const QString& category, const QString& link,
                const QString& date, const QString& address)
{
    blog.articles.append(PageKit::ListedArticle{title, category, link, date});
    blog.articleAddresses.append(address);
}

} // namespace FakeWeb::ListPageSamples
