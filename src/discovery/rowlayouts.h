#pragma once

#include "text/elements.h"

#include <QList>
#include <QString>

// Rows of a list page in a layout that the site took on later: each row is a link element whose address
// names the article, its title written inside the link (or in an element inside it), its date after it.
namespace Discovery {

struct RowLayout
{
    QString scope;           // rows are read after the first occurrence of this text; "" for the whole page
    Text::ElementRule link;  // the link element of a row
    QString linkPattern;     // a regular expression on the link's address; its first group is the row's link
    Text::ElementRule title; // the element inside the link that holds the title; no tag: the whole link
    QList<Text::ElementRule> titleChrome; // labels taken out of the title ("原创")
    QString datePattern;        // the first match after the link's start tag and before the next row
    Text::ElementRule dateIn;   // with a tag: the date is looked for in that element of the row only
    Text::ElementRule category; // the element of the page whose text names the category of every row
};

struct LayoutRow
{
    QString title;
    QString link;
    QString date;
    QString category; // empty when the layout names none
};

// The rows of a page in the layout, in page order. A link without text takes the title from its title
// attribute; a link whose address the pattern refuses is no row. An address met twice is one row.
QList<LayoutRow> ReadRows(const RowLayout& layout, const QString& page);

// The rows of the first layout that finds any.
QList<LayoutRow> ReadRows(const QList<RowLayout>& layouts, const QString& page);

} // namespace Discovery
