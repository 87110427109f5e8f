#include "model/endpoints.h"

namespace Model::Endpoints {

QString Host(Slot slot)
{
    switch (slot) {
    case Slot::SinaBlogHost:
        return QStringLiteral("blog.sina.com.cn");
    case Slot::SinaImageHost:
        return QStringLiteral("simg.sinajs.cn");
    case Slot::SinaCountHost:
        return QStringLiteral("comet.blog.sina.com.cn");
    case Slot::BaiduSpaceHost:
        return QStringLiteral("hi.baidu.com");
    case Slot::HexunBlogDomain:
        return QStringLiteral("blog.hexun.com");
    case Slot::NeteaseBlogHost:
        return QStringLiteral("blog.163.com");
    case Slot::NeteaseBlogDomain:
        return QStringLiteral("blog.163.com");
    case Slot::NeteaseApiHost:
        return QStringLiteral("api.blog.163.com");
    case Slot::SohuBlogDomain:
        return QStringLiteral("blog.sohu.com");
    case Slot::IfengBlogHost:
        return QStringLiteral("blog.ifeng.com");
    case Slot::IfengStaticHost:
        return QStringLiteral("blogfile.ifeng.com");
    case Slot::QzoneUserHost:
        return QStringLiteral("user.qzone.qq.com");
    case Slot::QzoneDataHost:
        return QStringLiteral("b.qzone.qq.com");
    case Slot::QzoneStyleDomain:
        return QStringLiteral("qzonestyle.gtimg.cn");
    case Slot::QzoneImageDomain:
        return QStringLiteral("qzs.qq.com");
    case Slot::QzoneBlogDomain:
        return QStringLiteral("b.qzone.qq.com");
    case Slot::Health39BlogHost:
        return QStringLiteral("blog.39.net");
    case Slot::TianyaBlogHost:
        return QStringLiteral("blog.tianya.cn");
    case Slot::TianyaBlogDomain:
        return QStringLiteral("blog.tianya.cn");
    case Slot::TianyaImageDomain:
        return QStringLiteral("laibafile.cn");
    case Slot::YaolanSpaceHost:
        return QStringLiteral("space.yaolan.com");
    case Slot::CsdnBlogHost:
        return QStringLiteral("blog.csdn.net");
    case Slot::ChinaUnixBlogHost:
        return QStringLiteral("blog.chinaunix.net");
    case Slot::CerspBlogHost:
        return QStringLiteral("blog.cersp.com");
    case Slot::CerspEblogHost:
        return QStringLiteral("eblog.cersp.com");
    case Slot::CerspPortalHost:
        return QStringLiteral("www.cersp.com");
    case Slot::CnblogsHost:
        return QStringLiteral("www.cnblogs.com");
    case Slot::Cto51BlogDomain:
        return QStringLiteral("blog.51cto.com");
    case Slot::Cto51SiteDomain:
        return QStringLiteral("51cto.com");
    // The maker's own hosts have no server: names under the reserved .invalid domain fail at once and
    // never reach anybody else's host.
    case Slot::UpdateHost:
        return QStringLiteral("update.qvlrx.invalid");
    case Slot::MakerSiteHost:
        return QStringLiteral("www.qvlrx.invalid");
    }
    return {};
}

} // namespace Model::Endpoints
