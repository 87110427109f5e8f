#include "render/loginnotice.h"

#include "model/platformprofile.h"

namespace Render {

namespace {

struct LoginNotice
{
    int platform;
    const char16_t* marker; // words of the notice page
    const char16_t* reason; // why the article is missing
};

// Sina has shown every post to its author alone since about 2022: "系统维护中，博文仅作者可见。登陆后可
// 查看本人文章".
constexpr LoginNotice Notices[] = {
    {Model::Sina, u"博文仅作者可见", u"需要登录：博文仅作者可见"},
};

const LoginNotice* NoticeOf(int platform)
{
    for (const LoginNotice& notice : Notices) {
        if (notice.platform == platform) {
            return &notice;
        }
    }
    return nullptr;
}

} // namespace

bool ShowsLoginNotice(int platform, const QString& page)
{
    const LoginNotice* notice = NoticeOf(platform);
    return notice != nullptr && page.contains(QString::fromUtf16(notice->marker));
}

QString LoginNeededReason(int platform)
{
    const LoginNotice* notice = NoticeOf(platform);
    return notice != nullptr ? QString::fromUtf16(notice->reason) : QStringLiteral("需要登录");
}

} // namespace Render
