#include "model/platformprofile.h"

#include "model/endpoints.h"
#include "text/matching.h"

namespace Model {

using Text::HashToQuote;

PlatformProfileTable::PlatformProfileTable()
{
    BuildPlatformProfileTable();
}

void PlatformProfileTable::BuildPlatformProfileTable()
{
    static const std::array<const char16_t*, PlatformCount> names{
        u"新浪",          u"百度",          u"和讯",   u"网易",  u"搜狐", u"凤凰",
        u"QQ空间",        u"39健康博客",    u"天涯",   u"摇篮",  u"CSDN", u"ChinaUnix",
        u"中国教育平台1", u"中国教育平台2", u"博客园", u"天涯2", u"51cto"};
    static const std::array<const char16_t*, PlatformCount> charsets{
        u"UTF-8", u"GB2312", u"GB2312", u"GB2312", u"GB2312", u"UTF-8", u"GB2312", u"GB2312", u"GB2312",
        u"UTF-8", u"UTF-8",  u"GB2312", u"GB2312", u"GB2312", u"UTF-8", u"GB2312", u"GB2312"};
    const QString quote = QStringLiteral("\"");
    const std::array<QString, PlatformCount> starts{
        QStringLiteral("<!-- 正文开始 -->"),
        QStringLiteral("<span class=modtit>查看文章</span></div>"),
        QStringLiteral("<!--  文章内容:开始  -->"),
        QStringLiteral("<div class=") + quote + QStringLiteral("multicntwrap") + quote + QStringLiteral(">"),
        HashToQuote(QStringLiteral("<div class=#item-body#>")),
        HashToQuote(QStringLiteral("{#message#:#")),
        QStringLiteral("<!-- 日志内容 开始 -->"),
        HashToQuote(QStringLiteral("<div class=#passage_info#>")),
        HashToQuote(QStringLiteral("<div class=#article#>")),
        HashToQuote(QStringLiteral("<div id=#divContent#>")),
        HashToQuote(QStringLiteral("<div class=#article_manage#>")),
        HashToQuote(QStringLiteral("<div class=#tit7#>")),
        QStringLiteral("<!-- 内容. -->"),
        QStringLiteral("</strong></td>"),
        HashToQuote(QStringLiteral("<div class=#post#>")),
        HashToQuote(QStringLiteral("<div class=#vtime#>作者：")),
        QStringLiteral("<!--正文 begin-->"),
    };
    const std::array<QString, PlatformCount> ends{
        QStringLiteral("<!-- 正文结束 -->"),
        QStringLiteral("网友评论：</div>"),
        QStringLiteral("<!-- 分享 -->"),
        HashToQuote(QStringLiteral("<script type=#text/javascript# id=#wumiiRelatedItems#></script>")),
        HashToQuote(QStringLiteral("<div class=#pn_na#>")),
        quote + QStringLiteral("};") + QChar(10) + QStringLiteral("document.getElementById"),
        QStringLiteral("<!-- 日志内容 结束 -->"),
        QStringLiteral("<!-- 文章信息 end-->"),
        HashToQuote(QStringLiteral("<div class=#post-articlecomments#>")),
        HashToQuote(QStringLiteral("<div class=#Related_con# id=#relatediary#>")),
        HashToQuote(QStringLiteral("<div class=#share_buttons# id=#sharePanel#></div>")),
        HashToQuote(QStringLiteral("<div class=#cont5#>")),
        QStringLiteral("<!-- 该文章的上一篇和下一篇文章列表 -->"),
        HashToQuote(QStringLiteral("<td><div align=#right#><span class=#textbox-urls#>")),
        QStringLiteral("$ = jQuery.noConflict();"),
        HashToQuote(QStringLiteral("<div id=#divRecommend# align=#center#>")),
        QStringLiteral("<!--正文 end-->"),
    };
    const QString copyright = QStringLiteral(">版权所有</a></p>");
    const QString notOpen = QStringLiteral("myblog/htmlsource/blog_notopen");
    const QString sohuGone = QStringLiteral("请再次确认您访问的博客或文章的地址");
    const QString ifengScript = QStringLiteral(".innerHTML =");
    const std::array<std::array<QString, 3>, PlatformCount> noArticle{{
        {copyright, QStringLiteral("http://") + Endpoints::SinaBlogHost() + QStringLiteral("/main_v5/ria"),
         notOpen},
        {copyright, QStringLiteral("免责声明</FONT>"), notOpen},
        {QStringLiteral("主人将内容设置为"), QStringLiteral("和讯网"),
         QStringLiteral("可以免去记忆多个帐号的麻烦")},
        {QStringLiteral("你试图访问的日志地址不存在"), QStringLiteral("版权所有"),
         QStringLiteral("你试图访问的日志地址不存在")},
        {QStringLiteral("如果地址无误就说明此博客或文章已被删"), sohuGone, sohuGone},
        {ifengScript, ifengScript, ifengScript},
        {QString(), QString(), QString()},
        {QStringLiteral("<p>39健康网 版权所有</p>"), QString(), QString()},
        {QStringLiteral("iframe_soso_ping"), QString(), QString()},
        {QStringLiteral("北京世纪摇篮网络技术有限公司版权所有"), QString(), QString()},
        {HashToQuote(QStringLiteral("不代表CSDN网站的观点或立场<a name=#reply#>")), QString(), QString()},
        {QStringLiteral("感谢所有关心和支持过ChinaUnix的朋友们<br"), QString(), QString()},
        {QStringLiteral("请稍候，评论提交中"), QString(), QString()},
        {QStringLiteral("游客无须输入密码)</ul>"), QString(), QString()},
        {HashToQuote(QStringLiteral("<div class=#RecentComment#>")), QString(), QString()},
        {QStringLiteral("天涯社区"), QString(), QString()},
        {QStringLiteral("Copyright By ") + Endpoints::Cto51SiteDomain().toUpper() +
             QStringLiteral(" 版权所有"),
         QString(), QString()},
    }};
    for (int code = 0; code < PlatformCount; ++code) {
        PlatformProfile& row = m_rows[size_t(code)];
        row.Name = QString::fromUtf16(names[size_t(code)]);
        row.Charset = QString::fromUtf16(charsets[size_t(code)]);
        row.BodyStartMarker = starts[size_t(code)];
        row.BodyEndMarker = ends[size_t(code)];
        row.NoArticleMarker1 = noArticle[size_t(code)][0];
        row.NoArticleMarker2 = noArticle[size_t(code)][1];
        row.NoArticleMarker3 = noArticle[size_t(code)][2];
    }
}

const PlatformProfile& PlatformProfileTable::operator[](int code) const
{
    static const PlatformProfile none;
    if (!IsPlatformCode(code)) {
        return none;
    }
    return m_rows[size_t(code)];
}

void PlatformProfileTable::SetBodyMarkers(int code, const QString& startText, const QString& endText)
{
    if (!IsPlatformCode(code)) {
        return;
    }
    m_rows[size_t(code)].BodyStartMarker = startText;
    m_rows[size_t(code)].BodyEndMarker = endText;
}

} // namespace Model
