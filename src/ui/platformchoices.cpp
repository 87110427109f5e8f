#include "ui/platformchoices.h"

#include "model/cto51paths.h"
#include "model/endpoints.h"
#include "model/platformprofile.h"

namespace Ui {

namespace E = Model::Endpoints;

namespace {

const QString GeneratedHint = QStringLiteral("地址不需输入，会自动生成");
const QString IdHint = QStringLiteral("名称就是填ID，地址不需输入，会自动生成");
const QString CrLf = QStringLiteral("\r\n");

std::array<PlatformChoice, ChoiceCount> BuildChoices()
{
    const QString http = QStringLiteral("http://");
    return {{
        {QStringLiteral("新浪"), true,
         QStringLiteral("请输入名称与地址，名称可以随意，地址就是填 “博文目录” 的链接") + CrLf +
             QStringLiteral("下载时会自动退出登录新浪，下载完后请重新登录。"),
         QStringLiteral("sinablog"),
         http + E::SinaBlogHost() + QStringLiteral("/s/articlelist_1234567890_0_1.html"),
         CommentSwitch::EnabledOn},
        {QStringLiteral("百度"),
         false,
         GeneratedHint,
         QStringLiteral("baiduname"),
         {},
         CommentSwitch::DisabledKept},
        {QStringLiteral("和讯"),
         false,
         GeneratedHint,
         QStringLiteral("hexunname"),
         {},
         CommentSwitch::DisabledKept},
        {QStringLiteral("网易"),
         false,
         GeneratedHint,
         QStringLiteral("neteasename"),
         {},
         CommentSwitch::DisabledKept},
        {QStringLiteral("搜狐"),
         false,
         GeneratedHint,
         QStringLiteral("sohuname"),
         {},
         CommentSwitch::DisabledKept},
        {QStringLiteral("凤凰"), true,
         QStringLiteral("请输入名称与地址，名称可以随意，地址就是填 “博客” 的链接"),
         QStringLiteral("ifengblog"), http + E::IfengBlogHost() + QStringLiteral("/1234567.html"),
         CommentSwitch::DisabledKept},
        {QStringLiteral("QQ空间"),
         false,
         QStringLiteral("名称是QQ号码，地址不需输入，会自动生成"),
         QStringLiteral("123456789"),
         {},
         CommentSwitch::DisabledKept},
        {QStringLiteral("39健康"),
         false,
         GeneratedHint,
         QStringLiteral("healthname"),
         {},
         CommentSwitch::DisabledKept},
        {QStringLiteral("天涯"),
         false,
         QStringLiteral(
             "名称就是填ID，地址不需输入，会自动生成,天涯的图片有防盗链,评论目前只下一页，且是强制的"),
         QStringLiteral("1234567"),
         {},
         CommentSwitch::DisabledOff},
        {QStringLiteral("摇篮"), false, IdHint, QStringLiteral("yaolanid"), {}, CommentSwitch::DisabledOff},
        {QStringLiteral("CSDN"), false, IdHint, QStringLiteral("csdnid"), {}, CommentSwitch::DisabledOff},
        {QStringLiteral("ChinaUnix"),
         false,
         IdHint,
         QStringLiteral("1234567"),
         {},
         CommentSwitch::DisabledOff},
        {QStringLiteral("中国教育平台1"),
         false,
         QStringLiteral("这是对应博客一区") + CrLf + IdHint,
         QStringLiteral("cerspid"),
         {},
         CommentSwitch::DisabledOff},
        {QStringLiteral("中国教育平台2"), true,
         QStringLiteral("请输入名称与地址，名称可以随意，地址就是填 “首页” 的链接") + CrLf +
             QStringLiteral("因为博客二区正在改版，格式不统一，可能有些不能下载请反馈！"),
         QStringLiteral("cerspblog"),
         http + E::CerspEblogHost() + QStringLiteral("/userlog12/123456/index.shtml"),
         CommentSwitch::DisabledOff},
        {QStringLiteral("博客园"),
         false,
         IdHint,
         QStringLiteral("cnblogsid"),
         {},
         CommentSwitch::DisabledOff},
        {QStringLiteral("天涯2"),
         false,
         QStringLiteral("名称就是填用户名，地址不需输入，会自动生成,只能下载天涯站外的图片"),
         QStringLiteral("tianyaname"),
         {},
         CommentSwitch::DisabledOff},
        {QStringLiteral("51cto"),
         false,
         QStringLiteral("名称就是填用户名，地址不需输入，会自动生成"),
         QStringLiteral("ctoname"),
         {},
         CommentSwitch::DisabledOff},
    }};
}

} // namespace

const std::array<PlatformChoice, ChoiceCount>& PlatformChoices()
{
    static const std::array<PlatformChoice, ChoiceCount> choices = BuildChoices();
    return choices;
}

int PlatformOfItem(const QString& item)
{
    const auto& choices = PlatformChoices();
    for (int code = 0; code < ChoiceCount; ++code) {
        if (choices[size_t(code)].item == item) {
            return code;
        }
    }
    return -1;
}

QString GeneratedAddress(int code, const QString& name)
{
    const QString http = QStringLiteral("http://");
    switch (code) {
    case Model::Baidu:
        return http + E::BaiduSpaceHost() + u'/' + name + QStringLiteral("/blog");
    case Model::Hexun:
        return http + name + u'.' + E::HexunBlogDomain();
    case Model::Netease:
        return http + name + u'.' + E::NeteaseBlogDomain() + QStringLiteral("/blog/");
    case Model::Sohu:
        return http + name + u'.' + E::SohuBlogDomain() + QStringLiteral("/entry/");
    case Model::Qzone:
        return http + E::QzoneUserHost() + u'/' + name + QStringLiteral("/blog");
    case Model::Health39:
        return http + E::Health39BlogHost() + u'/' + name + QStringLiteral("/ArticleList_0_1.html");
    case Model::Tianya:
        return http + E::TianyaBlogHost() + QStringLiteral("/blogger/blog_main.asp?BlogID=") + name;
    case Model::Yaolan:
        return http + E::YaolanSpaceHost() + u'/' + name + QStringLiteral("/blog/list");
    case Model::Csdn:
        return http + E::CsdnBlogHost() + u'/' + name + QStringLiteral("/article/list");
    case Model::ChinaUnix:
        return http + E::ChinaUnixBlogHost() + QStringLiteral("/space.php?uid=") + name +
               QStringLiteral("&page=1");
    case Model::Cersp:
        return http + E::CerspBlogHost() + QStringLiteral("/index/") + name + QStringLiteral(".jspx");
    case Model::Cnblogs:
        return http + E::CnblogsHost() + u'/' + name;
    case Model::Tianya2:
        return http + name + u'.' + E::TianyaBlogDomain();
    case Model::Cto51:
        if (Model::IsCto51UserPath(name)) {
            return http + E::Cto51BlogDomain() + u'/' + name;
        }
        return http + name + u'.' + E::Cto51BlogDomain();
    default:
        return {};
    }
}

QString EblogAddress(const QString& address)
{
    QString result = address;
    return result.replace(E::CerspPortalHost(), E::CerspEblogHost(), Qt::CaseSensitive);
}

} // namespace Ui
