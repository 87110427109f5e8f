#include "output/markdownwriter.h"

#include "text/charset.h"

#include <QHash>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <memory>

namespace Output {

namespace {

enum class Kind {
    Drop,     // goes with everything inside it
    Unwrap,   // goes, its content stays
    Block,    // div, p, center, ...
    Heading,  // h1 to h6
    Quote,    // blockquote
    Pre,      // preformatted text
    List,     // ul, ol
    ListItem, // li
    Table,    // table
    Strong,   // b, strong
    Emphasis, // i, em
    Code,     // code, kbd, samp, tt
    Link,     // a
    Image,    // img
    Break,    // br
    Rule,     // hr
};

// Below this depth (thousands of unclosed tags) only the text, line breaks and pictures are written.
constexpr int MaxDepth = 64;

const QHash<QByteArray, Kind>& Kinds()
{
    static const QHash<QByteArray, Kind> kinds{
        {"script", Kind::Drop},      {"style", Kind::Drop},       {"object", Kind::Drop},
        {"embed", Kind::Drop},       {"applet", Kind::Drop},      {"iframe", Kind::Drop},
        {"frame", Kind::Drop},       {"frameset", Kind::Drop},    {"audio", Kind::Drop},
        {"video", Kind::Drop},       {"source", Kind::Drop},      {"track", Kind::Drop},
        {"canvas", Kind::Drop},      {"svg", Kind::Drop},         {"math", Kind::Drop},
        {"input", Kind::Drop},       {"param", Kind::Drop},       {"meta", Kind::Drop},
        {"link", Kind::Drop},        {"base", Kind::Drop},        {"basefont", Kind::Drop},
        {"title", Kind::Drop},       {"template", Kind::Drop},    {"xml", Kind::Drop},
        {"col", Kind::Drop},         {"colgroup", Kind::Drop},    {"area", Kind::Drop},
        {"select", Kind::Drop},      {"textarea", Kind::Drop},    {"wbr", Kind::Drop},
        {"div", Kind::Block},        {"p", Kind::Block},          {"center", Kind::Block},
        {"form", Kind::Block},       {"fieldset", Kind::Block},   {"legend", Kind::Block},
        {"section", Kind::Block},    {"article", Kind::Block},    {"aside", Kind::Block},
        {"header", Kind::Block},     {"footer", Kind::Block},     {"nav", Kind::Block},
        {"main", Kind::Block},       {"address", Kind::Block},    {"figure", Kind::Block},
        {"figcaption", Kind::Block}, {"details", Kind::Block},    {"summary", Kind::Block},
        {"dl", Kind::Block},         {"dt", Kind::Block},         {"dd", Kind::Block},
        {"marquee", Kind::Block},    {"multicol", Kind::Block},   {"caption", Kind::Block},
        {"body", Kind::Block},       {"h1", Kind::Heading},       {"h2", Kind::Heading},
        {"h3", Kind::Heading},       {"h4", Kind::Heading},       {"h5", Kind::Heading},
        {"h6", Kind::Heading},       {"blockquote", Kind::Quote}, {"pre", Kind::Pre},
        {"listing", Kind::Pre},      {"xmp", Kind::Pre},          {"plaintext", Kind::Pre},
        {"ul", Kind::List},          {"ol", Kind::List},          {"dir", Kind::List},
        {"menu", Kind::List},        {"li", Kind::ListItem},      {"table", Kind::Table},
        {"b", Kind::Strong},         {"strong", Kind::Strong},    {"i", Kind::Emphasis},
        {"em", Kind::Emphasis},      {"code", Kind::Code},        {"kbd", Kind::Code},
        {"samp", Kind::Code},        {"tt", Kind::Code},          {"a", Kind::Link},
        {"img", Kind::Image},        {"image", Kind::Image},      {"br", Kind::Break},
        {"hr", Kind::Rule},
    };
    return kinds;
}

bool IsElement(const xmlNode* node)
{
    return node->type == XML_ELEMENT_NODE;
}

Kind KindOf(const xmlNode* node)
{
    return Kinds().value(QByteArray(reinterpret_cast<const char*>(node->name)).toLower(), Kind::Unwrap);
}

bool IsBlockKind(Kind kind)
{
    switch (kind) {
    case Kind::Block:
    case Kind::Heading:
    case Kind::Quote:
    case Kind::Pre:
    case Kind::List:
    case Kind::ListItem:
    case Kind::Table:
    case Kind::Rule:
        return true;
    default:
        return false;
    }
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

bool IsHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Without the spaces HTML collapses at either end (a no-break space or an ideographic space stays: Chinese
// paragraphs are indented with them).
QString TrimSpaces(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && IsHtmlSpace(text.at(start))) {
        ++start;
    }
    while (end > start && IsHtmlSpace(text.at(end - 1))) {
        --end;
    }
    return text.mid(start, end - start);
}

// A "{" that would open a template tag of a site generator ("{{", "{%", "{#") is written as a character
// reference, which Markdown shows as "{" and no template engine reads.
bool OpensTemplate(const QString& text, qsizetype i)
{
    return text.at(i) == u'{' && i + 1 < text.size() &&
           (text.at(i + 1) == u'{' || text.at(i + 1) == u'%' || text.at(i + 1) == u'#');
}

bool HasTemplateOpening(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (OpensTemplate(text, i)) {
            return true;
        }
    }
    return false;
}

// Keeps the characters a text file may hold (those XML may hold), each tab and line break as a blank.
QString PrintableText(const QString& text)
{
    QString kept = XmlSafeText(text);
    for (QChar& c : kept) {
        if (c == u'\t' || c == u'\n' || c == u'\r') {
            c = u' ';
        }
    }
    return kept;
}

// Text as Markdown shows it literally: its white space collapsed, every character that could start markup
// escaped.
QString EscapeText(const QString& raw)
{
    const QString text = PrintableText(raw);
    QString out;
    out.reserve(text.size() + text.size() / 8);
    bool space = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (IsHtmlSpace(c)) {
            if (!space) {
                out += u' ';
            }
            space = true;
            continue;
        }
        space = false;
        switch (c.unicode()) {
        case u'\\':
        case u'`':
        case u'*':
        case u'_':
        case u'[':
        case u']':
        case u'<':
        case u'>':
        case u'|':
        case u'~':
        case u'&':
            out += u'\\';
            out += c;
            break;
        case u'{':
            out += OpensTemplate(text, i) ? QStringLiteral("&#123;") : QStringLiteral("{");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Characters that start a block when they open a line, escaped there: headings, list items, setext
// underlines, definition lists, ordered list numbers.
QString EscapeLineStart(const QString& line)
{
    if (line.isEmpty()) {
        return line;
    }
    const QChar first = line.at(0);
    if (first == u'#' || first == u'-' || first == u'+' || first == u'=' || first == u':') {
        return u'\\' + line;
    }
    qsizetype digits = 0;
    while (digits < line.size() && digits < 10 && line.at(digits) >= u'0' && line.at(digits) <= u'9') {
        ++digits;
    }
    if (digits > 0 && digits < line.size() && (line.at(digits) == u'.' || line.at(digits) == u')')) {
        return line.left(digits) + u'\\' + line.mid(digits);
    }
    return line;
}

// A link or image destination that needs no angle brackets.
QString Destination(const QString& address)
{
    QString out;
    for (const QChar c : address) {
        switch (c.unicode()) {
        case u' ':
            out += QStringLiteral("%20");
            break;
        case u'(':
            out += QStringLiteral("%28");
            break;
        case u')':
            out += QStringLiteral("%29");
            break;
        case u'<':
            out += QStringLiteral("%3C");
            break;
        case u'>':
            out += QStringLiteral("%3E");
            break;
        case u'\\':
            out += QStringLiteral("%5C");
            break;
        default:
            if (c.unicode() >= 0x20 && c.unicode() != 0x7F) {
                out += c;
            }
        }
    }
    return out;
}

QString CodeSpan(const QString& raw)
{
    QString text = PrintableText(raw).simplified();
    if (text.isEmpty()) {
        return {};
    }
    if (HasTemplateOpening(text)) {
        return EscapeText(text);
    }
    int longest = 0;
    int run = 0;
    for (const QChar c : text) {
        run = c == u'`' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    const QString fence(longest + 1, u'`');
    if (text.startsWith(u'`') || text.endsWith(u'`')) {
        text = u' ' + text + u' ';
    }
    return fence + text + fence;
}

// Every line of a block given a prefix; the first line may have its own (a list marker).
QString Prefixed(const QString& block, const QString& first, const QString& rest)
{
    const QStringList lines = block.split(u'\n');
    QStringList out;
    out.reserve(lines.size());
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const QString& prefix = k == 0 ? first : rest;
        out.append(lines.at(k).isEmpty() ? TrimSpaces(prefix) : prefix + lines.at(k));
    }
    return out.join(u'\n');
}

struct DocumentFree
{
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

// Writes a parsed page as Markdown blocks. Inline content is gathered with "\n" standing for a line
// break (text never holds one: its white space is collapsed).
class MarkdownBuilder
{
public:
    explicit MarkdownBuilder(const PageLinks& links) : m_links(links) {}

    QStringList blocks(const xmlNode* parent, int depth)
    {
        QStringList out;
        QString run;
        for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
            if (IsElement(child) && depth < MaxDepth) {
                const Kind kind = KindOf(child);
                if (IsBlockKind(kind)) {
                    flush(run, out);
                    block(child, kind, depth + 1, out);
                    continue;
                }
                // A run of text that holds blocks (a font tag around paragraphs) gives up its own markup.
                if (kind != Kind::Drop && kind != Kind::Image && kind != Kind::Break && holdsBlocks(child)) {
                    flush(run, out);
                    out.append(blocks(child, depth + 1));
                    continue;
                }
            }
            inlineNode(child, depth + 1, run);
        }
        flush(run, out);
        return out;
    }

    int listItems() const { return m_listItems; }

private:
    bool holdsBlocks(const xmlNode* node, int depth = 0)
    {
        const auto known = m_holdsBlocks.constFind(node);
        if (known != m_holdsBlocks.constEnd()) {
            return known.value();
        }
        bool holds = false;
        for (const xmlNode* child = node->children; child != nullptr && !holds; child = child->next) {
            if (IsElement(child)) {
                const Kind kind = KindOf(child);
                holds = kind != Kind::Drop &&
                        (IsBlockKind(kind) || (depth < MaxDepth && holdsBlocks(child, depth + 1)));
            }
        }
        m_holdsBlocks.insert(node, holds);
        return holds;
    }

    // Ends the paragraphs gathered so far: a line break makes a hard break, two make a new paragraph.
    static void flush(QString& run, QStringList& out)
    {
        if (run.isEmpty()) {
            return;
        }
        QStringList lines;
        const auto endParagraph = [&] {
            if (!lines.isEmpty()) {
                out.append(lines.join(QStringLiteral("\\\n")));
                lines.clear();
            }
        };
        for (const QString& piece : run.split(u'\n')) {
            QString line = TrimSpaces(piece);
            // Blanks of any kind at the end of a line show nothing; a line of nothing else is no line.
            while (!line.isEmpty() && line.back().isSpace()) {
                line.chop(1);
            }
            // Runs of text meet with a blank on either side.
            while (line.contains(QStringLiteral("  "))) {
                line.replace(QStringLiteral("  "), QStringLiteral(" "));
            }
            if (line.isEmpty()) {
                endParagraph();
            } else {
                lines.append(EscapeLineStart(line));
            }
        }
        endParagraph();
        run.clear();
    }

    void block(const xmlNode* node, Kind kind, int depth, QStringList& out)
    {
        switch (kind) {
        case Kind::Heading: {
            QString text;
            inlineChildren(node, depth, text);
            text = TrimSpaces(text.replace(u'\n', u' '));
            if (!text.isEmpty()) {
                const int level = node->name[1] >= '1' && node->name[1] <= '6' ? node->name[1] - '0' : 1;
                out.append(QString(level, u'#') + u' ' + text.replace(u'#', QStringLiteral("\\#")));
            }
            return;
        }
        case Kind::Quote: {
            const QStringList inner = blocks(node, depth);
            if (!inner.isEmpty()) {
                out.append(
                    Prefixed(inner.join(QStringLiteral("\n\n")), QStringLiteral("> "), QStringLiteral("> ")));
            }
            return;
        }
        case Kind::Pre:
            pre(node, out);
            return;
        case Kind::List:
            list(node, depth, out);
            return;
        case Kind::ListItem: {
            // An item outside a list: a list of its own.
            const QString item = listItem(node, depth, QStringLiteral("- "));
            if (!item.isEmpty()) {
                out.append(item);
            }
            return;
        }
        case Kind::Table:
            table(node, depth, out);
            return;
        case Kind::Rule:
            out.append(QStringLiteral("---"));
            return;
        default:
            out.append(blocks(node, depth));
        }
    }

    void pre(const xmlNode* node, QStringList& out)
    {
        QString text;
        rawText(node, text);
        text = PrintableWithLines(text);
        while (text.startsWith(u'\n')) {
            text.remove(0, 1);
        }
        while (text.endsWith(u'\n') || text.endsWith(u' ')) {
            text.chop(1);
        }
        if (text.isEmpty()) {
            return;
        }
        if (HasTemplateOpening(text)) {
            // A code block is read by the template engines too: the text is written as lines of text.
            QStringList lines;
            for (const QString& line : text.split(u'\n')) {
                lines.append(EscapeText(line));
            }
            QString run = lines.join(u'\n');
            flush(run, out);
            return;
        }
        int longest = 0;
        int current = 0;
        for (const QChar c : text) {
            current = c == u'`' ? current + 1 : 0;
            longest = std::max(longest, current);
        }
        const QString fence(std::max(3, longest + 1), u'`');
        out.append(fence + u'\n' + text + u'\n' + fence);
    }

    // The text of a preformatted block as it stands, line breaks kept.
    static QString PrintableWithLines(const QString& text)
    {
        QStringList lines;
        for (const QString& line : QString(text)
                                       .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                       .replace(u'\r', u'\n')
                                       .split(u'\n')) {
            lines.append(PrintableText(line));
        }
        return lines.join(u'\n');
    }

    static void rawText(const xmlNode* top, QString& out)
    {
        const xmlNode* node = top->children;
        while (node != nullptr) {
            bool descend = false;
            if (IsElement(node)) {
                const Kind kind = KindOf(node);
                if (kind == Kind::Break) {
                    out += u'\n';
                } else if (kind == Kind::Block || kind == Kind::ListItem) {
                    if (!out.isEmpty() && !out.endsWith(u'\n')) {
                        out += u'\n';
                    }
                }
                descend = kind != Kind::Drop && node->children != nullptr;
            } else if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
                out += Utf8(node->content);
            } else if (node->type == XML_ENTITY_REF_NODE) {
                out += u'&' + Utf8(node->name) + u';';
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

    void list(const xmlNode* node, int depth, QStringList& out)
    {
        const bool ordered = xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>("ol")) == 0;
        QStringList items;
        int number = 0;
        QString stray; // text and runs between items
        const auto addStray = [&] {
            QStringList inner;
            flush(stray, inner);
            if (!inner.isEmpty()) {
                const QString marker =
                    ordered ? QString::number(++number) + QStringLiteral(". ") : QStringLiteral("- ");
                items.append(
                    Prefixed(inner.join(QStringLiteral("\n\n")), marker, QString(marker.size(), u' ')));
            }
        };
        for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
            if (IsElement(child) && depth < MaxDepth && KindOf(child) == Kind::ListItem) {
                addStray();
                const QString marker =
                    ordered ? QString::number(number + 1) + QStringLiteral(". ") : QStringLiteral("- ");
                const QString item = listItem(child, depth + 1, marker);
                if (!item.isEmpty()) {
                    ++number;
                    items.append(item);
                }
            } else if (IsElement(child) && depth < MaxDepth && IsBlockKind(KindOf(child))) {
                addStray();
                QStringList inner;
                block(child, KindOf(child), depth + 1, inner);
                if (!inner.isEmpty()) {
                    const QString marker =
                        ordered ? QString::number(++number) + QStringLiteral(". ") : QStringLiteral("- ");
                    items.append(
                        Prefixed(inner.join(QStringLiteral("\n\n")), marker, QString(marker.size(), u' ')));
                }
            } else {
                inlineNode(child, depth + 1, stray);
            }
        }
        addStray();
        if (!items.isEmpty()) {
            out.append(items.join(u'\n'));
        }
    }

    QString listItem(const xmlNode* node, int depth, const QString& marker)
    {
        ++m_listItems;
        const QStringList inner = blocks(node, depth);
        if (inner.isEmpty()) {
            return {};
        }
        return Prefixed(inner.join(QStringLiteral("\n\n")), marker, QString(marker.size(), u' '));
    }

    // The rows of a table, each a list of its cells; empty when the table holds more than text (a table
    // inside, a list, a heading): such a table only lays a page out.
    QList<QList<const xmlNode*>> textTable(const xmlNode* table)
    {
        QList<QList<const xmlNode*>> rows;
        const auto addRow = [&](const xmlNode* tr) {
            QList<const xmlNode*> cells;
            for (const xmlNode* td = tr->children; td != nullptr; td = td->next) {
                if (IsElement(td) && (xmlStrcasecmp(td->name, reinterpret_cast<const xmlChar*>("td")) == 0 ||
                                      xmlStrcasecmp(td->name, reinterpret_cast<const xmlChar*>("th")) == 0)) {
                    cells.append(td);
                }
            }
            rows.append(cells);
        };
        for (const xmlNode* child = table->children; child != nullptr; child = child->next) {
            if (!IsElement(child)) {
                continue;
            }
            if (xmlStrcasecmp(child->name, reinterpret_cast<const xmlChar*>("tr")) == 0) {
                addRow(child);
                continue;
            }
            for (const xmlNode* tr = child->children; tr != nullptr; tr = tr->next) {
                if (IsElement(tr) && xmlStrcasecmp(tr->name, reinterpret_cast<const xmlChar*>("tr")) == 0) {
                    addRow(tr);
                }
            }
        }
        qsizetype columns = 0;
        for (const auto& row : rows) {
            columns = std::max(columns, row.size());
            for (const xmlNode* cell : row) {
                if (holdsOnlyText(cell, 0)) {
                    continue;
                }
                return {};
            }
        }
        if (rows.size() < 2 || columns < 2) {
            return {};
        }
        return rows;
    }

    // Text, runs of text, pictures, line breaks and paragraphs only.
    bool holdsOnlyText(const xmlNode* node, int depth)
    {
        if (depth > 16) {
            return false;
        }
        for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
            if (!IsElement(child)) {
                continue;
            }
            const Kind kind = KindOf(child);
            if (kind == Kind::Drop) {
                continue;
            }
            if ((IsBlockKind(kind) && kind != Kind::Block) || !holdsOnlyText(child, depth + 1)) {
                return false;
            }
        }
        return true;
    }

    void table(const xmlNode* node, int depth, QStringList& out)
    {
        const QList<QList<const xmlNode*>> rows = textTable(node);
        if (rows.isEmpty()) {
            out.append(blocks(node, depth));
            return;
        }
        qsizetype columns = 0;
        for (const auto& row : rows) {
            columns = std::max(columns, row.size());
        }
        QStringList lines;
        for (qsizetype r = 0; r < rows.size(); ++r) {
            QStringList cells;
            for (qsizetype c = 0; c < columns; ++c) {
                QString text;
                if (c < rows.at(r).size()) {
                    inlineChildren(rows.at(r).at(c), depth + 1, text);
                }
                text = TrimSpaces(text.replace(u'\n', u' '));
                cells.append(text.isEmpty() ? QStringLiteral(" ") : text);
            }
            lines.append(QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |"));
            if (r == 0) {
                lines.append(QStringLiteral("|") + QStringList(columns, QStringLiteral(" --- ")).join(u'|') +
                             QStringLiteral("|"));
            }
        }
        out.append(lines.join(u'\n'));
    }

    void inlineChildren(const xmlNode* node, int depth, QString& run)
    {
        for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
            inlineNode(child, depth, run);
        }
    }

    void inlineNode(const xmlNode* node, int depth, QString& run)
    {
        switch (node->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            run += EscapeText(Utf8(node->content));
            return;
        case XML_ENTITY_REF_NODE:
            // An entity the parser did not know stays as the page shows it.
            run += EscapeText(u'&' + Utf8(node->name) + u';');
            return;
        case XML_ELEMENT_NODE:
            break;
        default:
            return;
        }
        if (depth >= MaxDepth) {
            flat(node, run);
            return;
        }
        const Kind kind = KindOf(node);
        switch (kind) {
        case Kind::Drop:
            return;
        case Kind::Break:
            run += u'\n';
            return;
        case Kind::Rule:
            run += QStringLiteral("\n\n");
            return;
        case Kind::Image:
            run += image(node);
            return;
        case Kind::Strong:
        case Kind::Emphasis: {
            QString inner;
            inlineChildren(node, depth + 1, inner);
            run += Emphasised(inner, kind == Kind::Strong ? QStringLiteral("**") : QStringLiteral("*"));
            return;
        }
        case Kind::Code: {
            QString raw;
            rawText(node, raw);
            run += raw.contains(u'\n') ? EscapeText(raw) : CodeSpan(raw);
            return;
        }
        case Kind::Link:
            link(node, depth, run);
            return;
        default:
            break;
        }
        if (IsBlockKind(kind)) {
            // A block inside a run of text (a paragraph inside a heading): its content as paragraphs.
            run += QStringLiteral("\n\n");
            inlineChildren(node, depth + 1, run);
            run += QStringLiteral("\n\n");
            return;
        }
        inlineChildren(node, depth + 1, run);
    }

    static QString Emphasised(const QString& inner, const QString& mark)
    {
        const QString core = TrimSpaces(inner);
        if (core.isEmpty() || core.contains(u'\n')) {
            return inner;
        }
        // The blanks stay outside the marks, which must touch the text.
        const qsizetype lead = inner.indexOf(core);
        return inner.left(lead) + mark + core + mark + inner.mid(lead + core.size());
    }

    void link(const xmlNode* node, int depth, QString& run)
    {
        QString text;
        const bool outer = !m_inLink;
        m_inLink = true;
        inlineChildren(node, depth + 1, text);
        m_inLink = !outer;
        const QString href = outer && m_links.link ? m_links.link(Attribute(node, "href")) : QString();
        text = TrimSpaces(text.replace(u'\n', u' '));
        if (href.isEmpty()) {
            run += text;
            return;
        }
        if (text.isEmpty()) {
            text = EscapeText(href);
        }
        run += u'[' + text + QStringLiteral("](") + Destination(href) + u')';
    }

    QString image(const xmlNode* node)
    {
        const QString alt = TrimSpaces(EscapeText(Attribute(node, "alt")));
        const QString src = m_links.image ? m_links.image(Attribute(node, "src")) : QString();
        if (src.isEmpty()) {
            return alt;
        }
        return QStringLiteral("![") + alt + QStringLiteral("](") + Destination(src) + u')';
    }

    // The content of an element, walked without recursion, however deep it goes.
    void flat(const xmlNode* top, QString& run)
    {
        const xmlNode* node = top->children;
        while (node != nullptr) {
            bool descend = false;
            if (IsElement(node)) {
                const Kind kind = KindOf(node);
                if (kind == Kind::Break) {
                    run += u'\n';
                } else if (kind == Kind::Image) {
                    run += image(node);
                } else if (IsBlockKind(kind)) {
                    run += QStringLiteral("\n\n");
                }
                descend = kind != Kind::Drop && kind != Kind::Image && node->children != nullptr;
            } else if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
                run += EscapeText(Utf8(node->content));
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

    const PageLinks& m_links;
    QHash<const xmlNode*, bool> m_holdsBlocks;
    int m_listItems = 0;
    bool m_inLink = false;
};

} // namespace

MarkdownPage HtmlToMarkdown(const QString& html, const PageLinks& links)
{
    const QByteArray utf8 = XmlSafeText(html).toUtf8();
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                        HTML_PARSE_IGNORE_ENC | XML_PARSE_HUGE;
    const std::unique_ptr<xmlDoc, DocumentFree> document(
        htmlReadMemory(utf8.constData(), int(utf8.size()), nullptr, "UTF-8", options));
    MarkdownPage page;
    if (document == nullptr) {
        return page;
    }
    MarkdownBuilder builder(links);
    const QStringList blocks = builder.blocks(reinterpret_cast<const xmlNode*>(document.get()), 0);
    page.listItems = builder.listItems();
    if (!blocks.isEmpty()) {
        page.text = blocks.join(QStringLiteral("\n\n")) + u'\n';
    }
    return page;
}

MarkdownPage PageToMarkdown(const QByteArray& page, const PageLinks& links)
{
    return HtmlToMarkdown(Text::DecodeLocal(page), links);
}

} // namespace Output
