#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace Text {

// One attribute of a start tag, by its place in the text it was read from.
struct TagAttribute
{
    qsizetype nameStart = 0;
    QString name;            // as written
    bool hasValue = false;   // "name=..."; false for a bare name
    QChar quote;             // '"' or '\'' around the value; null for an unquoted value
    qsizetype tokenStart = 0; // the value as written, quotes included: [tokenStart, tokenEnd)
    qsizetype tokenEnd = 0;
    QString value; // the value without its quotes, character references left as they are
};

// A start tag as a browser reads it: from its "<" up to the ">" that lies outside every quoted value.
struct StartTag
{
    qsizetype start = 0; // the "<"
    qsizetype end = 0;   // one past the closing ">"
    QList<TagAttribute> attributes;

    // The first attribute of that name (names compare ignoring case); nullptr when there is none.
    const TagAttribute* attribute(QStringView name) const;
};

// The start tag whose "<" stands at position at (0-based) in text; nothing when the text ends inside it.
std::optional<StartTag> ReadStartTag(QStringView text, qsizetype at);

// Every start tag of the element name (ignoring case) in the text, in order. A tag that the text cuts
// off ends the list.
QList<StartTag> StartTags(QStringView text, QStringView name);

} // namespace Text
