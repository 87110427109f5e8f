#pragma once

#include <QList>
#include <QString>

namespace Model {

class ArticleList;

// The orders the popup menu offers for the article list.
enum class ArticleOrder {
    NewestFirst, // by date, newest article first
    OldestFirst, // by date, oldest article first
    Title,       // by title, in Chinese collation (pinyin), numbers by value
    Category,    // by category, in the same collation; within a category the present order stays
};

// Reorders the articles (rows 1 to R - 2); the header and the spare row stay where they are. The sort is
// stable, so articles with equal keys keep their present order, and articles without a readable date go
// last in both date orders. Afterwards the rows read as if they had been appended in the new order:
// column 0 holds the new row number and column 5 the article's position in its category, so that the
// index pages and the contents follow the order the user chose. Download marks move with their rows.
void SortArticles(ArticleList& articles, ArticleOrder order);

// The numbers of a date text in reading order ("2011-03-05 12:30" gives 2011, 3, 5, 12, 30); empty when
// the text holds no digit. Two dates compare by these numbers.
QList<qint64> DateKey(const QString& date);

} // namespace Model
