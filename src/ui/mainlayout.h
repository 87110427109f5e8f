#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

#include <optional>

// Where the controls of the main window stand. Places are kept in twips, the unit the window was
// designed in (15 twips to a pixel).
namespace Ui::MainLayout {

inline constexpr int TwipsPerPixel = 15;

constexpr int Pixels(int twips)
{
    return (twips + TwipsPerPixel / 2) / TwipsPerPixel;
}
constexpr int Twips(int pixels)
{
    return pixels * TwipsPerPixel;
}

struct TwipsRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
QRect PixelRect(const TwipsRect& r);

// The window's two fonts, 9 points: 宋体 for the controls, 黑体 for the status line.
QFont SongFont();
QFont HeiFont();

// The controls at design size.
inline constexpr TwipsRect Command1{120, 120, 735, 375};  // 新建
inline constexpr TwipsRect Command2{960, 120, 735, 375};  // 下载
inline constexpr TwipsRect Command6{1800, 120, 735, 375}; // 导入
inline constexpr TwipsRect Command5{2640, 120, 735, 375}; // 导出
inline constexpr TwipsRect Command3{3480, 120, 975, 375}; // 生成CHM
inline constexpr TwipsRect Command7{4560, 120, 855, 375}; // 转TXT
// 转Markdown stands beside 转TXT, the other conversion; the commands after it move one button right.
inline constexpr TwipsRect Command11{5520, 120, 1215, 375}; // 转Markdown
inline constexpr TwipsRect Command4{6840, 120, 615, 375};   // 目录
inline constexpr TwipsRect Command8{7560, 120, 615, 375};   // 改名
inline constexpr TwipsRect Command9{8280, 120, 1455, 375};  // 再次下载图片
// 生成EPUB ends the row; the window is wide enough for the two later commands.
inline constexpr TwipsRect Command10{9840, 120, 975, 375}; // 生成EPUB
inline constexpr TwipsRect Label3{240, 555, 3000, 255};    // version line
inline constexpr TwipsRect Label2{3345, 570, 6840, 255};   // status line
inline constexpr TwipsRect List1{240, 840, 8655, 1500};
inline constexpr int Label5Left[5] = {3570, 3915, 4275, 4635, 4995};
inline constexpr int Label5Top = 2355;
inline constexpr int Label5Size = 255;
inline constexpr TwipsRect TabSp{120, 2520, 8895, 3735};
inline constexpr TwipsRect Msh{240, 3000, 8655, 3015};
inline constexpr TwipsRect Msh2{240, 3000, 8655, 2775};

// The resize rule speaks of the outer window, frame and title bar included, as the window was designed;
// the window's inside is that size less this allowance.
inline constexpr int FrameWidthTwips = 120;
inline constexpr int FrameHeightTwips = 510;
// The outer window at design size.
inline constexpr int DesignWidthTwips = 11655;
inline constexpr int DesignHeightTwips = 6815;
QSize DesignClientSize(); // in pixels

// Sizes that follow the window, in twips.
struct FollowingSizes
{
    int listWidth = 0;
    int gridWidth = 0;
    int tabWidth = 0;
    int gridHeight = 0;
    int tabHeight = 0;
};

// The sizes for an outer window of this size; none while the window is 3200 twips high or less (then
// every control keeps its size).
std::optional<FollowingSizes> ResizeRule(int windowWidthTwips, int windowHeightTwips);

// The outer window size in twips for the inside of a window in pixels.
int WindowWidthTwips(const QSize& client);
int WindowHeightTwips(const QSize& client);

} // namespace Ui::MainLayout
