#include "ui/mainlayout.h"

#include <QStringList>

#include <algorithm>

namespace Ui::MainLayout {

QRect PixelRect(const TwipsRect& r)
{
    return QRect(Pixels(r.left), Pixels(r.top), Pixels(r.width), Pixels(r.height));
}

QFont SongFont()
{
    return QFont(
        QStringList{QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei")},
        9);
}

QFont HeiFont()
{
    return QFont(
        QStringList{QStringLiteral("黑体"), QStringLiteral("SimHei"), QStringLiteral("WenQuanYi Micro Hei")},
        9);
}

QSize DesignClientSize()
{
    return QSize(Pixels(DesignWidthTwips - FrameWidthTwips), Pixels(DesignHeightTwips - FrameHeightTwips));
}

std::optional<FollowingSizes> ResizeRule(int windowWidthTwips, int windowHeightTwips)
{
    if (windowHeightTwips <= 3200) {
        return std::nullopt;
    }
    // A window narrower than its margins gets empty controls rather than negative sizes.
    FollowingSizes sizes;
    sizes.listWidth = std::max(0, windowWidthTwips - 600);
    sizes.gridWidth = sizes.listWidth;
    sizes.tabWidth = std::max(0, windowWidthTwips - 350);
    sizes.gridHeight = std::max(0, windowHeightTwips - 3800);
    sizes.tabHeight = std::max(0, windowHeightTwips - 3100);
    return sizes;
}

int WindowWidthTwips(const QSize& client)
{
    return Twips(client.width()) + FrameWidthTwips;
}

int WindowHeightTwips(const QSize& client)
{
    return Twips(client.height()) + FrameHeightTwips;
}

} // namespace Ui::MainLayout
