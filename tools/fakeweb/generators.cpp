#include "generators.h"

#include "cnblogsblog.h"
#include "health39blog.h"
#include "neteaseblog.h"
#include "qzoneblog.h"
#include "server.h"

namespace FakeWeb {

const QList<Generator>& generators()
{
    static const QList<Generator> all = {
        {QStringLiteral("health39"),
         QStringLiteral(
             "39 health blog NAME[:ARTICLES[:CATEGORIES]] at http://blog.39.net/NAME/ArticleList_0_1.html"),
         PageKit::installBlog<Health39Blog>(60, 3)},
        {QStringLiteral("cnblogs"),
         QStringLiteral("cnblogs blog NAME[:POSTS[:CATEGORIES]] at http://www.cnblogs.com/NAME"),
         PageKit::installBlog<CnblogsBlog>(45, 3)},
        {QStringLiteral("qzone"),
         QStringLiteral(
             "QQ zone blog QQNUMBER[:ARTICLES[:CATEGORIES]] (http://user.qzone.qq.com/QQNUMBER/blog)"),
         PageKit::installBlog<QzoneBlog>(120, 3)},
        {QStringLiteral("netease"),
         QStringLiteral("NetEase blog NAME[:ARTICLES[:CATEGORIES]] at http://NAME.blog.163.com/blog/"),
         PageKit::installBlog<NeteaseBlog>(45, 3)},
    };
    return all;
}

} // namespace FakeWeb
