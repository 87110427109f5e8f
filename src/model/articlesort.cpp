#include "model/articlesort.h"

#include "model/articlelist.h"

#include <QCollator>
#include <QHash>

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

namespace Model {

namespace {

// One article with what it is sorted by; the row itself stays in the grid until the order is known.
struct Entry
{
    int row = 0;
    QList<qint64> date;
    std::shared_ptr<const QCollatorSortKey> key;
};

QCollator ChineseCollator()
{
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setNumericMode(true);
    return collator;
}

// The collation keys of the texts, each distinct text made once, on up to four threads for long lists:
// a key of a Chinese title takes microseconds, and a list may hold 100,000 titles.
std::vector<std::shared_ptr<const QCollatorSortKey>> SortKeys(const QStringList& texts)
{
    QHash<QString, qsizetype> firstOf;
    QStringList distinct;
    std::vector<qsizetype> keyOf(size_t(texts.size()));
    for (qsizetype i = 0; i < texts.size(); ++i) {
        auto it = firstOf.constFind(texts.at(i));
        if (it == firstOf.cend()) {
            it = firstOf.insert(texts.at(i), distinct.size());
            distinct.append(texts.at(i));
        }
        keyOf[size_t(i)] = *it;
    }
    std::vector<std::shared_ptr<const QCollatorSortKey>> keys(size_t(distinct.size()));
    const auto make = [&](qsizetype from, qsizetype to) {
        const QCollator collator = ChineseCollator();
        for (qsizetype i = from; i < to; ++i) {
            keys[size_t(i)] = std::make_shared<const QCollatorSortKey>(collator.sortKey(distinct.at(i)));
        }
    };
    constexpr qsizetype KeysPerThread = 5000;
    const qsizetype threads = std::clamp<qsizetype>(
        std::min<qsizetype>(std::thread::hardware_concurrency(), distinct.size() / KeysPerThread), 1, 4);
    std::vector<std::thread> helpers;
    for (qsizetype t = 1; t < threads; ++t) {
        helpers.emplace_back(make, distinct.size() * t / threads, distinct.size() * (t + 1) / threads);
    }
    make(0, distinct.size() / threads);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    std::vector<std::shared_ptr<const QCollatorSortKey>> result;
    result.reserve(keyOf.size());
    for (const qsizetype k : keyOf) {
        result.push_back(keys[size_t(k)]);
    }
    return result;
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
    const bool byDate = order == ArticleOrder::NewestFirst || order == ArticleOrder::OldestFirst;
    std::vector<std::shared_ptr<const QCollatorSortKey>> keys;
    if (!byDate) {
        QStringList texts;
        texts.reserve(count);
        for (int row = 1; row <= count; ++row) {
            texts.append(order == ArticleOrder::Title ? articles.title(row) : articles.category(row));
        }
        keys = SortKeys(texts);
    }

    std::vector<Entry> entries;
    entries.reserve(size_t(count));
    for (int row = 1; row <= count; ++row) {
        Entry entry;
        entry.row = row;
        if (byDate) {
            entry.date = DateKey(articles.date(row));
        } else {
            entry.key = std::move(keys[size_t(row - 1)]);
        }
        entries.push_back(std::move(entry));
    }
    keys = {};

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

    // The rows move in one step, then read as if they had been appended in this order.
    std::vector<int> oldRows;
    oldRows.reserve(entries.size());
    for (const Entry& entry : entries) {
        oldRows.push_back(entry.row);
    }
    entries = {};
    articles.reorderDataRows(oldRows);
    articles.setColumnTexts(ArticleList::NumberColumn, [](int row) { return QString::number(row); });
    QHash<QString, int> positions;
    articles.setColumnTexts(ArticleList::PositionColumn,
                            [&](int row) { return QString::number(++positions[articles.category(row)]); });
}

} // namespace Model
