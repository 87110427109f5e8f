#pragma once

#include <QByteArray>
#include <QString>

namespace Output {

// What the cover of a book shows.
struct CoverText
{
    QString title;    // the blog's name
    QString platform; // the blog platform's name
    QString dates;    // the first and the last day of its articles, when known
    QString volume;   // "第2卷，共5卷" for a volume; empty for a whole book
};

// The cover picture: an SVG drawn from the text alone, no font or picture needed.
QByteArray CoverSvg(const CoverText& text);

// The cover page that shows it, first in the reading order.
QByteArray CoverPage(const QString& title, const QString& svgName);

} // namespace Output
