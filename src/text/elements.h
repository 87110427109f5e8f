#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace Text {

// Which elements a rule picks: those of the tag name (ignoring case) whose attribute equals the value,
// or, with word set, holds it as one of its blank-separated words (a class among several). An empty
// attribute picks every element of the name.
struct ElementRule
{
    QString tag;
    QString attribute;
    QString value;
    bool word = false;
};

struct StartTag;

// Whether the rule picks the element that the start tag opens (its name aside).
bool Picks(const ElementRule& rule, const StartTag& tag);

// An element of a text: [start, end) from its start tag's "<" to one past its end tag's ">"; its content
// is [contentStart, contentEnd).
struct ElementSpan
{
    qsizetype start = 0;
    qsizetype contentStart = 0;
    qsizetype contentEnd = 0;
    qsizetype end = 0;
};

// The first element the rule picks at or after from, up to its own end tag: elements of the same name
// inside it are counted, comments are passed over. Nothing when none is picked or the text ends before
// the element does.
std::optional<ElementSpan> FindElement(QStringView text, const ElementRule& rule, qsizetype from = 0);

// The content of that element, or nothing.
std::optional<QString> ElementContent(QStringView text, const ElementRule& rule);

// The text with every element that one of the rules picks taken out, whole.
QString RemoveElements(QString text, const QList<ElementRule>& rules);

// What a reader sees of some markup: comments and tags dropped, every run of white space one blank,
// none at either end. Character references stay as written.
QString PlainText(QStringView markup);

} // namespace Text
