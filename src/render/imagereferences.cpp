#include "render/imagereferences.h"

#include "assets/assetnames.h"
#include "assets/jobrecord.h"
#include "model/endpoints.h"
#include "model/pagerecord.h"
#include "model/platformprofile.h"
#include "model/runstate.h"
#include "text/matching.h"
#include "text/safefilename.h"
#include "text/starttags.h"
#include "text/textprimitives.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <utility>

namespace Render {

namespace {

using Text::Replace;

// The script Hexun puts on its images to shrink wide ones; it goes, the image stays.
const QString HexunShrinkScript = QStringLiteral(
    "var image=new Image();image.src=this.src;if(image.width>0 && image.height>0){if(image.width>=700){"
    "this.width=700;this.height=image.height*700/image.width;}}");

// Attributes that hold the real address of an image whose src holds a placeholder until a script swaps
// them: Sina's real_src, QQ zone's orgsrc, and data-src of pages that load images as they scroll into view.
constexpr std::array<QStringView, 3> DeferredNames{u"real_src", u"orgsrc", u"data-src"};

// A transparent stand-in that platforms put in src while the picture waits in another attribute.
bool IsPlaceholder(int platform, const QString& address)
{
    return (platform == Model::Sina && address == QStringLiteral("http://") + Model::Endpoints::SinaImageHost() +
                                                      QStringLiteral("/blog7style/images/common/sg_trans.gif")) ||
           (platform == Model::Qzone && address == QStringLiteral("/ac/b.gif"));
}

// An attribute with a value that is its own: an unquoted value with quotes in it is markup escaped
// inside a script text.
bool IsPlainValue(const Text::TagAttribute& attribute)
{
    return attribute.hasValue && (!attribute.quote.isNull() || (!attribute.value.contains(u'"') &&
                                                                !attribute.value.contains(u'\'')));
}

bool IsAddressName(QStringView name)
{
    if (name.compare(u"src", Qt::CaseInsensitive) == 0) {
        return true;
    }
    return std::any_of(DeferredNames.begin(), DeferredNames.end(),
                       [name](QStringView n) { return name.compare(n, Qt::CaseInsensitive) == 0; });
}

// The address of the first candidate of a srcset ("a.jpg 1x, b.jpg 2x").
QString FirstCandidate(const QString& srcset)
{
    const QString first = Text::TrimWhiteSpace(srcset).section(QRegularExpression(QStringLiteral("\\s")), 0, 0);
    return first.endsWith(u',') ? first.left(first.size() - 1) : first;
}

// The address a browser would show once the page's scripts have run; empty when the tag has none.
QString ImageAddress(int platform, const Text::StartTag& tag)
{
    for (const QStringView name : DeferredNames) {
        const Text::TagAttribute* deferred = tag.attribute(name);
        if (deferred != nullptr && IsPlainValue(*deferred)) {
            const QString address = Text::TrimWhiteSpace(deferred->value);
            if (!address.isEmpty()) {
                return address;
            }
        }
    }
    const Text::TagAttribute* src = tag.attribute(u"src");
    if (src != nullptr && IsPlainValue(*src)) {
        const QString address = Text::TrimWhiteSpace(src->value);
        if (!address.isEmpty() && !IsPlaceholder(platform, address)) {
            return address;
        }
    }
    const Text::TagAttribute* srcset = tag.attribute(u"srcset");
    if (srcset != nullptr && IsPlainValue(*srcset)) {
        return FirstCandidate(srcset->value);
    }
    return {};
}

// A value as written back: in its own quotes where they can hold it, in double quotes where the
// value needs quoting, else bare as it was.
QString QuotedValue(const Text::TagAttribute& attribute, const QString& value)
{
    QChar quote = attribute.quote;
    if (quote.isNull()) {
        static const QRegularExpression needsQuotes(QStringLiteral("[\\s\"'=<>`]"));
        if (!value.isEmpty() && !value.contains(needsQuotes)) {
            return value;
        }
        quote = u'"';
    } else if (quote == u'\'' && value.contains(u'\'')) {
        quote = u'"';
    }
    return quote + value + quote;
}

// Every candidate of a srcset pointed at the one local file, each keeping its descriptor.
QString LocalSrcset(const QString& srcset, const QString& local)
{
    QString written;
    qsizetype i = 0;
    const qsizetype size = srcset.size();
    while (i < size) {
        while (i < size && (srcset.at(i).isSpace() || srcset.at(i) == u',')) {
            written += srcset.at(i++);
        }
        if (i >= size) {
            break;
        }
        qsizetype end = i;
        while (end < size && !srcset.at(end).isSpace()) {
            ++end;
        }
        qsizetype urlEnd = end;
        while (urlEnd > i && srcset.at(urlEnd - 1) == u',') {
            --urlEnd; // commas that close a candidate without a descriptor
        }
        written += local + srcset.mid(urlEnd, end - urlEnd);
        i = end;
        if (urlEnd < end) {
            continue;
        }
        while (i < size && srcset.at(i) != u',') {
            written += srcset.at(i++); // the descriptor
        }
    }
    return written;
}

// Where the text is no markup for a browser: the insides of scripts, styles and text areas (templates
// and strings that spell image tags). An element that is never closed counts as no such place.
QList<std::pair<qsizetype, qsizetype>> RawTextRanges(const QString& body)
{
    QList<std::pair<qsizetype, qsizetype>> ranges;
    for (const QStringView name : {QStringView(u"script"), QStringView(u"style"), QStringView(u"textarea")}) {
        const QString closing = QStringLiteral("</") + name.toString();
        for (const Text::StartTag& tag : Text::StartTags(body, name)) {
            const qsizetype end = body.indexOf(closing, tag.end, Qt::CaseInsensitive);
            if (end >= 0) {
                ranges.append({tag.end, end});
            }
        }
    }
    return ranges;
}

bool InRawText(const QList<std::pair<qsizetype, qsizetype>>& ranges, qsizetype at)
{
    return std::any_of(ranges.begin(), ranges.end(),
                       [at](const auto& range) { return at >= range.first && at < range.second; });
}

struct Edit
{
    qsizetype start = 0;
    qsizetype end = 0;
    QString text;
};

// The changes to one image tag: every attribute that holds its address points at the local file, and
// a Hexun shrink script goes. Nothing else of the tag changes.
QList<Edit> TagEdits(int platform, const Text::StartTag& tag, const QString& local)
{
    QList<Edit> edits;
    for (const Text::TagAttribute& attribute : tag.attributes) {
        if (!IsPlainValue(attribute)) {
            continue;
        }
        if (platform == Model::Hexun && attribute.name.compare(u"onload", Qt::CaseInsensitive) == 0 &&
            attribute.value == HexunShrinkScript) {
            edits.append({attribute.nameStart, attribute.tokenEnd, QString()});
        } else if (IsAddressName(attribute.name)) {
            edits.append({attribute.tokenStart, attribute.tokenEnd, QuotedValue(attribute, local)});
        } else if (attribute.name.compare(u"srcset", Qt::CaseInsensitive) == 0) {
            edits.append(
                {attribute.tokenStart, attribute.tokenEnd, QuotedValue(attribute, LocalSrcset(attribute.value, local))});
        }
    }
    return edits;
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
    const QList<Text::StartTag> tags = Text::StartTags(body, u"img");
    if (platform == Model::Tianya2) {
        const QString domain = Model::Endpoints::TianyaImageDomain();
        for (const Text::StartTag& tag : tags) {
            if (QStringView(body).mid(tag.start, tag.end - tag.start).contains(domain)) {
                // The platform refuses downloads from its own image host: the page keeps the web addresses.
                return body;
            }
        }
    }

    // Each tag is rewritten where it stands; the text between tags is copied as it is.
    const QString folder = Text::SafeFileName(state.articles.category(row));
    const QString article = Model::PageRecord::pageName(state, row);
    const QList<std::pair<qsizetype, qsizetype>> rawText = RawTextRanges(body);
    QString written;
    written.reserve(body.size() + body.size() / 8);
    qsizetype copied = 0;
    for (const Text::StartTag& tag : tags) {
        if (InRawText(rawText, tag.start)) {
            continue;
        }
        const QString address = ImageAddress(platform, tag);
        if (address.isEmpty()) {
            continue;
        }
        if (Text::Find(address, QStringLiteral("http")) > 0 && address.size() > 15) {
            Assets::QueueAssetJob(state, Model::AssetQueue::ImageKind, address, folder, article);
        }
        for (const Edit& edit : TagEdits(platform, tag, Assets::LocalImageName(address))) {
            written += QStringView(body).mid(copied, edit.start - copied);
            written += edit.text;
            copied = edit.end;
        }
    }
    if (copied == 0) {
        return body;
    }
    written += QStringView(body).mid(copied);
    return written;
}

} // namespace Render
