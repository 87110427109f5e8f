#pragma once

#include <QList>
#include <QString>

namespace Model {
class RunState;
}

namespace Output {

// A saved page that becomes a page of the book.
struct BookPage
{
    QString source; // the saved page
    QString title;
    QString navLabel = {}; // front matter listed in the contents: its entry there
    QString date = {};     // an article's day ("2011-05-03"), when its date says one
    int firstArticle = 0;  // an index page of twenty: the number of the first article it lists
    QString mark = {};     // an article whose page only points to the web: why, for the contents
    bool listsAll = false; // an index page that lists every article of the blog or of a category
};

// A heading of the book's contents: a category with its articles.
struct BookSection
{
    QString label;         // the category and its article count, as the CHM's contents show it
    QString page;          // the category's index page, when it was saved
    QList<BookPage> pages; // its index pages (the whole list, then the pages of 20), before its articles
    QList<int> indexes;    // chapters of the category, in BookPlan::chapters
    QList<int> numbers;    // the number each chapter has in the contents
};

// What goes into the book, in reading order: the home page and the list of all articles, then per category
// (in the order of the CHM's contents: the category table's slots, every category from its last row up)
// its index pages and its articles, then the articles of no category. Only pages that were saved are
// planned.
struct BookPlan
{
    QList<BookPage> frontMatter;
    QList<BookPage> chapters;
    QList<BookSection> sections;
};

BookPlan PlanBook(const Model::RunState& state);

} // namespace Output
