#pragma once

#include <QString>

#include <array>

// What the new-task dialog knows about each platform: its item, whether the user types the blog
// address or the dialog builds it from the name, the hint, the example values and the comment switch.
namespace Ui {

// How choosing a platform leaves the 评论 (comments) switch; the 图片 (images) switch always ends enabled
// and on.
enum class CommentSwitch {
    EnabledOn,
    DisabledKept, // disabled, keeps its state
    DisabledOff,
};

struct PlatformChoice
{
    QString item;      // the item of the platform list
    bool typedAddress; // the user types the address; otherwise it follows the name
    QString hint;      // lines end in CR LF
    QString exampleName;
    QString exampleAddress; // only for typed addresses
    CommentSwitch comments;
};

inline constexpr int ChoiceCount = 17;

// The platforms in list order: the index is the platform code.
const std::array<PlatformChoice, ChoiceCount>& PlatformChoices();

// The platform code of a list item; -1 for a text that is no item.
int PlatformOfItem(const QString& item);

// The blog address built from the name for a platform whose address is not typed; empty otherwise.
QString GeneratedAddress(int code, const QString& name);

// The address as the e-blog area of the education platform takes it: every portal host becomes the
// e-blog host (an address copied from the portal then points to the blog).
QString EblogAddress(const QString& address);

} // namespace Ui
