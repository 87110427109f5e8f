#include "neteaseblog.h"

#include "server.h"

#include <QUrl>

namespace FakeWeb {

namespace {

const QString BlogHost = QStringLiteral("blog.163.com");
const QString ApiHost = QStringLiteral("api.blog.163.com");
const QString ImageHost = QStringLiteral("img.ph.126.net");

const QStringList CategoryNames = {
    QStringLiteral("默认分类"), QStringLiteral("心情随笔"), QStringLiteral("旅行见闻"),
    QStringLiteral("摄影作品"), QStringLiteral("音乐欣赏"), QStringLiteral("电影评论"),
};

QString jsString(const QString& text)
{
    return u'"' + PageKit::escapeUnicode(text) + u'"';
}

} // namespace

NeteaseBlog::NeteaseBlog(QString account, int articleCount, int categoryCount, bool subDomain)
    : m_account(std::move(account)), m_subDomain(subDomain && !m_account.contains(u'@'))
{
    int sum = 0;
    for (const QChar c : m_account)
        sum += c.unicode();
    m_userId = QString::number(38541329 + sum % 1000);
    const int categories = std::max(1, categoryCount);
    for (int i = 0; i < articleCount; ++i) {
        Article a;
        a.date = PageKit::publishTime(i);
        QString stamp = a.date;
        stamp.remove(u'-').remove(u' ').remove(u':');
        a.permalink = m_userId + stamp + QString::number(100 + (articleCount - i) % 900);
        a.title = QStringLiteral("网易日志第") + QString::number(articleCount - i) +
                  QStringLiteral("篇：秋天的童话");
        a.category = PageKit::categoryName(CategoryNames, i % categories);
        m_articles.append(a);
    }
}

QString NeteaseBlog::address() const
{
    return QStringLiteral("http://") + m_account + u'.' + BlogHost + QStringLiteral("/blog/");
}

QList<PageKit::ListedArticle> NeteaseBlog::listedArticles() const
{
    QList<PageKit::ListedArticle> rows;
    for (const Article& a : m_articles)
        rows.append({a.title, a.category, a.permalink, a.date});
    return rows;
}

QString NeteaseBlog::blogPage() const
{
    QString text = QStringLiteral("<!DOCTYPE html>\n<html><head><title>") + m_account +
                   QStringLiteral("的博客 - 网易博客</title>\n<script type=\"text/javascript\">\n");
    text += QStringLiteral("UD = {};\nUD.host = {userId:") + m_userId + QStringLiteral(" ,userName:'") +
            m_account + QStringLiteral("',nickName:'") + m_account +
            QStringLiteral("',imageUpdateTime:1330000000000};\n");
    text += QStringLiteral("</script>\n</head>\n<body>\n<div class=\"nav\">\n");
    for (const QString& item : {QStringLiteral("首页"), QStringLiteral("日志"), QStringLiteral("相册"),
                                QStringLiteral("音乐"), QStringLiteral("收藏"), QStringLiteral("关于我")}) {
        text += QStringLiteral("<a class=\"navitem\" href=\"#\">") + item + QStringLiteral("</a>\n");
    }
    text += QStringLiteral("</div>\n<div class=\"blogs\">日志列表由脚本载入，请稍候……</div>\n"
                           "<p>网易公司版权所有 &copy;1997-2012</p>\n</body></html>\n");
    return text;
}

QString NeteaseBlog::entryLine(const Article& a, int index) const
{
    const QString s = QStringLiteral("s") + QString::number(index + 1);
    // The abstract alone makes an entry longer than the 2,000 characters of an empty reply.
    QString abstract;
    while (abstract.size() < 420)
        abstract += QStringLiteral("秋天来了，树叶黄了，我们一起去郊外走走，看看远山和白云。");
    const auto field = [&s](const QString& name, const QString& value) {
        return s + u'.' + name + u'=' + value + u';';
    };
    QString line;
    line += field(QStringLiteral("accessCount"), QString::number(index * 7 + 3));
    line += field(QStringLiteral("allowView"), QStringLiteral("-100"));
    line += field(QStringLiteral("className"), jsString(a.category));
    line += field(QStringLiteral("classId"),
                  QStringLiteral("\"fks_08106") + QString::number(index % 9) + QStringLiteral("087\""));
    line += field(QStringLiteral("commentCount"), QString::number(index % 3));
    line += field(QStringLiteral("content"), jsString(abstract));
    line += field(QStringLiteral("id"), QStringLiteral("\"fks_") + a.permalink + u'"');
    line += field(QStringLiteral("permalink"), QStringLiteral("\"blog/static/") + a.permalink + u'"');
    line += field(QStringLiteral("photoIds"), QStringLiteral("null"));
    line += field(QStringLiteral("publishTime"), QStringLiteral("1330000000000"));
    line += field(QStringLiteral("shortPublishDateStr"), u'"' + a.date + u'"');
    line += field(QStringLiteral("synchMiniBlog"), QStringLiteral("false"));
    line += field(QStringLiteral("title"), jsString(a.title));
    line += field(QStringLiteral("trackbackCount"), QStringLiteral("0"));
    line += field(QStringLiteral("trackbackUrl"), QStringLiteral("\"blog/static/") + a.permalink + u'"');
    line += field(QStringLiteral("userId"), m_userId);
    line += QStringLiteral("s0[") + QString::number(index) + QStringLiteral("]=") + s + QStringLiteral(";\n");
    return line;
}

QString NeteaseBlog::listReply(int offset, int count) const
{
    const int end = std::min(int(m_articles.size()), offset + count);
    QString text = QStringLiteral("//#DWR-INSERT\n//#DWR-REPLY\nvar s0=[];");
    for (int i = offset; i < end; ++i)
        text += QStringLiteral("var s") + QString::number(i - offset + 1) + QStringLiteral("={};");
    text += u'\n';
    for (int i = offset; i < end; ++i)
        text += entryLine(m_articles.at(i), i - offset);
    text += QStringLiteral("dwr.engine._remoteHandleCallback('0','0',s0);\n");
    return text;
}

QString NeteaseBlog::imageAddress(const Article& article) const
{
    return QStringLiteral("http://") + ImageHost + QStringLiteral("/photo/") + article.permalink +
           QStringLiteral(".gif");
}

QString NeteaseBlog::articlePage(const Article& article, int index) const
{
    const QString image = index % 5 == 0 ? QStringLiteral("<img src=\"") + imageAddress(article) +
                                               QStringLiteral("\" border=\"0\">")
                                         : QString();
    if (m_later) {
        const QString code =
            QStringLiteral("<div class=\"code2dimlayer fc06\">\n<img src=\"http://") + ImageHost +
            QStringLiteral("/bitMaxImageGen.do?url=") + article.permalink +
            QStringLiteral("\">\n<div class=\"tips\"><p>用微信&nbsp;&nbsp;“扫一扫”</p></div>\n</div>\n");
        return QStringLiteral(
                   "<!DOCTYPE html>\n<html><head><meta http-equiv=\"Content-type\" content=\"text/html; "
                   "charset=GBK\"><title>") +
               article.title + QStringLiteral(" - ") + m_account +
               QStringLiteral(
                   "的日志 - 网易博客</title></head>\n<body>\n<div class=\"multicntwrap\">\n"
                   "<div class=\"multicnt\"><div>\n<h3 class=\"title pre fs1\"><span class=\"tcnt\">") +
               article.title +
               QStringLiteral(
                   "</span></h3>\n<p class=\"tdep clearfix nbw-act fc06\"><span class=\"blogsep\">") +
               article.date + QStringLiteral("</span><span class=\"blogsep\">|&nbsp;&nbsp;分类：</span><a>") +
               article.category +
               QStringLiteral(
                   "</a><span class=\"zihao fc03\">字号</span></p>\n</div></div>\n"
                   "<div class=\"m-shareAndDownLoad\">\n<span title=\"分享到新浪微博\"></span>\n") +
               code + code +
               QStringLiteral(
                   "</div>\n<div class=\"nbw-blog-start\"></div>\n<div class=\"bct fc05 fc11 nbw-blog "
                   "ztag\">\n") +
               PageKit::articleText(article.title, index, image) +
               QStringLiteral(
                   "</div>\n<div class=\"nbw-blog-end\"></div>\n<div><script type=\"text/javascript\" "
                   "id=\"wumiiRelatedItems\"></script></div>\n</div>\n"
                   "<p>网易公司版权所有 &copy;1997-2018</p>\n</body></html>\n");
    }
    return QStringLiteral("<!DOCTYPE html>\n<html><head><title>") + article.title + QStringLiteral(" - ") +
           m_account + QStringLiteral("的日志 - 网易博客</title></head>\n<body>\n<h3 class=\"title\">") +
           article.title +
           QStringLiteral(
               "</h3>\n<div class=\"multicntwrap\">\n<div class=\"bct fc05 fc11 nbw-blog ztag\">\n") +
           PageKit::articleText(article.title, index, image) +
           QStringLiteral(
               "</div>\n<script type=\"text/javascript\" id=\"wumiiRelatedItems\"></script>\n</div>\n"
               "<p>网易公司版权所有 &copy;1997-2012</p>\n</body></html>\n");
}

void NeteaseBlog::install(Server& server) const
{
    const Response blog = PageKit::textPage(blogPage(), "gb2312");
    const QString pathForm = QStringLiteral("http://") + BlogHost + u'/' + m_account;
    server.addRoute(pathForm, blog);
    server.addRoute(pathForm + u'/', blog);
    server.addFirstPage(pathForm);
    server.addFirstPage(pathForm + u'/');
    if (m_subDomain) {
        server.addRoute(address(), blog);
        server.addRoute(QStringLiteral("http://") + m_account + u'.' + BlogHost + u'/', blog);
        server.addFirstPage(address());
        server.addFirstPage(QStringLiteral("http://") + m_account + u'.' + BlogHost + u'/');
    }
    for (int i = 0; i < m_articles.size(); ++i) {
        const Article& a = m_articles.at(i);
        const Response page = PageKit::textPage(articlePage(a, i), "gb2312");
        server.addRoute(pathForm + QStringLiteral("/blog/static/") + a.permalink + u'/', page);
        if (m_subDomain) {
            server.addRoute(QStringLiteral("http://") + m_account + u'.' + BlogHost +
                                QStringLiteral("/blog/static/") + a.permalink + u'/',
                            page);
        }
        if (i % 5 == 0)
            server.addRoute(imageAddress(a), PageKit::gifImage());
    }

    const QString servicePath =
        u'/' + m_account + QStringLiteral("/dwr/call/plaincall/BlogBeanNew.getBlogs.dwr");
    const NeteaseBlog copy = *this;
    server.addHandler([copy, servicePath](const Request& r) -> std::optional<Response> {
        if (r.host != ApiHost || QUrl::fromPercentEncoding(r.path.toUtf8()) != servicePath)
            return std::nullopt;
        const auto number = [&r](const QString& key, int& value) {
            QString text = PageKit::queryValue(r.query, key);
            if (!text.startsWith(QStringLiteral("number:")))
                return false;
            bool ok = false;
            value = text.mid(7).toInt(&ok);
            return ok;
        };
        int user = 0;
        int offset = 0;
        int count = 0;
        if (!number(QStringLiteral("c0-param0"), user) || QString::number(user) != copy.m_userId ||
            !number(QStringLiteral("c0-param1"), offset) || !number(QStringLiteral("c0-param2"), count) ||
            offset < 0 || count <= 0) {
            // What the service says to a call it cannot serve.
            return PageKit::textPage(
                QStringLiteral("//#DWR-INSERT\n//#DWR-REPLY\n"
                               "dwr.engine._remoteHandleException('0','0',"
                               "{javaClassName:\"java.lang.Throwable\",message:\"Error\"});\n"),
                "gb2312");
        }
        return PageKit::textPage(copy.listReply(offset, count), "gb2312");
    });
}

} // namespace FakeWeb
