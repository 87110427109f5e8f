#pragma once

#include "output/xhtmlcleaner.h"

#include <QByteArray>
#include <QString>

namespace Output {

// A saved page as CommonMark.
struct MarkdownPage
{
    QString text;      // blocks separated by blank lines, ending with a line break; empty when nothing shows
    int listItems = 0; // items of the page's lists (a comment page holds one a comment)
};

// Turns a saved page (tag soup in the local code page) into CommonMark. The page is parsed by libxml2's
// HTML parser; scripts, styles and embedded objects go, every other text stays. Text is escaped so that
// nothing in it becomes markup, also not for the template engines of static site generators ("{{", "{%").
// Links and images go where the callbacks say; an empty answer keeps only the text (an image's alt text).
// Tables whose cells hold only text become pipe tables; others are written cell by cell.
MarkdownPage PageToMarkdown(const QByteArray& page, const PageLinks& links);

// The same for text that is already decoded.
MarkdownPage HtmlToMarkdown(const QString& html, const PageLinks& links);

} // namespace Output
