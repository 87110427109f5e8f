#pragma once

#include "text/elements.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// What a platform's pages look like, as its description file says: the markers of the layout the
// program first knew, then the layouts the site went over to later. Plain data; layoutfiles.h reads it.
namespace Model {

// A later layout of the article pages, cut by markers or an element of the page.
struct BodyLayout
{
    enum class Kind {
        Markers, // the body lies between start and end
        Element, // the body is the content of the first element <tag attribute="value">
        Narrows, // within a body cut before, the part between start and end (the site's header, share
                 // bar and codes lie outside); the body stays as it was when either is missing
    };
    Kind kind = Kind::Markers;
    QString start; // Markers, Narrows: the text before the body
    QString end;   // Markers, Narrows: the text after it
    QString tag;   // Element: the element's name, its attribute and that attribute's value
    QString attribute;
    QString value;

    // How a reader recognises the layout, for the text of a page that matches none.
    QString describe() const;
};

struct PlatformLayouts
{
    QList<BodyLayout> bodies;
    // Texts by which the site itself says that the article is locked or gone, besides the profile's.
    QStringList notices;
};

// A layout that a platform's article pages took on later: the article sits in one element of its own,
// with a few pieces of the site inside it that are no part of the article.
struct ArticleLayout
{
    int platform = 0;
    Text::ElementRule body;
    QList<Text::ElementRule> chrome; // taken out of the body
    Text::ElementRule title;         // the element whose text is the article's title
};

// Rows of a list page in a layout that the site took on later: each row is a link element whose address
// names the article, its title written inside the link (or in an element inside it), its date after it.
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

// A block of a blog's sidebar holding category links, and the kind of entry they list.
struct CategoryBlock
{
    Text::ElementRule block;
    bool articles = false; // articles ("[文章]"), not posts ("[随笔]")
};

struct PlatformDescription
{
    QString file;   // the file's name: "sina.json"
    QString source; // where it was read from: a file path, or ":/layouts/…" for the one built in

    QString name;
    QString charset;
    // The first layout: the profile's markers.
    QString bodyStart;
    QString bodyEnd;
    std::array<QString, 3> noArticle;

    QStringList layoutNames; // every layout, the first one first
    PlatformLayouts later;
    QList<ArticleLayout> articles;
    QList<RowLayout> rows;
    QList<CategoryBlock> categoryBlocks;
    QString categoryLink; // a regular expression on a category link's address
};

} // namespace Model
