#include "ui/gridmenu.h"

#include "assets/assetfetcher.h"
#include "model/runstate.h"
#include "ui/commandrunner.h"
#include "ui/gridview.h"
#include "ui/tabstrip.h"

#include <QItemSelectionModel>

#include <set>

namespace Ui {

GridMenu::GridMenu(Model::RunState& state, const CommandRunner& runner, GridView& articleGrid,
                   GridView& assetGrid, const TabStrip& tabs, QWidget* parent)
    : QMenu(parent), m_state(state), m_runner(runner), m_articleGrid(articleGrid), m_assetGrid(assetGrid),
      m_tabs(tabs)
{
    setObjectName(QStringLiteral("Form3"));
    m_delete = addAction(QStringLiteral("删除"), this, &GridMenu::deleteSelectedRows);
    m_delete->setObjectName(QStringLiteral("del"));
    addSeparator()->setObjectName(QStringLiteral("h"));
    m_scrolling = addAction(QStringLiteral("列表滚动"), this, &GridMenu::toggleListScrolling);
    m_scrolling->setObjectName(QStringLiteral("gundong"));
    m_scrolling->setCheckable(true);
    addSeparator()->setObjectName(QStringLiteral("wq"));

    const struct
    {
        const char* name;
        QString caption;
        Model::ArticleOrder order;
    } sorts[] = {
        {"timerdown", QStringLiteral("时间排序-最新开始"), Model::ArticleOrder::NewestFirst},
        {"timeup", QStringLiteral("时间排序-最旧开始"), Model::ArticleOrder::OldestFirst},
        {"names", QStringLiteral("标题排序"), Model::ArticleOrder::Title},
        {"fenleis", QStringLiteral("分类排序"), Model::ArticleOrder::Category},
    };
    for (const auto& sort : sorts) {
        const Model::ArticleOrder order = sort.order;
        QAction* item = addAction(sort.caption, this, [this, order] { sortArticles(order); });
        item->setObjectName(QLatin1String(sort.name));
        m_sortItems.append(item);
    }

    connect(this, &QMenu::aboutToShow, this, &GridMenu::updateItems);
    updateItems();
}

GridView& GridMenu::visibleGrid() const
{
    return m_tabs.currentTab() == TabStrip::AssetTab ? m_assetGrid : m_articleGrid;
}

bool GridMenu::articleRowsMayMove() const
{
    // The download keeps the row numbers of the articles it fetches, the output commands walk the rows.
    return !m_state.downloadRunning && !m_state.discoveryRunning && !m_runner.anyRunning();
}

bool GridMenu::articleRowsMayBeDeleted() const
{
    // A discovery only appends, so its rows may be deleted while it runs.
    return !m_state.downloadRunning && !m_runner.walkingArticles();
}

bool GridMenu::assetRowsMayMove() const
{
    // The fetcher keeps the row numbers of the jobs it fetches.
    return m_state.assetFetcher == nullptr || !m_state.assetFetcher->busy();
}

void GridMenu::updateItems()
{
    m_scrolling->setChecked(m_state.listScrolling);
    const bool articles = &visibleGrid() == &m_articleGrid;
    m_delete->setEnabled(articles ? articleRowsMayBeDeleted() : assetRowsMayMove());
    for (QAction* item : std::as_const(m_sortItems)) {
        item->setEnabled(articleRowsMayMove());
    }
}

void GridMenu::deleteSelectedRows()
{
    GridView& grid = visibleGrid();
    const bool articles = &grid == &m_articleGrid;
    // Checked again now: work may have started while the menu was open.
    if (!(articles ? articleRowsMayBeDeleted() : assetRowsMayMove())) {
        return;
    }
    // The selection follows the rows as they are appended or removed, so it names the right rows now.
    QItemSelectionModel* selection = grid.selectionModel();
    std::set<int> rows;
    for (const QModelIndex& index : selection->selectedRows()) {
        rows.insert(GridView::gridRow(index));
    }
    constexpr int TitleColumn = 1;
    if (grid.currentIndex().column() == TitleColumn) {
        for (const QModelIndex& index : selection->selectedIndexes()) {
            if (index.column() == TitleColumn) {
                rows.insert(GridView::gridRow(index));
            }
        }
    }
    Model::GridTable& table = grid.table();
    // Many scattered rows are removed in one pass that resets the view: it keeps its place in the list.
    const int top = grid.topRow();
    table.removeDataRows(std::vector<int>(rows.begin(), rows.end()));
    if (grid.topRow() != top) {
        grid.setTopRow(std::min(top, table.gridRowCount() - 1));
    }
    selection->clearSelection();
}

void GridMenu::toggleListScrolling()
{
    m_state.listScrolling = !m_state.listScrolling;
    m_scrolling->setChecked(m_state.listScrolling);
}

void GridMenu::sortArticles(Model::ArticleOrder order)
{
    if (!articleRowsMayMove()) {
        return;
    }
    Model::SortArticles(m_state.articles, order);
    m_articleGrid.selectionModel()->clearSelection();
}

} // namespace Ui
