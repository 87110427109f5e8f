#include "output/xhtmlcleaner.h"

#include "text/charset.h"

#include <QHash>
#include <QXmlStreamWriter>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <memory>

namespace Output {

namespace {

// What a parsed element becomes.
enum class Kind {
    Drop,      // goes with everything inside it
    Unwrap,    // goes, its content stays
    Block,     // a block holding blocks and text (div, blockquote)
    TextBlock, // a block holding only text (p, h1 to h6, pre)
    List,      // ul, ol
    ListItem,  // li
    Inline,    // a run of text (span, b, i, ...)
    Link,      // a
    Image,     // img
    Break,     // br
    Rule,      // hr
};

struct Rule
{
    Kind kind = Kind::Unwrap;
    const char* as = nullptr;   // the element written, when not the element's own name
    const char* role = nullptr; // its class, for a table laid out by the book's style sheet
};

// What may stand where: anything (flow), text and inline elements only (phrasing), list items only.
enum class Context { Flow, Phrasing, List };

// Below this depth (thousands of unclosed tags) only the text, line breaks and pictures are written.
constexpr int MaxDepth = 64;

const QHash<QByteArray, Rule>& Rules()
{
    static const QHash<QByteArray, Rule> rules{
        // Never kept, nor what they hold.
        {"script", {Kind::Drop}},
        {"style", {Kind::Drop}},
        {"object", {Kind::Drop}},
        {"embed", {Kind::Drop}},
        {"applet", {Kind::Drop}},
        {"iframe", {Kind::Drop}},
        {"frame", {Kind::Drop}},
        {"frameset", {Kind::Drop}},
        {"audio", {Kind::Drop}},
        {"video", {Kind::Drop}},
        {"source", {Kind::Drop}},
        {"track", {Kind::Drop}},
        {"canvas", {Kind::Drop}},
        {"svg", {Kind::Drop}},
        {"math", {Kind::Drop}},
        {"input", {Kind::Drop}},
        {"param", {Kind::Drop}},
        {"meta", {Kind::Drop}},
        {"link", {Kind::Drop}},
        {"base", {Kind::Drop}},
        {"basefont", {Kind::Drop}},
        {"title", {Kind::Drop}},
        {"template", {Kind::Drop}},
        {"xml", {Kind::Drop}},
        {"col", {Kind::Drop}},
        {"colgroup", {Kind::Drop}},
        {"area", {Kind::Drop}},
        {"wbr", {Kind::Drop}},
        // Blocks. A table's parts become blocks that the style sheet lays out as a table again: a reader
        // shows rows and cells, and no cell's markup can break the page.
        {"div", {Kind::Block}},
        {"blockquote", {Kind::Block}},
        {"center", {Kind::Block, "div"}},
        {"table", {Kind::Block, "div", "table"}},
        {"caption", {Kind::Block, "div", "caption"}},
        {"thead", {Kind::Block, "div", "rows"}},
        {"tbody", {Kind::Block, "div", "rows"}},
        {"tfoot", {Kind::Block, "div", "rows"}},
        {"tr", {Kind::Block, "div", "row"}},
        {"td", {Kind::Block, "div", "cell"}},
        {"th", {Kind::Block, "div", "cell"}},
        {"form", {Kind::Block, "div"}},
        {"fieldset", {Kind::Block, "div"}},
        {"legend", {Kind::Block, "div"}},
        {"section", {Kind::Block, "div"}},
        {"article", {Kind::Block, "div"}},
        {"aside", {Kind::Block, "div"}},
        {"header", {Kind::Block, "div"}},
        {"footer", {Kind::Block, "div"}},
        {"nav", {Kind::Block, "div"}},
        {"main", {Kind::Block, "div"}},
        {"address", {Kind::Block, "div"}},
        {"figure", {Kind::Block, "div"}},
        {"figcaption", {Kind::Block, "div"}},
        {"details", {Kind::Block, "div"}},
        {"summary", {Kind::Block, "div"}},
        {"dl", {Kind::Block, "div"}},
        {"dt", {Kind::Block, "div"}},
        {"dd", {Kind::Block, "div"}},
        {"marquee", {Kind::Block, "div"}},
        {"multicol", {Kind::Block, "div"}},
        {"p", {Kind::TextBlock}},
        {"h1", {Kind::TextBlock}},
        {"h2", {Kind::TextBlock}},
        {"h3", {Kind::TextBlock}},
        {"h4", {Kind::TextBlock}},
        {"h5", {Kind::TextBlock}},
        {"h6", {Kind::TextBlock}},
        {"pre", {Kind::TextBlock}},
        {"listing", {Kind::TextBlock, "pre"}},
        {"xmp", {Kind::TextBlock, "pre"}},
        {"plaintext", {Kind::TextBlock, "pre"}},
        {"ul", {Kind::List}},
        {"ol", {Kind::List}},
        {"dir", {Kind::List, "ul"}},
        {"menu", {Kind::List, "ul"}},
        {"li", {Kind::ListItem}},
        {"hr", {Kind::Rule}},
        // Runs of text.
        {"span", {Kind::Inline}},
        {"b", {Kind::Inline}},
        {"strong", {Kind::Inline}},
        {"i", {Kind::Inline}},
        {"em", {Kind::Inline}},
        {"u", {Kind::Inline}},
        {"s", {Kind::Inline}},
        {"sub", {Kind::Inline}},
        {"sup", {Kind::Inline}},
        {"small", {Kind::Inline}},
        {"code", {Kind::Inline}},
        {"kbd", {Kind::Inline}},
        {"samp", {Kind::Inline}},
        {"var", {Kind::Inline}},
        {"cite", {Kind::Inline}},
        {"q", {Kind::Inline}},
        {"abbr", {Kind::Inline}},
        {"mark", {Kind::Inline}},
        {"ins", {Kind::Inline}},
        {"del", {Kind::Inline}},
        {"strike", {Kind::Inline, "s"}},
        {"acronym", {Kind::Inline, "abbr"}},
        {"font", {Kind::Inline, "span"}},
        {"big", {Kind::Inline, "span"}},
        {"tt", {Kind::Inline, "span"}},
        {"nobr", {Kind::Inline, "span"}},
        {"blink", {Kind::Inline, "span"}},
        {"label", {Kind::Inline, "span"}},
        {"dfn", {Kind::Inline, "span"}},
        {"bdo", {Kind::Inline, "span"}},
        {"bdi", {Kind::Inline, "span"}},
        {"time", {Kind::Inline, "span"}},
        {"data", {Kind::Inline, "span"}},
        {"a", {Kind::Link}},
        {"img", {Kind::Image}},
        {"image", {Kind::Image}},
        {"br", {Kind::Break}},
    };
    return rules;
}

Rule RuleOf(const xmlNode* node)
{
    const QByteArray name = QByteArray(reinterpret_cast<const char*>(node->name)).toLower();
    return Rules().value(name, Rule{});
}

QString Utf8(const xmlChar* text)
{
    return text == nullptr ? QString() : QString::fromUtf8(reinterpret_cast<const char*>(text));
}

QString Attribute(const xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    const QString text = Utf8(value);
    xmlFree(value);
    return text.trimmed();
}

bool IsBlank(const QString& text)
{
    for (const QChar c : text) {
        if (!c.isSpace()) {
            return false;
        }
    }
    return true;
}

struct DocumentFree
{
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

// Writes the content of a parsed page as the body of an XHTML document.
class BodyWriter
{
public:
    BodyWriter(QXmlStreamWriter& out, const PageLinks& links) : m_out(out), m_links(links) {}

    void children(const xmlNode* parent, Context context, int depth)
    {
        for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
            node(child, context, depth);
        }
    }

    const QString& pageTitle() const { return m_pageTitle; }

private:
    void node(const xmlNode* node, Context context, int depth)
    {
        switch (node->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            text(Utf8(node->content), context);
            return;
        case XML_ENTITY_REF_NODE:
            // An entity the parser did not know stays as the page shows it.
            text(u'&' + Utf8(node->name) + u';', context);
            return;
        case XML_ELEMENT_NODE:
            element(node, context, depth);
            return;
        default: // comments, processing instructions
            return;
        }
    }

    void text(const QString& content, Context context)
    {
        const QString kept = XmlSafeText(content);
        if (kept.isEmpty()) {
            return;
        }
        if (context == Context::List) {
            if (IsBlank(kept)) {
                return;
            }
            m_out.writeStartElement(QStringLiteral("li"));
            m_out.writeCharacters(kept);
            m_out.writeEndElement();
            return;
        }
        m_out.writeCharacters(kept);
    }

    void element(const xmlNode* node, Context context, int depth)
    {
        const Rule rule = RuleOf(node);
        if (rule.kind == Kind::Drop) {
            if (m_pageTitle.isEmpty() &&
                xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>("title")) == 0) {
                xmlChar* content = xmlNodeGetContent(node);
                m_pageTitle = XmlSafeText(Utf8(content)).simplified();
                xmlFree(content);
            }
            return;
        }
        if (depth >= MaxDepth) {
            flat(node, context);
            return;
        }
        if (rule.kind == Kind::Unwrap) {
            children(node, context, depth);
            return;
        }
        // A list holds list items only: anything else gets an item of its own.
        if (context == Context::List && rule.kind != Kind::ListItem) {
            m_out.writeStartElement(QStringLiteral("li"));
            element(node, Context::Flow, depth + 1);
            m_out.writeEndElement();
            return;
        }
        const QString name = rule.as != nullptr ? QString::fromLatin1(rule.as) : Utf8(node->name).toLower();
        switch (rule.kind) {
        case Kind::Block:
        case Kind::TextBlock:
        case Kind::List:
            if (context == Context::Phrasing) {
                // No block inside a run of text: its content, then a line break.
                children(node, Context::Phrasing, depth);
                m_out.writeEmptyElement(QStringLiteral("br"));
                return;
            }
            m_out.writeStartElement(name);
            if (rule.role != nullptr) {
                m_out.writeAttribute(QStringLiteral("class"), QString::fromLatin1(rule.role));
            }
            children(node,
                     rule.kind == Kind::Block       ? Context::Flow
                     : rule.kind == Kind::TextBlock ? Context::Phrasing
                                                    : Context::List,
                     depth + 1);
            m_out.writeEndElement();
            return;
        case Kind::ListItem:
            if (context == Context::Phrasing) {
                children(node, Context::Phrasing, depth);
                m_out.writeEmptyElement(QStringLiteral("br"));
                return;
            }
            m_out.writeStartElement(context == Context::List ? QStringLiteral("li") : QStringLiteral("div"));
            children(node, Context::Flow, depth + 1);
            m_out.writeEndElement();
            return;
        case Kind::Inline:
            m_out.writeStartElement(name);
            children(node, Context::Phrasing, depth + 1);
            m_out.writeEndElement();
            return;
        case Kind::Link:
            link(node, depth);
            return;
        case Kind::Image:
            image(node, context);
            return;
        case Kind::Break:
            m_out.writeEmptyElement(QStringLiteral("br"));
            return;
        case Kind::Rule:
            m_out.writeEmptyElement(context == Context::Phrasing ? QStringLiteral("br")
                                                                 : QStringLiteral("hr"));
            return;
        case Kind::Drop:
        case Kind::Unwrap:
            return;
        }
    }

    // The content of an element, walked without recursion, however deep it goes.
    void flat(const xmlNode* top, Context context)
    {
        if (context == Context::List) {
            m_out.writeStartElement(QStringLiteral("li"));
            flat(top, Context::Flow);
            m_out.writeEndElement();
            return;
        }
        const xmlNode* node = top->children;
        while (node != nullptr) {
            bool descend = false;
            if (node->type == XML_ELEMENT_NODE) {
                const Kind kind = RuleOf(node).kind;
                if (kind == Kind::Break || kind == Kind::Rule) {
                    m_out.writeEmptyElement(QStringLiteral("br"));
                } else if (kind == Kind::Image) {
                    image(node, context);
                }
                descend = kind != Kind::Drop && node->children != nullptr;
            } else if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
                text(Utf8(node->content), context);
            }
            if (descend) {
                node = node->children;
                continue;
            }
            while (node != top && node->next == nullptr) {
                node = node->parent;
            }
            node = node == top ? nullptr : node->next;
        }
    }

    void link(const xmlNode* node, int depth)
    {
        // A link never holds another link: the inner one keeps only its content.
        const QString href = m_inLink || !m_links.link ? QString() : m_links.link(Attribute(node, "href"));
        if (m_inLink) {
            children(node, Context::Phrasing, depth);
            return;
        }
        m_out.writeStartElement(QStringLiteral("a"));
        if (!href.isEmpty()) {
            m_out.writeAttribute(QStringLiteral("href"), href);
        }
        m_inLink = true;
        children(node, Context::Phrasing, depth + 1);
        m_inLink = false;
        m_out.writeEndElement();
    }

    void image(const xmlNode* node, Context context)
    {
        const QString alt = XmlSafeText(Attribute(node, "alt"));
        const QString src = m_links.image ? m_links.image(Attribute(node, "src")) : QString();
        if (src.isEmpty()) {
            text(alt, context);
            return;
        }
        m_out.writeEmptyElement(QStringLiteral("img"));
        m_out.writeAttribute(QStringLiteral("src"), src);
        m_out.writeAttribute(QStringLiteral("alt"), alt);
    }

    QXmlStreamWriter& m_out;
    const PageLinks& m_links;
    QString m_pageTitle;
    bool m_inLink = false;
};

} // namespace

QString XmlSafeText(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < n && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
                kept += text.at(i);
                kept += text.at(i + 1);
                ++i;
            }
            continue;
        }
        const bool allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c < 0x7F) ||
                             (c > 0x9F && c < 0xD800) || (c >= 0xE000 && c <= 0xFFFD);
        if (allowed) {
            kept += QChar(c);
        }
    }
    return kept;
}

QByteArray XhtmlStart(const QString& title)
{
    QByteArray start;
    QXmlStreamWriter out(&start);
    out.writeStartDocument();
    out.writeDTD(QStringLiteral("<!DOCTYPE html>"));
    out.writeStartElement(QStringLiteral("html"));
    out.writeDefaultNamespace(QStringLiteral("http://www.w3.org/1999/xhtml"));
    out.writeNamespace(QStringLiteral("http://www.idpf.org/2007/ops"), QStringLiteral("epub"));
    out.writeAttribute(QStringLiteral("xml:lang"), QStringLiteral("zh"));
    out.writeAttribute(QStringLiteral("lang"), QStringLiteral("zh"));
    out.writeStartElement(QStringLiteral("head"));
    QString shown = XmlSafeText(title).simplified();
    if (shown.isEmpty()) {
        shown = QStringLiteral("无标题");
    }
    out.writeTextElement(QStringLiteral("title"), shown);
    out.writeEmptyElement(QStringLiteral("link"));
    out.writeAttribute(QStringLiteral("rel"), QStringLiteral("stylesheet"));
    out.writeAttribute(QStringLiteral("type"), QStringLiteral("text/css"));
    out.writeAttribute(QStringLiteral("href"), QStringLiteral("style.css"));
    out.writeEndElement(); // head
    out.writeStartElement(QStringLiteral("body"));
    out.writeCharacters(QString()); // closes the start tag
    return start;
}

QByteArray XhtmlEnd()
{
    return QByteArrayLiteral("</body></html>\n");
}

CleanedPage CleanPage(const QByteArray& page, const QString& title, const PageLinks& links)
{
    // The page is decoded here, where invalid bytes become replacement characters, so the parser never
    // stops at one; a character set the page names itself is then ignored.
    const QByteArray utf8 = XmlSafeText(Text::DecodeLocal(page)).toUtf8();
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                        HTML_PARSE_IGNORE_ENC | XML_PARSE_HUGE;
    const std::unique_ptr<xmlDoc, DocumentFree> document(
        htmlReadMemory(utf8.constData(), int(utf8.size()), nullptr, "UTF-8", options));

    QByteArray body;
    CleanedPage cleaned;
    {
        QXmlStreamWriter out(&body);
        BodyWriter writer(out, links);
        if (document != nullptr) {
            writer.children(reinterpret_cast<const xmlNode*>(document.get()), Context::Flow, 0);
        }
        cleaned.pageTitle = writer.pageTitle();
        out.writeCharacters(QString()); // finishes a last empty element
    }
    cleaned.xhtml = XhtmlStart(title.isEmpty() ? cleaned.pageTitle : title) + body + XhtmlEnd();
    return cleaned;
}

} // namespace Output
