#pragma once

#include "model/articlesort.h"

#include <QMenu>

namespace Model {
class RunState;
}

namespace Ui {

class CommandRunner;
class GridView;
class TabStrip;

// The grids' popup menu (Form3): delete the selected rows of the visible grid, switch the automatic
// scrolling of the lists, and sort the article list.
class GridMenu final : public QMenu
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GridMenu)

public:
    GridMenu(Model::RunState& state, const CommandRunner& runner, GridView& articleGrid, GridView& assetGrid,
             const TabStrip& tabs, QWidget* parent = nullptr);

    // 删除: removes the rows selected in the visible grid, never the header or the spare row. Rows count
    // as selected when they are selected whole (through the row headers) or, with the title column
    // current, through their title cells. Nothing happens while a command holds row numbers of that grid.
    void deleteSelectedRows();
    // 列表滚动: switches whether appended rows scroll into view.
    void toggleListScrolling();
    // The sort items; nothing happens while the article list is being discovered or worked through, so
    // that no procedure is left holding a row number that now belongs to another article.
    void sortArticles(Model::ArticleOrder order);

    // Whether rows of a grid may be removed or moved now.
    bool articleRowsMayMove() const;
    bool articleRowsMayBeDeleted() const;
    bool assetRowsMayMove() const;

private:
    GridView& visibleGrid() const;
    void updateItems();

    Model::RunState& m_state;
    const CommandRunner& m_runner;
    GridView& m_articleGrid;
    GridView& m_assetGrid;
    const TabStrip& m_tabs;
    QAction* m_delete;
    QAction* m_scrolling;
    QList<QAction*> m_sortItems;
};

} // namespace Ui
