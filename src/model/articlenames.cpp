#include "model/articlenames.h"

#include "model/cto51paths.h"
#include "model/endpoints.h"
#include "model/platformprofile.h"
#include "text/safefilename.h"
#include "text/textprimitives.h"

namespace Model {

using namespace Endpoints;

QString LocalFileName(int platform, const QString& link)
{
    QString name = Text::SafeFileName(link);
    if (platform == Qzone || !link.right(10).contains(QStringLiteral("htm"), Qt::CaseSensitive)) {
        name += QStringLiteral(".html");
    }
    return Text::Replace(name, QStringLiteral(".shtml"), QStringLiteral(".html"));
}

QString ArticlePageReference(int platform, const QString& category, const QString& link)
{
    const QString folder = Text::SafeFileName(category);
    const QString name = LocalFileName(platform, link);
    return folder.isEmpty() ? name : folder + u'/' + name;
}

namespace {

QString CommonAddress(const ArticleKey& key)
{
    const QString http = QStringLiteral("http://");
    const QString& task = key.taskName;
    const QString& link = key.link;
    switch (key.platform) {
    case Sina:
        return http + SinaBlogHost() + QStringLiteral("/s/") + link;
    case Baidu:
        return http + BaiduSpaceHost() + u'/' + task + QStringLiteral("/blog/item/") + link;
    case Hexun:
        return http + task + u'.' + HexunBlogDomain() + u'/' + link;
    case Netease:
        if (key.neteasePathForm) {
            return http + NeteaseBlogHost() + u'/' + task + QStringLiteral("/blog/static/") + link + u'\\';
        }
        return http + task + u'.' + NeteaseBlogDomain() + QStringLiteral("/blog/static/") + link + u'\\';
    case Sohu:
        return http + task + u'.' + SohuBlogDomain() + u'/' + link;
    case Health39:
        return http + Health39BlogHost() + u'/' + task + u'/' + link;
    case Tianya:
    case Tianya2:
        return http + TianyaBlogHost() + QStringLiteral("/blogger/post_read.asp?BlogID=") + task +
               QStringLiteral("&PostID=") + link;
    case Yaolan:
        return http + YaolanSpaceHost() + u'/' + task + QStringLiteral("/blog/") + link;
    case Csdn:
        return http + CsdnBlogHost() + u'/' + task + QStringLiteral("/article/details/") + link;
    case ChinaUnix:
        return http + ChinaUnixBlogHost() + u'/' + link;
    case CerspEblog:
        return http + CerspEblogHost() + link;
    case Cnblogs:
        // "p/NUMBER.html": a post at the site's later address; "YYYY/MM/DD/NUMBER.html": a post at the
        // earlier one; "NUMBER.html": an article.
        if (link.startsWith(QStringLiteral("p/"))) {
            return http + CnblogsHost() + u'/' + task + u'/' + link;
        }
        return http + CnblogsHost() + u'/' + task +
               (link.contains(u'/') ? QStringLiteral("/archive/") : QStringLiteral("/articles/")) + link;
    case Cto51:
        if (IsCto51UserPath(task)) {
            return http + Cto51BlogDomain() + u'/' + task + u'/' + link;
        }
        return http + task + u'.' + Cto51BlogDomain() + u'/' + link;
    default:
        return {};
    }
}

} // namespace

QString ArticleAddress(const ArticleKey& key)
{
    const QString http = QStringLiteral("http://");
    switch (key.platform) {
    case Ifeng:
        return http + IfengBlogHost() + QStringLiteral("/article/") + key.link + QStringLiteral(".html");
    case Qzone:
        return http + QzoneUserHost() + u'/' + key.taskName + QStringLiteral("/blog/") + key.link;
    case Cersp:
        return http + CerspBlogHost() + QStringLiteral("/index/") + key.taskName +
               QStringLiteral(".jspx?articleId=") + key.link;
    default:
        return CommonAddress(key);
    }
}

QString ArticleFetchAddress(const ArticleKey& key)
{
    const QString http = QStringLiteral("http://");
    switch (key.platform) {
    case Ifeng:
        return http + IfengStaticHost() + QStringLiteral("/article/") + key.link.right(3) + u'/' +
               key.link.right(6) + QStringLiteral("/blog_") + key.link + QStringLiteral(".js");
    case Qzone:
        return http + QzoneDataHost() + QStringLiteral("/cgi-bin/blognew/blog_output_data?uin=") +
               key.taskName + QStringLiteral("&blogid=") + key.link + QStringLiteral("&styledm=") +
               QzoneStyleDomain() + QStringLiteral("&imgdm=") + QzoneImageDomain();
    case Cersp:
        return http + CerspBlogHost() + QStringLiteral("/index/article/view/") + key.link +
               QStringLiteral(".jspx?blogUserId=") + key.taskName;
    default:
        return CommonAddress(key);
    }
}

QString UnescapeUnicode(QString& text)
{
    // One pass, left to right: every escape is replaced where it stands, in time linear in the text. This
    // equals replacing all copies of each escape as it is met, except where an escaped backslash, "u" or
    // hexadecimal digit joins with what follows into a new escape; such text is not found in pages.
    if (!text.contains(QStringLiteral("\\u"))) {
        return text;
    }
    QString result;
    result.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' && i + 5 < n && text.at(i + 1) == u'u') {
            int value = 0;
            bool ok = true;
            for (qsizetype k = i + 2; k < i + 6; ++k) {
                const int digit = Text::DigitValue(text.at(k), 16);
                if (digit < 0) {
                    ok = false;
                    break;
                }
                value = value * 16 + digit;
            }
            if (ok) {
                result += QChar(char16_t(value));
                i += 5;
                continue;
            }
        }
        result += c;
    }
    text = result;
    return text;
}

} // namespace Model
