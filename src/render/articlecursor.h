#pragma once

#include <QDateTime>

#include <QCoro/QCoroTask>

#include <set>

namespace Model {
class PageRecord;
class RunState;
} // namespace Model

namespace Render {

// Finds the articles of a download run in list order. A row is taken when its download mark is empty
// and its local page does not exist or is the page that points to the web address (unless the record
// says the blog deleted the article and it was looked at today), or when the record says its page failed
// (a page that holds the article then only wants what it was saved without); a row whose page exists
// already is marked "●" on the way.
//
// The rows before the cursor have all been looked at once; a row among them that page assembly hands
// back (its mark emptied again) is noted with revisit() and comes first, being the lowest. So every
// article is looked at a bounded number of times, however long the list.
class ArticleCursor
{
public:
    // The record, when given, names the pages of failed fetches.
    explicit ArticleCursor(Model::RunState& state, const Model::PageRecord* record = nullptr);

    // The next row to fetch, or 0 when none is left.
    QCoro::Task<int> NextArticleRow();

    // A row whose mark was emptied again after it was taken.
    void revisit(int row);

private:
    QCoro::Task<bool> takes(int row);
    bool wanted(int row) const;

    Model::RunState& m_state;
    const Model::PageRecord* m_record;
    QDateTime m_now;
    int m_next = 1;
    int m_knownCount = 0;
    std::set<int> m_revisit;
};

} // namespace Render
