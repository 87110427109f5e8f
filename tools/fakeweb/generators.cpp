#include "generators.h"

#include "listpageblogs.h"
#include "server.h"

namespace FakeWeb {

const QList<Generator>& generators()
{
    // clang-format off
    static const QList<Generator> all = {
        {QStringLiteral("baidu-blog"), QStringLiteral("A Baidu space blog: NAME[:ARTICLES[:PER_PAGE]]."), [](Server& s, const QString& a) { installBaiduBlog(s, parseBlogSize(a)); }},
        {QStringLiteral("hexun-blog"), QStringLiteral("A Hexun blog: NAME[:ARTICLES[:PER_PAGE]]."), [](Server& s, const QString& a) { installHexunBlog(s, parseBlogSize(a)); }},
        {QStringLiteral("sohu-blog"), QStringLiteral("A Sohu blog: NAME[:ARTICLES[:PER_PAGE]]."), [](Server& s, const QString& a) { installSohuBlog(s, parseBlogSize(a)); }},
        {QStringLiteral("tianya-blog"), QStringLiteral("A Tianya blog: BLOGID[:ARTICLES[:PER_PAGE]]."), [](Server& s, const QString& a) { installTianyaBlog(s, parseBlogSize(a)); }},
        {QStringLiteral("tianya2-blog"), QStringLiteral("A Tianya 2 blog: NAME[:ARTICLES[:PER_PAGE]]."), [](Server& s, const QString& a) { installTianya2Blog(s, parseBlogSize(a)); }},
        {QStringLiteral("cto51-blog"), QStringLiteral("A 51cto blog: NAME[:ARTICLES[:PER_PAGE]]."), [](Server& s, const QString& a) { installCto51Blog(s, parseBlogSize(a)); }},
    };
    // clang-format on
    return all;
}

} // namespace FakeWeb
