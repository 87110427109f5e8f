#pragma once

#include "model/layoutdescription.h"

#include <QString>

namespace Model {
struct PlatformProfile;
}

// The article-page layouts a platform's site went over to after the one its profile describes. The
// profile's markers are always tried first; the later layouts come from the platform's description.
namespace Render {

using Model::BodyLayout;
using Model::PlatformLayouts;

// The later layouts of a platform in its description in use (none for most).
const PlatformLayouts& LaterLayouts(int platform);

// The body of a page whose profile cut gave partBody ("未找到" or a short text when it found none): that
// body narrowed by the layouts that narrow it, else the body of the first later layout the page matches.
// partBody unchanged when no later layout applies.
QString CutLaterLayouts(int platform, const QString& page, const QString& partBody);

// The content of the first element <tag attribute="value" ...> of the page, up to its matching end
// tag (elements of the same name nested in it are counted, comments skipped); "未找到" when the page has
// no such element or ends before its end tag.
QString ElementContent(const QString& page, const QString& tag, const QString& attribute,
                       const QString& value);

// What a page of the platform lacked when no layout found a body in it: "页面格式无法识别：缺少" and the
// markers of every layout known.
QString UnrecognisedBodyReason(int platform, const Model::PlatformProfile& profile);

} // namespace Render
