#include "sinablog.h"

#include "server.h"
#include "smallimages.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QTimeZone>
#include <QUrlQuery>

#include <array>
#include <cstdio>
#include <cstdlib>

namespace FakeWeb {

namespace {

const QString BlogHost = QStringLiteral("blog.sina.com.cn");
const QString CountHost = QStringLiteral("comet.blog.sina.com.cn");
const QString Placeholder = QStringLiteral("http://simg.sinajs.cn/blog7style/images/common/sg_trans.gif");
constexpr int PageSize = 50;

const std::array<const char16_t*, 8> CategoryWords{u"生活", u"读书", u"旅行", u"美食",
                                                   u"电影", u"音乐", u"摄影", u"随想"};
const std::array<const char16_t*, 8> TitleWords{u"春日随笔", u"读书札记", u"旅途见闻", u"厨房小记",
                                                u"观影有感", u"雨夜杂谈", u"山间漫步", u"城市剪影"};

QString Base36(quint64 value, int width)
{
    return QString::number(value, 36).rightJustified(width, u'0');
}

int PagesFor(qsizetype count)
{
    return int((count + PageSize - 1) / PageSize);
}

// Exactly `wanted` of the positions 0 to n - 1 are chosen, spread evenly; `offset` (below n) shifts them.
bool Chosen(int i, int n, int wanted, int offset)
{
    if (wanted <= 0 || n <= 0) {
        return false;
    }
    const qint64 w = std::min(wanted, n);
    return (qint64(i + 1) * w + offset) / n != (qint64(i) * w + offset) / n;
}

// Escapes a text the way the comment service wrote it: quotes and slashes with a backslash, every
// character beyond ASCII as \uXXXX.
QString ScriptEscape(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u'"') {
            out += QStringLiteral("\\\"");
        } else if (c == u'/') {
            out += QStringLiteral("\\/");
        } else if (c.unicode() > 127) {
            out += QStringLiteral("\\u") + QString::number(c.unicode(), 16).rightJustified(4, u'0');
        } else {
            out += c;
        }
    }
    return out;
}

Response HtmlResponse(const QString& html)
{
    Response r;
    r.body = html.toUtf8();
    r.headers = {{"Content-Type", "text/html; charset=utf-8"}};
    return r;
}

} // namespace

struct SinaBlog::Data
{
    SinaBlogOptions options;
    QString userText;
    QString userHex;
    QList<SinaArticle> articles;
    QStringList categories;
    QList<QList<int>> byCategory; // article indexes per category, newest first
    QList<int> uncategorised;
    QList<int> favourites;
    QHash<QString, int> byId;

    QString listAddress(int category, int page) const
    {
        return QStringLiteral("http://") + BlogHost + QStringLiteral("/s/articlelist_") + userText + u'_' +
               QString::number(category) + u'_' + QString::number(page) + QStringLiteral(".html");
    }
    QString favouritesAddress(int page) const
    {
        return QStringLiteral("http://") + BlogHost + QStringLiteral("/s/favourites_") + userText +
               QStringLiteral("_0") + QString::number(page) + QStringLiteral(".html");
    }
    QString imageAddress(const SinaArticle& a, int k) const
    {
        return QStringLiteral("http://s") + QString::number((a.index + k) % 16 + 1) +
               QStringLiteral(".sinaimg.cn/middle/") + a.id + u'_' + QString::number(k) +
               (k % 2 == 1 ? QStringLiteral(".png") : QStringLiteral(".jpg"));
    }
    QString commentAddress(const SinaArticle& a, int page) const
    {
        return QStringLiteral("http://") + BlogHost + QStringLiteral("/s/comment_") + a.id + u'_' +
               QString::number(page) + QStringLiteral(".html");
    }

    QString body(const SinaArticle& a) const;
    QString pageTop(const QString& title) const;
    QString sidebar() const;
    QString listPage(int category, int page) const; // category -1: all articles
    QString favouritesPage(int page) const;
    QString articlePage(const SinaArticle& a) const;
    QByteArray commentReply(const SinaArticle& a, int page) const;
    QByteArray image(const QString& address) const;
    std::optional<Response> answer(const Request& request) const;
};

QString SinaBlog::Data::pageTop(const QString& title) const
{
    return QStringLiteral(
               "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
               "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
               "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
               "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n<title>") +
           title + QStringLiteral("_卷轴博主_新浪博客</title>\n</head>\n<body>\n<div id=\"sinablogb\">\n");
}

QString SinaBlog::Data::sidebar() const
{
    // The category block stands on one line: "全部博文" first, then one "<li  >" piece per category.
    QString html =
        QStringLiteral("<div class=\"SG_colW21 SG_colFirst\">\n<div class=\"SG_conn\" id=\"module_7\">\n"
                       "<div class=\"SG_connHead\"><span class=\"title\">博文目录</span></div>\n"
                       "<div class=\"SG_connBody\">\n<div class=\"menuList blog_classList\">\n<ul>");
    html += QStringLiteral("<li class=\"SG_j_linedot1\"><strong>全部博文</strong><em>(") +
            QString::number(articles.size()) + QStringLiteral(")</em></li>");
    for (qsizetype c = 0; c < categories.size(); ++c) {
        html += QStringLiteral("<li  ><span class=\"SG_dot\"></span><a href=\"") +
                listAddress(int(c) + 1, 1) + QStringLiteral("\">") + categories.at(c) +
                QStringLiteral("</a><em>(") + QString::number(byCategory.at(c).size()) +
                QStringLiteral(")</em></li>");
    }
    html += QStringLiteral("</ul>\n</div>\n<div class=\"menuList\">\n<ul>\n");
    html += QStringLiteral("<li><a href=\"http://") + BlogHost + QStringLiteral("/s/favourites_") + userText +
            QStringLiteral("_1.html\">博文收藏</a><em>(") + QString::number(favourites.size()) +
            QStringLiteral(")</em></li>\n");
    html += QStringLiteral("</ul>\n</div>\n</div>\n</div>\n</div>\n");
    return html;
}

QString SinaBlog::Data::listPage(int category, int page) const
{
    const QList<int>& indexes = category < 0 ? QList<int>() : byCategory.at(category);
    const qsizetype total = category < 0 ? articles.size() : indexes.size();
    const QString name = category < 0 ? QStringLiteral("全部博文") : categories.at(category);
    QString html = pageTop(QStringLiteral("博文目录")) + sidebar();
    html += QStringLiteral("<div class=\"SG_colW73\">\n<div class=\"SG_conn\">\n<div class=\"SG_connHead\">"
                           "<span comp_title=\"") +
            name + QStringLiteral("<em>(") + QString::number(total) +
            QStringLiteral(")</em>\" class=\"title\">") + name + QStringLiteral("<em>(") +
            QString::number(total) + QStringLiteral(")</em></span></div>\n");
    html += QStringLiteral(
        "<div class=\"SG_connBody\">\n<div class=\"article_blk\">\n<div class=\"articleList\">\n");
    const qsizetype first = qsizetype(page - 1) * PageSize;
    for (qsizetype j = first; j >= 0 && j < total && j < first + PageSize; ++j) {
        const SinaArticle& a = articles.at(category < 0 ? int(j) : indexes.at(j));
        html += QStringLiteral("<div class=\"articleCell SG_j_linedot1\">\n<p class=\"atc_main SG_dot\">\n"
                               "<span class=\"atc_ico SG_ico_tuwen\"></span>\n<span class=\"atc_title\">\n"
                               "<a title=\"") +
                a.title + QStringLiteral("\" target=\"_blank\" href=\"") + a.address() +
                QStringLiteral("\">") + a.title +
                QStringLiteral("</a></span>\n<span class=\"atc_ic_b\"></span>\n</p>\n"
                               "<p class=\"atc_info\">\n<span class=\"atc_data\" id=\"count_") +
                a.id + QStringLiteral("\"></span>\n<span class=\"atc_tm SG_txtc\">(") + a.date +
                QStringLiteral(")</span>\n</p>\n</div>\n");
    }
    html += QStringLiteral("</div>\n</div>\n");
    const int pages = PagesFor(total);
    html += QStringLiteral("<div class=\"SG_page\"><ul class=\"SG_pages\"><span>共") +
            QString::number(pages) + QStringLiteral("页</span>");
    if (page < pages) {
        html += QStringLiteral("<li class=\"SG_pgnext\"><a href=\"") +
                listAddress(category < 0 ? 0 : category + 1, page + 1) +
                QStringLiteral("\" title=\"跳转至第 ") + QString::number(page + 1) +
                QStringLiteral(" 页\">下一页&gt;</a></li>");
    }
    html += QStringLiteral("</ul></div>\n</div>\n</div>\n</div>\n</body>\n</html>\n");
    return html;
}

QString SinaBlog::Data::favouritesPage(int page) const
{
    QString html = pageTop(QStringLiteral("博文收藏")) + sidebar();
    html += QStringLiteral("<div class=\"SG_colW73\">\n<div class=\"SG_conn\">\n<div class=\"SG_connHead\">"
                           "<span class=\"title\"><strong>博文收藏</strong><em>(") +
            QString::number(favourites.size()) + QStringLiteral(")</em></span></div>\n");
    html += QStringLiteral("<div class=\"SG_connBody\">\n<ul class=\"favList\">\n");
    const qsizetype first = qsizetype(page - 1) * PageSize;
    for (qsizetype j = first; j >= 0 && j < favourites.size() && j < first + PageSize; ++j) {
        const SinaArticle& a = articles.at(favourites.at(j));
        html += QStringLiteral("<li class=\"SG_j_linedot1\"><div class=\"text\"><a title=\"") + a.title +
                QStringLiteral("\" target=\"_blank\" href=\"") + a.address() + QStringLiteral("\">") +
                a.title + QStringLiteral("</a></div>\n<div class=\"time SG_txtc\">") + a.date +
                QStringLiteral("</div></li>\n");
    }
    html += QStringLiteral("</ul>\n</div>\n</div>\n</div>\n</div>\n</body>\n</html>\n");
    return html;
}

QString SinaBlog::Data::body(const SinaArticle& a) const
{
    QString html = QStringLiteral("\n<p>《") + a.title + QStringLiteral("》是这个博客的第") +
                   QString::number(articles.size() - a.index) + QStringLiteral("篇博文。</p>\n");
    for (int k = 1; k <= options.images; ++k) {
        html += QStringLiteral("<p><img src=\"") + Placeholder + QStringLiteral("\" real_src=\"") +
                imageAddress(a, k) + QStringLiteral("\" width=\"8\" height=\"8\" name=\"image_operate_") +
                QString::number(k) + QStringLiteral("\" />&nbsp;</p>\n");
    }
    html += QStringLiteral("<p>窗外的风吹过，写下今天的几行字，记录") +
            (a.category.isEmpty() ? QStringLiteral("生活") : a.category) +
            QStringLiteral("里的点滴。</p>\n<p>&nbsp;</p>\n");
    return html;
}

QString SinaBlog::Data::articlePage(const SinaArticle& a) const
{
    QString html = pageTop(a.title);
    html += QStringLiteral("<div class=\"articalTitle\">\n<h2 id=\"t_") + a.id +
            QStringLiteral("\" class=\"titName SG_txta\">") + a.title +
            QStringLiteral("</h2>\n<span class=\"time SG_txtc\">(") + a.date +
            QStringLiteral(")</span>\n</div>\n");
    html += QStringLiteral("<div class=\"articalTag\">分类：") +
            (a.category.isEmpty() ? QStringLiteral("默认分类") : a.category) + QStringLiteral("</div>\n");
    html += QStringLiteral("<div id=\"sina_keyword_ad_area2\" class=\"articalContent\">\n<!-- 正文开始 -->") +
            body(a) + QStringLiteral("<!-- 正文结束 -->\n</div>\n");
    html +=
        QStringLiteral("<div id=\"column_2\"><p class=\"copyright\"><a href=\"http://corp.sina.com.cn/chn/\">"
                       "新浪公司</a> <a href=\"http://corp.sina.com.cn/chn/copyright.html\">"
                       "版权所有</a></p></div>\n</div>\n</body>\n</html>\n");
    return html;
}

QByteArray SinaBlog::Data::commentReply(const SinaArticle& a, int page) const
{
    QString items =
        QStringLiteral("<ul class=\"SG_cmp_revert\"><table class=\"SGrevertLeft\"><tr><td></td></tr>"
                       "</table>");
    const int first = (page - 1) * PageSize + 1;
    for (int c = first; c <= a.comments && c < first + PageSize; ++c) {
        const QString id = QString::number(100000 + qint64(a.index) * 1000 + c);
        const QString reader = QStringLiteral("读者") + QString::number(c);
        items += QStringLiteral("<li class=\"SGjlinedot1\" id=\"cmt") + id +
                 QStringLiteral("\"><div class=\"SGrevertCont\"><span class=\"SGrevertTit\" id=\"nickcmt") +
                 id + QStringLiteral("\"><a href=\"http://blog.sina.com.cn/u/") +
                 QString::number(2000000000 + c) + QStringLiteral("\" target=\"_blank\">") + reader +
                 QStringLiteral("</a></span><span class=\"SGrevertTime\">") + a.date +
                 QStringLiteral("</span><div class=\"SGrevertInner SGtxtb\" id=\"bodycmt") + id +
                 QStringLiteral("\">第") + QString::number(c) + QStringLiteral("条评论：写得真好，") +
                 a.title + QStringLiteral("。\n</div></div><a id=\"report") + id +
                 QStringLiteral("\" onclick=\"commentreport(") + id +
                 QStringLiteral(")\" href=\"javascript:;\">[举报]</a></li>");
    }
    items += QStringLiteral("</ul><div class=\"SG_page\"><input type=\"hidden\" value=\"\"/></div>");
    QString escaped = ScriptEscape(items);
    escaped.replace(u'\n', QStringLiteral("\\n"));
    return (QStringLiteral("{\"code\":\"A00006\",data:\"") + escaped + QStringLiteral("\"}")).toLatin1();
}

QByteArray SinaBlog::Data::image(const QString& address) const
{
    static const QRegularExpression pattern(
        QStringLiteral("^http://s\\d+\\.sinaimg\\.cn/middle/([0-9a-z]{16})_(\\d+)\\.(png|jpg)$"));
    const QRegularExpressionMatch m = pattern.match(address);
    if (!m.hasMatch()) {
        return {};
    }
    const auto it = byId.constFind(m.captured(1));
    if (it == byId.constEnd()) {
        return {};
    }
    const SinaArticle& a = articles.at(it.value());
    const int k = m.captured(2).toInt();
    if (k < 1 || k > options.images || imageAddress(a, k) != address) {
        return {};
    }
    const quint32 seed = options.user ^ quint32(a.index * 131 + k);
    return k % 2 == 1 ? SmallPng(seed) : SmallJpeg(seed, address.toLatin1());
}

std::optional<Response> SinaBlog::Data::answer(const Request& request) const
{
    const QString url = request.query.isEmpty() ? request.url : request.url.left(request.url.indexOf(u'?'));
    if (request.host == BlogHost) {
        static const QRegularExpression list(QStringLiteral("^/s/articlelist_(\\d+)_(\\d+)_(\\d+)\\.html$"));
        static const QRegularExpression favourites(QStringLiteral("^/s/favourites_(\\d+)_(\\d+)\\.html$"));
        static const QRegularExpression article(QStringLiteral("^/s/blog_([0-9a-z]{16})\\.html$"));
        static const QRegularExpression comment(QStringLiteral("^/s/comment_([0-9a-z]{16})_(\\d+)\\.html$"));
        if (const auto m = list.match(request.path); m.hasMatch() && m.captured(1) == userText) {
            const int category = m.captured(2).toInt();
            const int page = m.captured(3).toInt();
            if (category > categories.size() || page < 1) {
                return std::nullopt;
            }
            return HtmlResponse(listPage(category - 1, page));
        }
        if (const auto m = favourites.match(request.path); m.hasMatch() && m.captured(1) == userText) {
            const int page = m.captured(2).toInt();
            return page < 1 ? std::nullopt : std::optional<Response>(HtmlResponse(favouritesPage(page)));
        }
        if (const auto m = article.match(request.path); m.hasMatch() && byId.contains(m.captured(1))) {
            return HtmlResponse(articlePage(articles.at(byId.value(m.captured(1)))));
        }
        if (const auto m = comment.match(request.path); m.hasMatch() && byId.contains(m.captured(1))) {
            const SinaArticle& a = articles.at(byId.value(m.captured(1)));
            const int page = m.captured(2).toInt();
            if (page < 1) {
                return std::nullopt;
            }
            Response r;
            r.body = commentReply(a, page);
            r.headers = {{"Content-Type", "text/html; charset=utf-8"}};
            return r;
        }
        return std::nullopt;
    }
    if (request.host == CountHost && request.path == QStringLiteral("/api/num.php")) {
        const QUrlQuery query(request.query);
        if (query.queryItemValue(QStringLiteral("uid")) != userHex) {
            return std::nullopt;
        }
        QStringList entries;
        for (const QString& aid :
             query.queryItemValue(QStringLiteral("aids")).split(u',', Qt::SkipEmptyParts)) {
            const auto it = byId.constFind(userHex + QStringLiteral("01") + aid);
            if (it != byId.constEnd()) {
                entries.append(u'"' + aid + QStringLiteral("\":{\"c\":") +
                               QString::number(articles.at(it.value()).comments) +
                               QStringLiteral(",\"r\":0,\"f\":0,\"z\":0,\"d\":0}"));
            }
        }
        if (entries.isEmpty()) {
            return std::nullopt;
        }
        Response r;
        r.body = (u'{' + entries.join(u',') + u'}').toLatin1();
        r.headers = {{"Content-Type", "application/javascript"}};
        return r;
    }
    if (request.host.endsWith(QStringLiteral(".sinaimg.cn"))) {
        const QByteArray bytes = image(url);
        if (bytes.isEmpty()) {
            return std::nullopt;
        }
        Response r;
        r.body = bytes;
        r.headers = {{"Content-Type", url.endsWith(QStringLiteral(".png")) ? "image/png" : "image/jpeg"}};
        return r;
    }
    return std::nullopt;
}

std::optional<SinaBlogOptions> SinaBlogOptions::parse(const QString& text, QString* error)
{
    SinaBlogOptions options;
    auto fail = [error](const QString& message) {
        if (error != nullptr) {
            *error = message;
        }
        return std::nullopt;
    };
    for (const QString& item : text.split(u',', Qt::SkipEmptyParts)) {
        const QString key = item.section(u'=', 0, 0).trimmed();
        const QString value = item.section(u'=', 1).trimmed();
        bool ok = false;
        const qint64 number = value.toLongLong(&ok);
        if (!ok || number < 0) {
            return fail(QStringLiteral("%1: not a number: \"%2\"").arg(key, value));
        }
        const int small = int(std::min<qint64>(number, 1000000));
        if (number > 1000000 && key != QStringLiteral("user")) {
            return fail(QStringLiteral("%1: too large: %2").arg(key).arg(number));
        }
        if (key == QStringLiteral("user")) {
            if (number == 0 || number > 0xFFFFFFFFLL) {
                return fail(QStringLiteral("user: not a user number: %1").arg(number));
            }
            options.user = quint32(number);
        } else if (key == QStringLiteral("articles")) {
            options.articles = small;
        } else if (key == QStringLiteral("categories")) {
            options.categories = small;
        } else if (key == QStringLiteral("uncategorised")) {
            options.uncategorised = small;
        } else if (key == QStringLiteral("favourites")) {
            options.favourites = small;
        } else if (key == QStringLiteral("images")) {
            options.images = small;
        } else if (key == QStringLiteral("comments")) {
            options.comments = small;
        } else {
            return fail(QStringLiteral("unknown key \"%1\"").arg(key));
        }
    }
    return options;
}

SinaBlog::SinaBlog(const SinaBlogOptions& options)
{
    auto data = std::make_shared<Data>();
    data->options = options;
    data->options.articles = std::max(0, options.articles);
    data->options.categories = std::max(0, options.categories);
    data->options.images = std::max(0, options.images);
    data->options.comments = std::max(0, options.comments);
    data->userText = QString::number(options.user);
    data->userHex = QString::number(options.user, 16).rightJustified(8, u'0');
    const int n = data->options.articles;
    const int categoryCount = data->options.categories;
    for (int c = 0; c < categoryCount; ++c) {
        QString name = QString::fromUtf16(CategoryWords[size_t(c) % CategoryWords.size()]);
        if (c >= int(CategoryWords.size())) {
            name += QString::number(c / int(CategoryWords.size()) + 1);
        }
        data->categories.append(name);
    }
    data->byCategory.resize(categoryCount);
    const QDateTime newest(QDate(2012, 6, 30), QTime(21, 30), QTimeZone::utc());
    int dealt = 0;
    for (int i = 0; i < n; ++i) {
        SinaArticle a;
        a.index = i;
        // The identifier: user in hex, "01", and six base-36 digits that differ for every article.
        a.id = data->userHex + QStringLiteral("01") + Base36((quint64(i) * 7919 + 46656) % 2176782336ULL, 6);
        a.title = QString::fromUtf16(TitleWords[size_t(i) % TitleWords.size()]) + QStringLiteral("之") +
                  QString::number(n - i);
        a.date =
            newest.addSecs(-qint64(i) * (13 * 3600 + 17 * 60)).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        if (categoryCount > 0 && !Chosen(i, n, data->options.uncategorised, n / 3)) {
            const int c = dealt++ % categoryCount;
            a.category = data->categories.at(c);
            data->byCategory[c].append(i);
        } else {
            data->uncategorised.append(i);
        }
        a.favourite = Chosen(i, n, data->options.favourites, 0);
        if (a.favourite) {
            data->favourites.append(i);
        }
        a.comments = i % (data->options.comments + 1);
        data->byId.insert(a.id, i);
        data->articles.append(a);
    }
    d = std::move(data);
}

const SinaBlogOptions& SinaBlog::options() const
{
    return d->options;
}

const QList<SinaArticle>& SinaBlog::articles() const
{
    return d->articles;
}

QStringList SinaBlog::categoryNames() const
{
    return d->categories;
}

QList<int> SinaBlog::favourites() const
{
    return d->favourites;
}

QList<PageKit::ListedArticle> SinaBlog::expectedRows() const
{
    QList<PageKit::ListedArticle> rows;
    auto listed = [](const SinaArticle& a, const QString& category) {
        return PageKit::ListedArticle{a.title, category, a.link(), u'(' + a.date + u')'};
    };
    for (qsizetype c = 0; c < d->categories.size(); ++c) {
        for (const int i : d->byCategory.at(c)) {
            rows.append(listed(d->articles.at(i), d->categories.at(c)));
        }
    }
    for (const int i : d->favourites) {
        const SinaArticle& a = d->articles.at(i);
        rows.append(PageKit::ListedArticle{a.title, QStringLiteral("博文收藏"), a.link(), a.date});
    }
    for (const int i : d->uncategorised) {
        rows.append(listed(d->articles.at(i), QStringLiteral("未分类")));
    }
    return rows;
}

QString SinaBlog::firstPageAddress() const
{
    return d->listAddress(0, 1);
}

QString SinaBlog::allArticlesPageAddress(int page) const
{
    return d->listAddress(0, page);
}

QString SinaBlog::categoryPageAddress(int category, int page) const
{
    return d->listAddress(category + 1, page);
}

QString SinaBlog::favouritesPageAddress(int page) const
{
    return d->favouritesAddress(page);
}

QStringList SinaBlog::imageAddresses(int index) const
{
    QStringList addresses;
    for (int k = 1; k <= d->options.images; ++k) {
        addresses.append(d->imageAddress(d->articles.at(index), k));
    }
    return addresses;
}

QString SinaBlog::commentCounterAddress(int index) const
{
    const QString& id = d->articles.at(index).id;
    return QStringLiteral("http://") + CountHost + QStringLiteral("/api/num.php?uid=") + id.left(8) +
           QStringLiteral("&aids=") + id.right(6);
}

int SinaBlog::commentPageCount(int index) const
{
    return PagesFor(d->articles.at(index).comments);
}

QString SinaBlog::commentPageAddress(int index, int page) const
{
    return d->commentAddress(d->articles.at(index), page);
}

QString SinaBlog::articleBody(int index) const
{
    return d->body(d->articles.at(index));
}

QByteArray SinaBlog::imageBytes(const QString& address) const
{
    return d->image(address);
}

QByteArray SinaBlog::commentPageReply(int index, int page) const
{
    return d->commentReply(d->articles.at(index), page);
}

void SinaBlog::install(Server& server) const
{
    server.addHandler([data = d](const Request& request) { return data->answer(request); });
}

void installSinaBlog(Server& server, const QString& arg)
{
    QString error;
    const std::optional<SinaBlogOptions> options = SinaBlogOptions::parse(arg, &error);
    if (!options) {
        std::fprintf(stderr, "fakeweb: --sina: %s\n", qPrintable(error));
        std::exit(2);
    }
    const SinaBlog blog(*options);
    blog.install(server);
    std::fprintf(stderr, "sina blog of %d articles: %s\n", options->articles,
                 qPrintable(blog.firstPageAddress()));
}

} // namespace FakeWeb
