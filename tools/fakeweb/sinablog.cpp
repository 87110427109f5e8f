#include "sinablog.h"

#include "server.h"
#include "smallimages.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QTimeZone>
#include <QUrlQuery>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>

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

// Whether the request's Cookie headers carry the cookie name=value.
bool HasCookie(const Request& request, const QString& cookie)
{
    const QByteArray wanted = cookie.toLatin1();
    for (const auto& [name, value] : request.headers) {
        if (name.compare("Cookie", Qt::CaseInsensitive) != 0) {
            continue;
        }
        for (const QByteArray& piece : value.split(';')) {
            if (piece.trimmed() == wanted) {
                return true;
            }
        }
    }
    return false;
}

Response HtmlResponse(const QString& html)
{
    Response r;
    r.body = html.toUtf8();
    r.headers = {{"Content-Type", "text/html; charset=utf-8"}};
    return r;
}

} // namespace

// Every article is derived from its index when asked for, so a blog of a million articles costs no
// memory: the lists below are counted, never stored.
struct SinaBlog::Data
{
    SinaBlogOptions options;
    QString userText;
    QString userHex;
    QStringList categories;
    int uncategorisedCount = 0; // articles in no category
    int favouriteCount = 0;
    QString filler; // the further text of every body
    mutable std::once_flag allArticlesOnce;
    mutable QList<SinaArticle> allArticles; // made on the first call of SinaBlog::articles()

    int articleCount() const { return options.articles; }
    QString loginCookie() const { return QStringLiteral("SUB=author-") + userText; }
    bool inNoCategory(int i) const;
    // Articles before index i that are in no category, and that are favourites.
    int uncategorisedBefore(int i) const;
    int favouritesBefore(int i) const;
    SinaArticle article(int i) const;
    // The index of an article's identifier, or -1.
    int indexOf(const QString& id) const;
    int categorySize(int category) const;
    int inCategory(int category, int j) const; // the index of the j-th article of a category
    int uncategorised(int j) const;            // the j-th article in no category
    int favourite(int j) const;                // the j-th favourite

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

namespace {

// The six base-36 digits of article i's identifier are (i * IdFactor + IdOffset) mod IdRange; the
// factor has an inverse, so the identifier leads back to the index.
constexpr quint64 IdRange = 2176782336ULL; // 36^6
constexpr quint64 IdFactor = 7919;
constexpr quint64 IdOffset = 46656;
constexpr quint64 IdInverse = 955486223;
static_assert(IdFactor * IdInverse % IdRange == 1);

// How many of the positions 0 to i - 1 Chosen() picks.
int ChosenBefore(int i, int n, int wanted, int offset)
{
    if (wanted <= 0 || n <= 0) {
        return 0;
    }
    const qint64 w = std::min(wanted, n);
    return int((qint64(i) * w + offset) / n - qint64(offset) / n);
}

// The smallest k in [low, high] for which rises(k) holds, rises being false and then true; high when none.
int FirstRising(int low, int high, const std::function<bool(int)>& rises)
{
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (rises(middle)) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return low;
}

} // namespace

bool SinaBlog::Data::inNoCategory(int i) const
{
    return options.categories <= 0 ||
           Chosen(i, options.articles, options.uncategorised, options.articles / 3);
}

int SinaBlog::Data::uncategorisedBefore(int i) const
{
    if (options.categories <= 0) {
        return i;
    }
    return ChosenBefore(i, options.articles, options.uncategorised, options.articles / 3);
}

int SinaBlog::Data::favouritesBefore(int i) const
{
    return ChosenBefore(i, options.articles, options.favourites, 0);
}

SinaArticle SinaBlog::Data::article(int i) const
{
    static const QDateTime newest(QDate(2012, 6, 30), QTime(21, 30), QTimeZone::utc());
    const int n = options.articles;
    SinaArticle a;
    a.index = i;
    // The identifier: user in hex, "01", and six base-36 digits that differ for every article.
    a.id = userHex + QStringLiteral("01") + Base36((quint64(i) * IdFactor + IdOffset) % IdRange, 6);
    a.title = QString::fromUtf16(TitleWords[size_t(i) % TitleWords.size()]) + QStringLiteral("之") +
              QString::number(n - i);
    a.date = newest.addSecs(-qint64(i) * (13 * 3600 + 17 * 60)).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    if (!inNoCategory(i)) {
        // Articles are dealt out to the categories in turn.
        const int dealt = i - uncategorisedBefore(i);
        a.category = categories.at(dealt % options.categories);
    }
    a.favourite = Chosen(i, n, options.favourites, 0);
    a.comments = i % (options.comments + 1);
    return a;
}

int SinaBlog::Data::indexOf(const QString& id) const
{
    if (id.size() != 16 || !id.startsWith(userHex + QStringLiteral("01"))) {
        return -1;
    }
    bool ok = false;
    const quint64 digits = id.right(6).toULongLong(&ok, 36);
    if (!ok) {
        return -1;
    }
    const quint64 index = (digits + IdRange - IdOffset) % IdRange * IdInverse % IdRange;
    if (index >= quint64(options.articles) || article(int(index)).id != id) {
        return -1;
    }
    return int(index);
}

int SinaBlog::Data::categorySize(int category) const
{
    const int dealt = options.articles - uncategorisedCount;
    const int c = options.categories;
    return c <= 0 ? 0 : dealt / c + (category < dealt % c ? 1 : 0);
}

int SinaBlog::Data::inCategory(int category, int j) const
{
    const int dealt = category + j * options.categories;
    // The article whose index is one below the first k with dealt + 1 categorised articles before it.
    return FirstRising(1, options.articles, [&](int k) { return k - uncategorisedBefore(k) >= dealt + 1; }) -
           1;
}

int SinaBlog::Data::uncategorised(int j) const
{
    return FirstRising(1, options.articles, [&](int k) { return uncategorisedBefore(k) >= j + 1; }) - 1;
}

int SinaBlog::Data::favourite(int j) const
{
    return FirstRising(1, options.articles, [&](int k) { return favouritesBefore(k) >= j + 1; }) - 1;
}

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
            QString::number(articleCount()) + QStringLiteral(")</em></li>");
    for (qsizetype c = 0; c < categories.size(); ++c) {
        html += QString(options.saved ? QStringLiteral("<li><div class=\"menuCell_main\">")
                                      : QStringLiteral("<li  >")) +
                QStringLiteral("<span class=\"SG_dot\"></span><a href=\"") + listAddress(int(c) + 1, 1) +
                QStringLiteral("\">") + categories.at(c) + QStringLiteral("</a><em>(") +
                QString::number(categorySize(int(c))) + QStringLiteral(")</em></li>");
    }
    html += QStringLiteral("</ul>\n</div>\n<div class=\"menuList\">\n<ul>\n");
    html += QStringLiteral("<li><a href=\"http://") + BlogHost + QStringLiteral("/s/favourites_") + userText +
            QStringLiteral("_1.html\">博文收藏</a><em>(") + QString::number(favouriteCount) +
            QStringLiteral(")</em></li>\n");
    html += QStringLiteral("</ul>\n</div>\n</div>\n</div>\n</div>\n");
    return html;
}

QString SinaBlog::Data::listPage(int category, int page) const
{
    const qsizetype total = category < 0 ? articleCount() : categorySize(category);
    const QString name = category < 0 ? QStringLiteral("全部博文") : categories.at(category);
    QString html = pageTop(QStringLiteral("博文目录")) + sidebar();
    const QString em = options.saved ? QStringLiteral("&lt;em&gt;(") : QStringLiteral("<em>(");
    const QString emEnd = options.saved ? QStringLiteral(")&lt;/em&gt;") : QStringLiteral(")</em>");
    html += QStringLiteral("<div class=\"SG_colW73\">\n<div class=\"SG_conn\">\n<div class=\"SG_connHead\">"
                           "<span comp_title=\"") +
            name + em + QString::number(total) + emEnd + QStringLiteral("\" class=\"title\">") + name +
            QStringLiteral("<em>(") + QString::number(total) + QStringLiteral(")</em></span></div>\n");
    html += QStringLiteral(
        "<div class=\"SG_connBody\">\n<div class=\"article_blk\">\n<div class=\"articleList\">\n");
    const qsizetype first = qsizetype(page - 1) * PageSize;
    for (qsizetype j = first; j >= 0 && j < total && j < first + PageSize; ++j) {
        const SinaArticle a = article(category < 0 ? int(j) : inCategory(category, int(j)));
        html += QStringLiteral("<div class=\"articleCell SG_j_linedot1\">\n<p class=\"atc_main SG_dot\">\n"
                               "<span class=\"atc_ico SG_ico_tuwen\"></span>\n<span class=\"atc_title\">\n"
                               "<a title=\"") +
                (options.saved ? QString() : a.title) + QStringLiteral("\" target=\"_blank\" href=\"") +
                a.address() + QStringLiteral("\">") + a.title +
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
            QString::number(favouriteCount) + QStringLiteral(")</em></span></div>\n");
    html += QStringLiteral("<div class=\"SG_connBody\">\n<ul class=\"favList\">\n");
    const qsizetype first = qsizetype(page - 1) * PageSize;
    for (qsizetype j = first; j >= 0 && j < favouriteCount && j < first + PageSize; ++j) {
        const SinaArticle a = article(favourite(int(j)));
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
                   QString::number(articleCount() - a.index) + QStringLiteral("篇博文。</p>\n");
    for (int k = 1; k <= options.images; ++k) {
        html += QStringLiteral("<p><img src=\"") + Placeholder + QStringLiteral("\" real_src=\"") +
                imageAddress(a, k) + QStringLiteral("\" width=\"8\" height=\"8\" name=\"image_operate_") +
                QString::number(k) + QStringLiteral("\" />&nbsp;</p>\n");
    }
    html += QStringLiteral("<p>窗外的风吹过，写下今天的几行字，记录") +
            (a.category.isEmpty() ? QStringLiteral("生活") : a.category) +
            QStringLiteral("里的点滴。</p>\n<p>&nbsp;</p>\n");
    html += filler;
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
    const int index = indexOf(m.captured(1));
    if (index < 0) {
        return {};
    }
    const SinaArticle a = article(index);
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
        static const QRegularExpression articlePath(QStringLiteral("^/s/blog_([0-9a-z]{16})\\.html$"));
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
        if (const auto m = articlePath.match(request.path); m.hasMatch() && indexOf(m.captured(1)) >= 0) {
            // An archive's captures were made while the blog was open to all.
            if (options.login != 0 && !HasCookie(request, loginCookie()) &&
                !request.hasHeader(Server::CaptureHeader)) {
                return HtmlResponse(SinaBlog::loginNoticePage());
            }
            return HtmlResponse(articlePage(article(indexOf(m.captured(1)))));
        }
        if (const auto m = comment.match(request.path); m.hasMatch() && indexOf(m.captured(1)) >= 0) {
            const SinaArticle a = article(indexOf(m.captured(1)));
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
            const int index = indexOf(userHex + QStringLiteral("01") + aid);
            if (index >= 0) {
                entries.append(u'"' + aid + QStringLiteral("\":{\"c\":") +
                               QString::number(article(index).comments) +
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
        } else if (key == QStringLiteral("textkb")) {
            options.textKb = small;
        } else if (key == QStringLiteral("login")) {
            options.login = small;
        } else if (key == QStringLiteral("saved")) {
            options.saved = number != 0;
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
    for (int c = 0; c < data->options.categories; ++c) {
        QString name = QString::fromUtf16(CategoryWords[size_t(c) % CategoryWords.size()]);
        if (c >= int(CategoryWords.size())) {
            name += QString::number(c / int(CategoryWords.size()) + 1);
        }
        data->categories.append(name);
    }
    const QString paragraph =
        QStringLiteral("<p>这一段文字只为让文章像真正的长文一样长，内容没有什么意义，只是占一些地方。"
                       "Some Latin text as well, as many posts have.</p>\n");
    while (data->filler.toUtf8().size() < qsizetype(data->options.textKb) * 1024) {
        data->filler += paragraph;
    }
    data->uncategorisedCount = data->uncategorisedBefore(n);
    data->favouriteCount = data->favouritesBefore(n);
    d = std::move(data);
}

const SinaBlogOptions& SinaBlog::options() const
{
    return d->options;
}

const QList<SinaArticle>& SinaBlog::articles() const
{
    std::call_once(d->allArticlesOnce, [this] {
        d->allArticles.reserve(d->articleCount());
        for (int i = 0; i < d->articleCount(); ++i) {
            d->allArticles.append(d->article(i));
        }
    });
    return d->allArticles;
}

QStringList SinaBlog::categoryNames() const
{
    return d->categories;
}

QList<int> SinaBlog::favourites() const
{
    QList<int> indexes;
    for (int j = 0; j < d->favouriteCount; ++j) {
        indexes.append(d->favourite(j));
    }
    return indexes;
}

QList<PageKit::ListedArticle> SinaBlog::expectedRows() const
{
    QList<PageKit::ListedArticle> rows;
    auto listed = [](const SinaArticle& a, const QString& category) {
        return PageKit::ListedArticle{a.title, category, a.link(), u'(' + a.date + u')'};
    };
    for (int c = 0; c < int(d->categories.size()); ++c) {
        for (int j = 0; j < d->categorySize(c); ++j) {
            rows.append(listed(d->article(d->inCategory(c, j)), d->categories.at(c)));
        }
    }
    for (int j = 0; j < d->favouriteCount; ++j) {
        const SinaArticle a = d->article(d->favourite(j));
        rows.append(PageKit::ListedArticle{a.title, QStringLiteral("博文收藏"), a.link(), a.date});
    }
    for (int j = 0; j < d->uncategorisedCount; ++j) {
        rows.append(listed(d->article(d->uncategorised(j)), QStringLiteral("未分类")));
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
        addresses.append(d->imageAddress(d->article(index), k));
    }
    return addresses;
}

QString SinaBlog::commentCounterAddress(int index) const
{
    const QString id = d->article(index).id;
    return QStringLiteral("http://") + CountHost + QStringLiteral("/api/num.php?uid=") + id.left(8) +
           QStringLiteral("&aids=") + id.right(6);
}

int SinaBlog::commentPageCount(int index) const
{
    return PagesFor(d->article(index).comments);
}

QString SinaBlog::commentPageAddress(int index, int page) const
{
    return d->commentAddress(d->article(index), page);
}

QString SinaBlog::articleBody(int index) const
{
    return d->body(d->article(index));
}

QByteArray SinaBlog::imageBytes(const QString& address) const
{
    return d->image(address);
}

QByteArray SinaBlog::commentPageReply(int index, int page) const
{
    return d->commentReply(d->article(index), page);
}

QString SinaBlog::loginCookie() const
{
    return d->loginCookie();
}

QString SinaBlog::loginNoticePage()
{
    return QStringLiteral(
        "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
        "<title>新浪博客</title>\n</head>\n<body>\n<div class=\"sinablogbody\">\n"
        "<div class=\"errorBox\"><p>系统维护中，博文仅作者可见。登陆后可查看本人文章</p>"
        "<a href=\"https://login.sina.com.cn/\">登录</a></div>\n"
        "<div id=\"column_2\"><p class=\"copyright\"><a href=\"http://corp.sina.com.cn/chn/\">"
        "新浪公司</a> <a href=\"http://corp.sina.com.cn/chn/copyright.html\">"
        "版权所有</a></p></div>\n</div>\n</body>\n</html>\n");
}

QStringList SinaBlog::addresses() const
{
    QStringList all;
    for (int p = 1; p <= std::max(1, PagesFor(d->articleCount())); ++p) {
        all.append(d->listAddress(0, p));
    }
    for (int c = 0; c < int(d->categories.size()); ++c) {
        for (int p = 1; p <= std::max(1, PagesFor(d->categorySize(c))); ++p) {
            all.append(d->listAddress(c + 1, p));
        }
    }
    for (int p = 1; p <= PagesFor(d->favouriteCount); ++p) {
        all.append(d->favouritesAddress(p));
    }
    for (int i = 0; i < d->articleCount(); ++i) {
        const SinaArticle a = d->article(i);
        all.append(a.address());
        for (int k = 1; k <= d->options.images; ++k) {
            all.append(d->imageAddress(a, k));
        }
        all.append(commentCounterAddress(i));
        for (int p = 1; p <= PagesFor(a.comments); ++p) {
            all.append(d->commentAddress(a, p));
        }
    }
    return all;
}

void SinaBlog::install(Server& server) const
{
    server.addHandler([data = d](const Request& request) { return data->answer(request); });
    server.addSiteAddresses([blog = *this] { return blog.addresses(); });
    server.addFirstPage(firstPageAddress());
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
    if (options->login != 0) {
        std::fprintf(stderr, "its articles want the login cookie %s on .sina.com.cn\n",
                     qPrintable(blog.loginCookie()));
    }
}

} // namespace FakeWeb
