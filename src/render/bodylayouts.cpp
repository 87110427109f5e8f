#include "render/bodylayouts.h"

#include "model/layoutfiles.h"
#include "model/platformprofile.h"
#include "text/matching.h"
#include "text/starttags.h"
#include "text/textprimitives.h"
#include "text/unrecognisedpage.h"

namespace Render {

namespace {

using Kind = BodyLayout::Kind;

// Where the element's name ends in the text: the "<" + name must be followed by a space, "/" or ">".
bool NameEndsAt(QStringView text, qsizetype at)
{
    if (at >= text.size()) {
        return false;
    }
    const QChar c = text[at];
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'/' || c == u'>';
}

// The position of the end tag that closes an element whose content starts at from; -1 when the text
// ends first.
qsizetype MatchingEnd(QStringView text, qsizetype from, const QString& tag)
{
    const QString open = u'<' + tag;
    const QString close = QStringLiteral("</") + tag;
    int depth = 1;
    qsizetype i = from;
    while (true) {
        i = text.indexOf(u'<', i);
        if (i < 0) {
            return -1;
        }
        if (text.mid(i, 4) == u"<!--") {
            const qsizetype commentEnd = text.indexOf(u"-->", i + 4);
            if (commentEnd < 0) {
                return -1;
            }
            i = commentEnd + 3;
            continue;
        }
        if (text.mid(i, close.size()).compare(close, Qt::CaseInsensitive) == 0 &&
            NameEndsAt(text, i + close.size())) {
            if (--depth == 0) {
                return i;
            }
        } else if (text.mid(i, open.size()).compare(open, Qt::CaseInsensitive) == 0 &&
                   NameEndsAt(text, i + open.size())) {
            const std::optional<Text::StartTag> nested = Text::ReadStartTag(text, i);
            if (!nested) {
                return -1;
            }
            const bool selfClosing = text.mid(nested->start, nested->end - nested->start).endsWith(u"/>");
            if (!selfClosing) {
                ++depth;
            }
            i = nested->end;
            continue;
        }
        ++i;
    }
}

QString Quoted(const QString& text)
{
    return QStringLiteral("“") + text + QStringLiteral("”");
}

} // namespace

const PlatformLayouts& LaterLayouts(int platform)
{
    return Model::LayoutDescription(platform).later;
}

QString ElementContent(const QString& page, const QString& tag, const QString& attribute,
                       const QString& value)
{
    for (const Text::StartTag& start : Text::StartTags(page, tag)) {
        const Text::TagAttribute* found = start.attribute(attribute);
        if (found == nullptr || found->value != value) {
            continue;
        }
        const qsizetype end = MatchingEnd(page, start.end, tag);
        return end < 0 ? Text::NotFound : page.mid(start.end, end - start.end);
    }
    return Text::NotFound;
}

QString CutLaterLayouts(int platform, const QString& page, const QString& partBody)
{
    const bool found = partBody.size() >= 5;
    QString body = partBody;
    for (const BodyLayout& layout : LaterLayouts(platform).bodies) {
        if (layout.kind == Kind::Narrows) {
            if (!found) {
                continue;
            }
            const qsizetype start = body.indexOf(layout.start);
            const qsizetype end = start < 0 ? -1 : body.indexOf(layout.end, start + layout.start.size());
            if (end >= 0) {
                body = body.mid(start + layout.start.size(), end - start - layout.start.size());
            }
            continue;
        }
        if (found) {
            continue;
        }
        QString cut = Text::NotFound;
        if (layout.kind == Kind::Element) {
            cut = ElementContent(page, layout.tag, layout.attribute, layout.value);
        } else {
            const qsizetype start = page.indexOf(layout.start);
            const qsizetype end = start < 0 ? -1 : page.indexOf(layout.end, start + layout.start.size());
            if (end >= 0) {
                cut = page.mid(start + layout.start.size(), end - start - layout.start.size());
            }
        }
        if (cut.size() >= 5 && cut != Text::NotFound) {
            return cut;
        }
    }
    return body;
}

QString UnrecognisedBodyReason(int platform, const Model::PlatformProfile& profile)
{
    QString missing = Quoted(profile.BodyStartMarker) + QStringLiteral("…") + Quoted(profile.BodyEndMarker);
    for (const BodyLayout& layout : LaterLayouts(platform).bodies) {
        if (layout.kind != Kind::Narrows) {
            missing += QStringLiteral("或") + layout.describe();
        }
    }
    return Text::UnrecognisedPageText() + QStringLiteral("正文标记") + missing;
}

} // namespace Render
