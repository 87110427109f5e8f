#include "model/articlesort.h"

#include "model/articlelist.h"

#include <QCollator>
#include <QHash>

#include <algorithm>
#include <numeric>
#include <optional>
#include <vector>

namespace Model {

namespace {

// One article as it leaves the grid, with what it is sorted by.
struct Entry
{
    QStringList cells;
    QList<qint64> date;
    std::optional<QCollatorSortKey> key;
};

QCollator ChineseCollator()
{
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setNumericMode(true);
    return collator;
}

bool DateBefore(const Entry& a, const Entry& b, bool newestFirst)
{
    // Articles without a date go last either way.
    if (a.date.isEmpty() || b.date.isEmpty()) {
        return !a.date.isEmpty() && b.date.isEmpty();
    }
    return newestFirst ? b.date < a.date : a.date < b.date;
}

} // namespace

QList<qint64> DateKey(const QString& date)
{
    QList<qint64> numbers;
    QString digits;
    const auto flush = [&] {
        if (!digits.isEmpty()) {
            numbers.append(digits.left(18).toLongLong());
            digits.clear();
        }
    };
    for (const QChar c : date) {
        if (c >= u'0' && c <= u'9') {
            digits += c;
        } else {
            flush();
        }
    }
    flush();
    return numbers;
}

void SortArticles(ArticleList& articles, ArticleOrder order)
{
    const int count = articles.articleCount();
    if (count < 2) {
        return;
    }
    const int columns = articles.columns();
    const QCollator collator = ChineseCollator();

    std::vector<Entry> entries;
    entries.reserve(size_t(count));
    for (int row = 1; row <= count; ++row) {
        Entry entry;
        for (int column = 0; column < columns; ++column) {
            entry.cells.append(articles.text(row, column));
        }
        switch (order) {
        case ArticleOrder::NewestFirst:
        case ArticleOrder::OldestFirst:
            entry.date = DateKey(articles.date(row));
            break;
        case ArticleOrder::Title:
            entry.key = collator.sortKey(articles.title(row));
            break;
        case ArticleOrder::Category:
            entry.key = collator.sortKey(articles.category(row));
            break;
        }
        entries.push_back(std::move(entry));
    }

    std::stable_sort(entries.begin(), entries.end(), [order](const Entry& a, const Entry& b) {
        switch (order) {
        case ArticleOrder::NewestFirst:
            return DateBefore(a, b, true);
        case ArticleOrder::OldestFirst:
            return DateBefore(a, b, false);
        case ArticleOrder::Title:
        case ArticleOrder::Category:
            return a.key->compare(*b.key) < 0;
        }
        return false;
    });

    // Write the rows back as if they had been appended in this order.
    QHash<QString, int> positions;
    for (int row = 1; row <= count; ++row) {
        QStringList& cells = entries[size_t(row - 1)].cells;
        cells[ArticleList::NumberColumn] = QString::number(row);
        const int position = ++positions[cells.at(ArticleList::CategoryColumn)];
        cells[ArticleList::PositionColumn] = QString::number(position);
        for (int column = 0; column < columns; ++column) {
            articles.setText(row, column, cells.at(column));
        }
    }
}

} // namespace Model
