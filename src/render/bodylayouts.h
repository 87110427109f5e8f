#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Model {
struct PlatformProfile;
}

// The article-page layouts a platform's site went over to after the one its profile describes. The
// profile's markers are always tried first; these are plain data, one table per platform.
namespace Render {

struct BodyLayout
{
    enum class Kind {
        Markers, // the body lies between start and end
        Element, // the body is the content of the first element <tag attribute="value">
        Narrows, // within a body cut before, the part between start and end (the site's header, share
                 // bar and codes lie outside); the body stays as it was when either is missing
    };
    Kind kind = Kind::Markers;
    QString start; // Markers, Narrows: the text before the body
    QString end;   // Markers, Narrows: the text after it
    QString tag;   // Element: the element's name, its attribute and that attribute's value
    QString attribute;
    QString value;

    // How a reader recognises the layout, for the text of a page that matches none.
    QString describe() const;
};

struct PlatformLayouts
{
    QList<BodyLayout> bodies;
    // Texts by which the site itself says that the article is locked or gone, besides the profile's.
    QStringList notices;
};

// The later layouts of a platform (none for most).
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
