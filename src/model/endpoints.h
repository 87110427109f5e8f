#pragma once

#include <QString>

// Every host the program talks to, in one table. Addresses are built as "http://" + slot + path.
namespace Model::Endpoints {

enum class Slot {
    SinaBlogHost,
    SinaImageHost,
    SinaCountHost,
    BaiduSpaceHost,
    HexunBlogDomain,
    NeteaseBlogHost,
    NeteaseBlogDomain,
    NeteaseApiHost,
    SohuBlogDomain,
    IfengBlogHost,
    IfengStaticHost,
    QzoneUserHost,
    QzoneDataHost,
    QzoneStyleDomain,
    QzoneImageDomain,
    QzoneBlogDomain,
    Health39BlogHost,
    TianyaBlogHost,
    TianyaBlogDomain,
    TianyaImageDomain,
    YaolanSpaceHost,
    CsdnBlogHost,
    ChinaUnixBlogHost,
    CerspBlogHost,
    CerspEblogHost,
    CerspPortalHost,
    CnblogsHost,
    Cto51BlogDomain,
    Cto51SiteDomain,
    UpdateHost,
    MakerSiteHost,
};

// The host name behind a slot.
QString Host(Slot slot);

// Shorthands used all over the program.
inline QString SinaBlogHost()
{
    return Host(Slot::SinaBlogHost);
}
inline QString SinaImageHost()
{
    return Host(Slot::SinaImageHost);
}
inline QString SinaCountHost()
{
    return Host(Slot::SinaCountHost);
}
inline QString BaiduSpaceHost()
{
    return Host(Slot::BaiduSpaceHost);
}
inline QString HexunBlogDomain()
{
    return Host(Slot::HexunBlogDomain);
}
inline QString NeteaseBlogHost()
{
    return Host(Slot::NeteaseBlogHost);
}
inline QString NeteaseBlogDomain()
{
    return Host(Slot::NeteaseBlogDomain);
}
inline QString NeteaseApiHost()
{
    return Host(Slot::NeteaseApiHost);
}
inline QString SohuBlogDomain()
{
    return Host(Slot::SohuBlogDomain);
}
inline QString IfengBlogHost()
{
    return Host(Slot::IfengBlogHost);
}
inline QString IfengStaticHost()
{
    return Host(Slot::IfengStaticHost);
}
inline QString QzoneUserHost()
{
    return Host(Slot::QzoneUserHost);
}
inline QString QzoneDataHost()
{
    return Host(Slot::QzoneDataHost);
}
inline QString QzoneStyleDomain()
{
    return Host(Slot::QzoneStyleDomain);
}
inline QString QzoneImageDomain()
{
    return Host(Slot::QzoneImageDomain);
}
inline QString QzoneBlogDomain()
{
    return Host(Slot::QzoneBlogDomain);
}
inline QString Health39BlogHost()
{
    return Host(Slot::Health39BlogHost);
}
inline QString TianyaBlogHost()
{
    return Host(Slot::TianyaBlogHost);
}
inline QString TianyaBlogDomain()
{
    return Host(Slot::TianyaBlogDomain);
}
inline QString TianyaImageDomain()
{
    return Host(Slot::TianyaImageDomain);
}
inline QString YaolanSpaceHost()
{
    return Host(Slot::YaolanSpaceHost);
}
inline QString CsdnBlogHost()
{
    return Host(Slot::CsdnBlogHost);
}
inline QString ChinaUnixBlogHost()
{
    return Host(Slot::ChinaUnixBlogHost);
}
inline QString CerspBlogHost()
{
    return Host(Slot::CerspBlogHost);
}
inline QString CerspEblogHost()
{
    return Host(Slot::CerspEblogHost);
}
inline QString CerspPortalHost()
{
    return Host(Slot::CerspPortalHost);
}
inline QString CnblogsHost()
{
    return Host(Slot::CnblogsHost);
}
inline QString Cto51BlogDomain()
{
    return Host(Slot::Cto51BlogDomain);
}
inline QString Cto51SiteDomain()
{
    return Host(Slot::Cto51SiteDomain);
}
inline QString UpdateHost()
{
    return Host(Slot::UpdateHost);
}
inline QString MakerSiteHost()
{
    return Host(Slot::MakerSiteHost);
}

// The maker's company page, linked from index pages and fallback pages.
inline QString MakerCompanyPage()
{
    return QStringLiteral("http://") + MakerSiteHost() + QStringLiteral("/company.html");
}

} // namespace Model::Endpoints
