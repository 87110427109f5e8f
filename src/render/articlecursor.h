#pragma once

#include <QCoro/QCoroTask>

#include <set>

namespace Model {
class RunState;
}

namespace Render {

// Finds the articles of a download run in list order. A row is taken when its download mark is empty
// and its local page does not exist; a row whose page exists already is marked "●" on the way.
//
// The rows before the cursor have all been looked at once; a row among them that page assembly hands
// back (its mark emptied again) is noted with revisit() and comes first, being the lowest. So every
// article is looked at a bounded number of times, however long the list.
class ArticleCursor
{
public:
    explicit ArticleCursor(Model::RunState& state);

    // The next row to fetch, or 0 when none is left.
    QCoro::Task<int> NextArticleRow();

    // A row whose mark was emptied again after it was taken.
    void revisit(int row);

private:
    QCoro::Task<bool> takes(int row);

    Model::RunState& m_state;
    int m_next = 1;
    int m_knownCount = 0;
    std::set<int> m_revisit;
};

} // namespace Render
