#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace Output {

// Where the links and images of a page go in the book. Each gets the address as the page holds it and
// answers with the address in the book; an empty answer drops the link's target (its text stays) or the
// image (its alt text stays).
struct PageLinks
{
    std::function<QString(const QString& href)> link;
    std::function<QString(const QString& src)> image;
};

// A saved page made into a book page.
struct CleanedPage
{
    QByteArray xhtml;  // a whole XHTML document, UTF-8
    QString pageTitle; // the text of the page's own <title>, when it has one
};

// Turns a saved page (tag soup in the local code page: unclosed tags, stray "&", scripts, control
// characters, invalid bytes) into a well-formed XHTML document with the given title. The page is parsed
// by libxml2's HTML parser and written anew through a list of kept elements and attributes: scripts,
// styles, embedded objects and forms' controls go, presentational elements become div or span, a block
// inside a run of text becomes its content and a line break, and every character XML cannot hold is
// dropped. The text of the page is never lost.
// An empty title takes the page's own.
CleanedPage CleanPage(const QByteArray& page, const QString& title, const PageLinks& links);

// The start of a book page, up to and with its <body> tag, and its end.
QByteArray XhtmlStart(const QString& title);
QByteArray XhtmlEnd();

// Keeps only the characters an XML document may hold (and no lone surrogates).
QString XmlSafeText(const QString& text);

} // namespace Output
