#include "text/elements.h"

#include "text/starttags.h"

namespace Text {

namespace {

bool IsSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Whether a tag of the name begins at i ("<name" or "</name" followed by a blank, "/" or ">").
bool TagOfName(QStringView text, qsizetype i, QStringView name, bool closing)
{
    qsizetype at = i + 1;
    if (closing) {
        if (at >= text.size() || text[at] != u'/') {
            return false;
        }
        ++at;
    }
    if (at + name.size() >= text.size() ||
        text.mid(at, name.size()).compare(name, Qt::CaseInsensitive) != 0) {
        return false;
    }
    const QChar after = text[at + name.size()];
    return IsSpace(after) || after == u'>' || after == u'/';
}

// Where the element whose start tag ends at contentStart ends: the "<" of its end tag and one past its
// ">", or nothing when the text ends first.
std::optional<std::pair<qsizetype, qsizetype>> EndTag(QStringView text, QStringView name,
                                                      qsizetype contentStart)
{
    int depth = 1;
    qsizetype i = contentStart;
    while ((i = text.indexOf(u'<', i)) >= 0) {
        if (text.mid(i, 4) == u"<!--") {
            const qsizetype close = text.indexOf(u"-->", i + 4);
            if (close < 0) {
                return std::nullopt;
            }
            i = close + 3;
            continue;
        }
        if (TagOfName(text, i, name, true)) {
            const qsizetype close = text.indexOf(u'>', i);
            if (close < 0) {
                return std::nullopt;
            }
            if (--depth == 0) {
                return std::make_pair(i, close + 1);
            }
            i = close + 1;
            continue;
        }
        if (TagOfName(text, i, name, false)) {
            const std::optional<StartTag> inner = ReadStartTag(text, i);
            if (!inner) {
                return std::nullopt;
            }
            // A tag closed by itself ("<div/>") opens nothing.
            if (text[inner->end - 2] != u'/') {
                ++depth;
            }
            i = inner->end;
            continue;
        }
        ++i;
    }
    return std::nullopt;
}

} // namespace

bool Picks(const ElementRule& rule, const StartTag& tag)
{
    if (rule.attribute.isEmpty()) {
        return true;
    }
    const TagAttribute* attribute = tag.attribute(rule.attribute);
    if (attribute == nullptr) {
        return false;
    }
    if (!rule.word) {
        return attribute->value == rule.value;
    }
    const QList<QStringView> words = QStringView(attribute->value).split(u' ', Qt::SkipEmptyParts);
    return words.contains(QStringView(rule.value));
}

std::optional<ElementSpan> FindElement(QStringView text, const ElementRule& rule, qsizetype from)
{
    const QList<StartTag> tags = StartTags(text.mid(from), rule.tag);
    for (const StartTag& tag : tags) {
        if (!Picks(rule, tag)) {
            continue;
        }
        ElementSpan span;
        span.start = from + tag.start;
        span.contentStart = from + tag.end;
        const auto end = EndTag(text, rule.tag, span.contentStart);
        if (!end) {
            return std::nullopt;
        }
        span.contentEnd = end->first;
        span.end = end->second;
        return span;
    }
    return std::nullopt;
}

std::optional<QString> ElementContent(QStringView text, const ElementRule& rule)
{
    const std::optional<ElementSpan> span = FindElement(text, rule);
    if (!span) {
        return std::nullopt;
    }
    return text.mid(span->contentStart, span->contentEnd - span->contentStart).toString();
}

QString RemoveElements(QString text, const QList<ElementRule>& rules)
{
    for (const ElementRule& rule : rules) {
        qsizetype from = 0;
        while (const std::optional<ElementSpan> span = FindElement(text, rule, from)) {
            text.remove(span->start, span->end - span->start);
            from = span->start;
        }
    }
    return text;
}

QString PlainText(QStringView markup)
{
    QString text;
    text.reserve(markup.size());
    bool blank = false;
    for (qsizetype i = 0; i < markup.size();) {
        const QChar c = markup[i];
        if (c == u'<') {
            const bool comment = markup.mid(i, 4) == u"<!--";
            const qsizetype close = comment ? markup.indexOf(u"-->", i + 4) : markup.indexOf(u'>', i + 1);
            if (close < 0) {
                break;
            }
            i = close + (comment ? 3 : 1);
            continue;
        }
        if (c.isSpace()) {
            blank = !text.isEmpty();
        } else {
            if (blank) {
                text += u' ';
                blank = false;
            }
            text += c;
        }
        ++i;
    }
    return text;
}

} // namespace Text
