#pragma once

#include <QString>

#include <array>

namespace Model {

// Index of a platform in the new-task dialog's list and in every per-platform table.
enum PlatformCode : int {
    Sina = 0,
    Baidu = 1,
    Hexun = 2,
    Netease = 3,
    Sohu = 4,
    Ifeng = 5,
    Qzone = 6,
    Health39 = 7,
    Tianya = 8,
    Yaolan = 9,
    Csdn = 10,
    ChinaUnix = 11,
    Cersp = 12,
    CerspEblog = 13,
    Cnblogs = 14,
    Tianya2 = 15,
    Cto51 = 16,
};
inline constexpr int PlatformCount = 17;

inline bool IsPlatformCode(int code)
{
    return code >= 0 && code < PlatformCount;
}

// What differs between platforms once an article page is at hand.
struct PlatformProfile
{
    QString Name;
    QString Charset;
    QString BodyStartMarker;
    QString BodyEndMarker;
    QString NoArticleMarker1;
    QString NoArticleMarker2;
    QString NoArticleMarker3;
};

class PlatformProfileTable
{
public:
    PlatformProfileTable(); // built complete, as BuildPlatformProfileTable leaves it

    // Builds rows 0 to 16 anew from the platforms' descriptions in use (also undoes any run-time marker
    // change).
    void BuildPlatformProfileTable();

    // The row of a platform; codes outside 0 to 16 give an empty profile.
    const PlatformProfile& operator[](int code) const;

    void SetBodyMarkers(int code, const QString& startText, const QString& endText);

private:
    std::array<PlatformProfile, PlatformCount> m_rows;
};

} // namespace Model
