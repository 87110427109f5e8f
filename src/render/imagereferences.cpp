#include "render/imagereferences.h"

#include "assets/assetnames.h"
#include "assets/jobrecord.h"
#include "model/endpoints.h"
#include "model/platformprofile.h"
#include "model/runstate.h"
#include "text/failure.h"
#include "text/matching.h"
#include "text/safefilename.h"
#include "text/textprimitives.h"

#include <algorithm>

namespace Render {

namespace {

using Text::HashToQuote;
using Text::Replace;

// Platform habits that hide the real image address or wrap it in scripts.
QString CleanImageTags(int platform, QString body)
{
    switch (platform) {
    case Model::Sina: // a transparent placeholder in src, the picture in real_src
        body = Replace(body,
                       HashToQuote(QStringLiteral("src=#http://") + Model::Endpoints::SinaImageHost() +
                                   QStringLiteral("/blog7style/images/common/sg_trans.gif#")),
                       QString());
        body = Replace(body, QStringLiteral("real_src"), QStringLiteral("src"));
        body = Replace(body, QStringLiteral(" src ="), QStringLiteral(" src="));
        break;
    case Model::Hexun: // a script that shrinks wide images
        body = Replace(body,
                       HashToQuote(QStringLiteral(
                           "onload=#var image=new Image();image.src=this.src;if(image.width>0 && "
                           "image.height>0){if(image.width>=700){this.width=700;this.height=image.height*700/"
                           "image.width;}}#")),
                       QString());
        break;
    case Model::Qzone: // a blank placeholder in src, the picture in orgsrc
        body = Replace(body, HashToQuote(QStringLiteral("src=#/ac/b.gif#")), QString());
        body = Replace(body, QStringLiteral("orgsrc"), QStringLiteral("src"));
        break;
    case Model::Tianya2: // unquoted addresses, closed again before the onload script
        body = Replace(body, QStringLiteral("src="), QStringLiteral("src=\""));
        body = Replace(body, HashToQuote(QStringLiteral(" onload=#javascript")),
                       HashToQuote(QStringLiteral("# onload=#javascript")));
        break;
    default:
        break;
    }
    return body;
}

// The quoted src address of one image tag; "未找到" when the tag has none.
QString ImageAddress(const QString& tag)
{
    try {
        return Text::TextBetween(tag, QStringLiteral("src=\""), QStringLiteral("\""), 5);
    } catch (const Text::Failure&) {
        // The closing quote lies too close to the opening one: no usable address.
        return Text::NotFound;
    }
}

} // namespace

QString ListMatches(const QString& pattern, const QString& text)
{
    // Every tag ends its own line, so a greedy ".*" never runs past the end of a tag.
    return Text::MatchAll(pattern, Replace(text, QStringLiteral(">"), QStringLiteral(">\r\n")));
}

QString RewriteImages(Model::RunState& state, QString body, int row)
{
    const int platform = state.task.PlatformCode;
    body = Replace(body, QStringLiteral("SRC="), QStringLiteral("src="));
    body = Replace(body, QStringLiteral(" src ="), QStringLiteral(" src="));
    body = CleanImageTags(platform, body);

    const QString tags = ListMatches(QStringLiteral("<img .*>"), body);
    if (platform == Model::Tianya2 && Text::Find(tags, Model::Endpoints::TianyaImageDomain()) > 0) {
        // The platform refuses downloads from its own image host: the page keeps the web addresses.
        return body;
    }

    const QString folder = Text::SafeFileName(state.articles.category(row));
    QStringList addresses;
    for (const QString& tag : Text::SplitMatches(tags)) {
        const QString url = ImageAddress(tag);
        if (url == Text::NotFound) {
            continue;
        }
        if (Text::Find(url, QStringLiteral("http")) > 0 && url.size() > 15) {
            if (!Assets::QueueAssetJob(state, Model::AssetQueue::ImageKind, url, folder)) {
                state.noteUnwritableRecord(Assets::JobRecord(state.taskFolder()).path());
            }
        }
        addresses.append(url);
    }
    // Longer addresses first, so that an address that begins another one cannot spoil the longer
    // one's reference before it is replaced.
    std::stable_sort(addresses.begin(), addresses.end(),
                     [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& url : addresses) {
        body = Replace(body, url, Assets::LocalImageName(url));
    }
    return body;
}

} // namespace Render
