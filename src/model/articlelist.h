#pragma once

#include "model/gridtable.h"

#include <QHash>

namespace Model {

class CategoryTable;

// The article table: header row 0, articles in rows 1 to R - 2, an empty spare row R - 1.
class ArticleList final : public GridTable
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ArticleList)

public:
    enum Column {
        NumberColumn = 0,
        TitleColumn = 1,
        CategoryColumn = 2,
        LinkColumn = 3,
        DateColumn = 4,
        PositionColumn = 5, // the article's position in its category
        MarkColumn = 6,     // download mark
        HiddenColumn = 7,
    };

    explicit ArticleList(QObject* parent = nullptr);

    // Number of articles (R - 2).
    int articleCount() const { return dataRowCount(); }

    // Appends one article: counts its category, writes the row into the spare row and adds a new spare
    // row; with listScrolling keeps the newest rows in view. Returns the new row. Throws Text::Failure
    // (leaving the list unchanged) when the category cannot be counted.
    int AddArticleRow(CategoryTable& categories, const QString& title, const QString& category,
                      const QString& link, const QString& date, bool listScrolling);

    // A row of the article with that category and link, or 0 when the list holds none.
    int rowOf(const QString& category, const QString& link) const;

    // Header and spare row only.
    void clearArticles()
    {
        resetRows();
        m_rowsByArticle.clear();
    }

    QString title(int row) const { return text(row, TitleColumn); }
    QString category(int row) const { return text(row, CategoryColumn); }
    QString link(int row) const { return text(row, LinkColumn); }
    QString date(int row) const { return text(row, DateColumn); }
    QString mark(int row) const { return text(row, MarkColumn); }
    void setMark(int row, const QString& mark) { setText(row, MarkColumn, mark); }

private:
    static QString articleKey(const QString& category, const QString& link);
    // The row of every article appended, by category and link. Rows removed or moved since leave it
    // stale: a row found here is checked against the list, and a wrong one rebuilds it.
    mutable QHash<QString, int> m_rowsByArticle;
};

} // namespace Model
