#include "text/starttags.h"

namespace Text {

namespace {

bool IsTagSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

} // namespace

const TagAttribute* StartTag::attribute(QStringView name) const
{
    for (const TagAttribute& a : attributes) {
        if (QStringView(a.name).compare(name, Qt::CaseInsensitive) == 0) {
            return &a;
        }
    }
    return nullptr;
}

std::optional<StartTag> ReadStartTag(QStringView text, qsizetype at)
{
    const qsizetype size = text.size();
    if (at < 0 || at >= size || text[at] != u'<') {
        return std::nullopt;
    }
    StartTag tag;
    tag.start = at;
    qsizetype i = at + 1;
    while (i < size && !IsTagSpace(text[i]) && text[i] != u'/' && text[i] != u'>') {
        ++i; // the element name
    }
    while (i < size) {
        const QChar c = text[i];
        if (IsTagSpace(c) || c == u'/') {
            ++i;
            continue;
        }
        if (c == u'>') {
            tag.end = i + 1;
            return tag;
        }
        TagAttribute attribute;
        attribute.nameStart = i;
        // A name runs up to a space, "/", ">" or "="; an "=" in its first place belongs to it.
        ++i;
        while (i < size && !IsTagSpace(text[i]) && text[i] != u'/' && text[i] != u'>' && text[i] != u'=') {
            ++i;
        }
        attribute.name = text.mid(attribute.nameStart, i - attribute.nameStart).toString();
        qsizetype next = i;
        while (next < size && IsTagSpace(text[next])) {
            ++next;
        }
        if (next < size && text[next] == u'=') {
            ++next;
            while (next < size && IsTagSpace(text[next])) {
                ++next;
            }
            if (next >= size) {
                return std::nullopt;
            }
            attribute.hasValue = true;
            attribute.tokenStart = next;
            const QChar open = text[next];
            if (open == u'"' || open == u'\'') {
                const qsizetype close = text.indexOf(open, next + 1);
                if (close < 0) {
                    return std::nullopt; // the quoted value never ends: neither does the tag
                }
                attribute.quote = open;
                attribute.value = text.mid(next + 1, close - next - 1).toString();
                i = close + 1;
            } else {
                i = next;
                while (i < size && !IsTagSpace(text[i]) && text[i] != u'>') {
                    ++i;
                }
                attribute.value = text.mid(next, i - next).toString();
            }
            attribute.tokenEnd = i;
        }
        tag.attributes.append(attribute);
    }
    return std::nullopt;
}

QList<StartTag> StartTags(QStringView text, QStringView name)
{
    QList<StartTag> tags;
    const QString opening = QStringLiteral("<") + name.toString();
    qsizetype from = 0;
    while (true) {
        const qsizetype at = text.indexOf(opening, from, Qt::CaseInsensitive);
        if (at < 0) {
            break;
        }
        const qsizetype after = at + opening.size();
        if (after < text.size() && !IsTagSpace(text[after]) && text[after] != u'/' && text[after] != u'>') {
            from = after; // another element whose name only begins the same way
            continue;
        }
        std::optional<StartTag> tag = ReadStartTag(text, at);
        if (!tag) {
            break;
        }
        from = tag->end;
        tags.append(std::move(*tag));
    }
    return tags;
}

} // namespace Text
