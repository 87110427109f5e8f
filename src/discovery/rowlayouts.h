#pragma once

#include "model/layoutdescription.h"

#include <QList>
#include <QString>

// Rows of a list page in a layout that the site took on later (the platform's description holds the
// layouts): each row is a link element whose address names the article, its title written inside the
// link (or in an element inside it), its date after it.
namespace Discovery {

using Model::RowLayout;

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
