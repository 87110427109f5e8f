#pragma once

#include "pagekit.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace FakeWeb {

class Server;

// A generated Sina-style blog of any size, served by the fake web. Everything is derived from the
// options, so two blogs with the same options are identical byte for byte; pages are made when asked
// for, so a blog of 100,000 articles costs no more memory than one of ten.
//
// What it serves (host names as the real site had them):
//  - article lists, 50 articles a page, newest first, UTF-8:
//      http://blog.sina.com.cn/s/articlelist_<user>_0_<n>.html  all articles; page 1 is the blog's
//          first article-list page and carries the category block, the favourites line and the
//          all-articles heading;
//      http://blog.sina.com.cn/s/articlelist_<user>_<c>_<n>.html  category c (1, 2, ...);
//      http://blog.sina.com.cn/s/favourites_<user>_0<n>.html  favourites page n (also without the 0);
//    a page number beyond the last page gives a list without articles;
//  - article pages http://blog.sina.com.cn/s/blog_<id>.html, the body between "<!-- 正文开始 -->" and
//    "<!-- 正文结束 -->" (see articleBody);
//  - images in the bodies, as Sina wrote them: <img src="http://simg.sinajs.cn/blog7style/images/
//    common/sg_trans.gif" real_src="http://sN.sinaimg.cn/middle/<id>_<k>.png" ...>, odd k a PNG, even k a
//    JPEG (see imageBytes);
//  - the comment counter http://comet.blog.sina.com.cn/api/num.php?uid=<first 8 id chars>&aids=<last 6>
//    answering {"<aids>":{"c":<count>,"r":0,"f":0,"z":0,"d":0}};
//  - comment pages http://blog.sina.com.cn/s/comment_<id>_<k>.html, 50 comments each, as the escaped
//    script reply of the real site ({"code":"A00006",data:"..."} with \" \/ and \uXXXX escapes).
// With login set, an article page is shown only to its author: a request without the author's login
// cookie (loginCookie) gets the site's page with the notice "系统维护中，博文仅作者可见。登陆后可查看本人
// 文章" and no body, as the real site answers since about 2022; a web archive's captures (made before)
// hold the articles.
// Requests for other users' addresses are left to other handlers.
struct SinaBlogOptions
{
    quint32 user = 1234567890; // the blog's user number
    int articles = 100;
    int categories = 5;    // articles are dealt out to the categories in turn
    int uncategorised = 0; // articles in no category: only the all-articles pages list them
    int favourites = 0;    // the blog's own articles listed again in the favourites
    int images = 0;        // images in every article
    int comments = 0;      // article i has i % (comments + 1) comments
    int textKb = 0;        // kilobytes of further text in every article body, as long posts have
    int login = 0;         // not 0: article pages need the author's login cookie
    // Category and article-list pages as a browser saves them from the site (empty title attributes,
    // the heading's "<em>" as entities, category entries in plain "<li>" tags).
    bool saved = false;

    // Reads "user=1234567890,articles=1000,categories=5,uncategorised=0,favourites=20,images=2,
    // comments=3,textkb=20,login=1,saved=1"; every key is optional. Empty with *error set when a key or value is
    // wrong.
    static std::optional<SinaBlogOptions> parse(const QString& text, QString* error = nullptr);
};

struct SinaArticle
{
    int index = 0;    // position in the blog, 0 the newest
    QString id;       // 16 characters: the user number in 8 hex digits, "01", 6 more
    QString title;    // a safe file name already
    QString category; // empty: in no category
    QString date;     // "2012-06-30 21:30"; the article lists show it in brackets
    bool favourite = false;
    int comments = 0;

    QString link() const { return QStringLiteral("blog_") + id + QStringLiteral(".html"); }
    QString address() const { return QStringLiteral("http://blog.sina.com.cn/s/") + link(); }
};

class SinaBlog
{
public:
    explicit SinaBlog(const SinaBlogOptions& options = {});

    const SinaBlogOptions& options() const;
    const QList<SinaArticle>& articles() const;
    QStringList categoryNames() const;
    QList<int> favourites() const; // article indexes, in the order of the favourites pages

    // The rows of the article list as a complete search of the blog yields them, in the order in which
    // it appends them: each article under its category in turn, each favourite again under "博文收藏",
    // then the articles in no category under "未分类".
    QList<PageKit::ListedArticle> expectedRows() const;

    // Addresses.
    QString firstPageAddress() const; // the blog address a task is given
    QString allArticlesPageAddress(int page) const;
    QString categoryPageAddress(int category, int page) const; // category 0 is the first
    QString favouritesPageAddress(int page) const;             // as the search asks for it
    QStringList imageAddresses(int index) const;
    QString commentCounterAddress(int index) const;
    int commentPageCount(int index) const;
    QString commentPageAddress(int index, int page) const;

    // Content.
    QString articleBody(int index) const;                // the text between the body markers
    QByteArray imageBytes(const QString& address) const; // empty for an address of no image here
    QByteArray commentPageReply(int index, int page) const;

    // The author's login: the cookie (name=value) that article pages of a blog with login want.
    QString loginCookie() const;
    static QString loginNoticePage();

    // Every address above the blog serves: list and favourites pages, articles, images, comment
    // counters and comment pages.
    QStringList addresses() const;

    // Adds a handler answering every address above, and tells the server where they are.
    void install(Server& server) const;

    struct Data;

private:
    std::shared_ptr<const Data> d;
};

// The fakeweb executable's --sina option: parses the options (see SinaBlogOptions::parse) and installs
// the blog; a wrong option ends the program with a message.
void installSinaBlog(Server& server, const QString& arg);

} // namespace FakeWeb
