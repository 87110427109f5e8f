#include "generators.h"

#include "cerspblog.h"
#include "chinaunixblog.h"
#include "cnblogsblog.h"
#include "csdnblog.h"
#include "health39blog.h"
#include "ifengblog.h"
#include "listpageblogs.h"
#include "listpagesamples.h"
#include "neteaseblog.h"
#include "qzoneblog.h"
#include "server.h"
#include "sinablog.h"
#include "yaolanblog.h"

namespace FakeWeb {

namespace {

// The installer of a list-page blog's option; an archive learns its first page and articles. An announced blog tells where it lives, for the
// platforms whose address the user types.
std::function<void(Server&, const QString&)> listPageBlog(GeneratedBlog (*install)(Server&, const BlogSize&),
                                                          bool announced = false)
{
    return [=](Server& server, const QString& arg) {
        const GeneratedBlog blog = install(server, parseBlogSize(arg));
        server.addFirstPage(blog.address);
        server.addSiteAddresses([blog] { return blog.articleAddresses + blog.imageAddresses; });
        if (announced) {
            ListPageSamples::announce(blog);
        }
    };
}

} // namespace

const QList<Generator>& generators()
{
    // clang-format off
    static const QList<Generator> all = {
        {QStringLiteral("sina"), QStringLiteral("A Sina blog: \"user=1234567890,articles=1000,categories=5,uncategorised=0,favourites=20,images=2,comments=3,textkb=20,login=1,saved=1\" (every key optional; textkb lengthens every article by so many kilobytes; login makes article pages want the author's login cookie, printed at start; saved=1 writes the list pages as a browser saves them)."), installSinaBlog},
        {QStringLiteral("health39"),
         QStringLiteral(
             "39 health blog NAME[:ARTICLES[:CATEGORIES]] at http://blog.39.net/NAME/ArticleList_0_1.html"),
         PageKit::installBlog<Health39Blog>(60, 3)},
        {QStringLiteral("cnblogs"),
         QStringLiteral("cnblogs blog NAME[:POSTS[:CATEGORIES]] at http://www.cnblogs.com/NAME"),
         PageKit::installBlog<CnblogsBlog>(45, 3)},
        {QStringLiteral("cnblogs-later"),
         QStringLiteral("cnblogs blog NAME[:POSTS[:CATEGORIES]] at http://www.cnblogs.com/NAME as the site serves it now (posts at /p/NUMBER.html, categories from /ajax/sidecolumn.aspx)"),
         [](Server& server, const QString& arg) {
             const PageKit::BlogSize size = PageKit::parseBlogSize(arg, 45, 3);
             CnblogsBlog::laterLayout(size.name, size.articles, size.categories).install(server);
         }},
        {QStringLiteral("qzone"),
         QStringLiteral(
             "QQ zone blog QQNUMBER[:ARTICLES[:CATEGORIES]] (http://user.qzone.qq.com/QQNUMBER/blog)"),
         PageKit::installBlog<QzoneBlog>(120, 3)},
        {QStringLiteral("netease"),
         QStringLiteral("NetEase blog NAME[:ARTICLES[:CATEGORIES]] at http://NAME.blog.163.com/blog/"),
         PageKit::installBlog<NeteaseBlog>(45, 3)},
        {QStringLiteral("netease-2015"),
         QStringLiteral("NetEase blog NAME[:ARTICLES[:CATEGORIES]] whose article pages have the site's later layout (header and share bar inside the body's container)"),
         [](Server& server, const QString& arg) {
             const PageKit::BlogSize size = PageKit::parseBlogSize(arg, 45, 3);
             NeteaseBlog blog(size.name, size.articles, size.categories);
             blog.serveLaterLayout();
             blog.install(server);
         }},
        {QStringLiteral("baidu-blog"), QStringLiteral("A Baidu space blog: NAME[:ARTICLES[:PER_PAGE]]."), listPageBlog(installBaiduBlog)},
        {QStringLiteral("hexun-blog"), QStringLiteral("A Hexun blog: NAME[:ARTICLES[:PER_PAGE]]."), listPageBlog(installHexunBlog)},
        {QStringLiteral("sohu-blog"), QStringLiteral("A Sohu blog: NAME[:ARTICLES[:PER_PAGE]]."), listPageBlog(installSohuBlog)},
        {QStringLiteral("tianya-blog"), QStringLiteral("A Tianya blog: BLOGID[:ARTICLES[:PER_PAGE]]."), listPageBlog(installTianyaBlog)},
        {QStringLiteral("tianya2-blog"), QStringLiteral("A Tianya 2 blog: NAME[:ARTICLES[:PER_PAGE]]."), listPageBlog(installTianya2Blog)},
        {QStringLiteral("cto51-blog"), QStringLiteral("A 51cto blog: NAME[:ARTICLES[:PER_PAGE]]."), listPageBlog(installCto51Blog)},
        {QStringLiteral("cto51-blog-2022"), QStringLiteral("A 51cto blog whose article pages have the site's later layout (UTF-8, the body in div#result): NAME[:ARTICLES[:PER_PAGE]]."), listPageBlog(installCto51LaterBlog)},
        {QStringLiteral("ifeng-blog"), QStringLiteral("An iFeng blog: NAME[:ARTICLES[:PER_PAGE]]; its address is printed on the error output."), listPageBlog(installIfengBlog, true)},
        {QStringLiteral("yaolan-blog"), QStringLiteral("A Yaolan blog: NAME[:ARTICLES[:PER_PAGE]]."), listPageBlog(installYaolanBlog)},
        {QStringLiteral("csdn-blog"), QStringLiteral("A CSDN blog: NAME[:ARTICLES[:PER_PAGE]]."), listPageBlog(installCsdnBlog)},
        {QStringLiteral("csdn-category"), QStringLiteral("A CSDN blog as the site serves it now, at its category page http://blog.csdn.net/NAME/category_4321.html: NAME[:ARTICLES[:PER_PAGE]]."), listPageBlog(installCsdnCategoryBlog)},
        {QStringLiteral("chinaunix-blog"), QStringLiteral("A ChinaUnix blog: UID[:ARTICLES[:PER_PAGE]]."), listPageBlog(installChinaUnixBlog)},
        {QStringLiteral("cersp-blog"), QStringLiteral("A CERSP area 1 blog: UID[:ARTICLES] (30 a page)."), listPageBlog(installCerspBlog)},
        {QStringLiteral("cersp-eblog"), QStringLiteral("A CERSP area 2 blog: NAME[:ARTICLES[:PER_PAGE]]; its address is printed on the error output."), listPageBlog(installCerspEblogBlog, true)},
    };
    // clang-format on
    return all;
}

} // namespace FakeWeb
