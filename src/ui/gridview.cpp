#include "ui/gridview.h"

#include "model/gridtable.h"
#include "ui/mainlayout.h"

#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

namespace Ui {

namespace {

// Shows column 0 of the table (the row number given when the row was added) as the row header, so that
// numbers stay as they were when rows are deleted.
class RowNumberHeader final : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Vertical && role == Qt::DisplayRole) {
            return index(section, 0).data(Qt::DisplayRole);
        }
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
};

constexpr int WheelNotch = 120;
constexpr int RowsPerNotch = 3;

} // namespace

GridView::GridView(Model::GridTable& table, bool ownWheelRule, QWidget* parent)
    : QTableView(parent), m_table(table), m_ownWheelRule(ownWheelRule)
{
    auto* proxy = new RowNumberHeader(this);
    proxy->setSourceModel(&table);
    setModel(proxy);

    setFont(MainLayout::SongFont());
    setVerticalScrollMode(ScrollPerItem);
    setSelectionMode(ExtendedSelection);
    setSelectionBehavior(SelectItems);
    setEditTriggers(NoEditTriggers);
    setWordWrap(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setMinimumSectionSize(fontMetrics().height());
    verticalHeader()->setMinimumWidth(MainLayout::Pixels(table.columnWidthTwips(0)));
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    applyColumnWidths();

    connect(&table, &Model::GridTable::firstVisibleRowRequested, this, &GridView::requestTopRow);
    connect(&table, &QAbstractItemModel::modelReset, this, &GridView::applyColumnWidths);
}

void GridView::applyColumnWidths()
{
    // Column 0 is the row header; a column of a pixel or less is kept out of sight.
    setColumnHidden(0, true);
    for (int column = 1; column < m_table.columns(); ++column) {
        const int width = MainLayout::Pixels(m_table.columnWidthTwips(column));
        setColumnHidden(column, width <= 1);
        setColumnWidth(column, width);
    }
}

int GridView::topRow() const
{
    return verticalScrollBar()->value() + 1;
}

void GridView::setTopRow(int row)
{
    // The scroll range may not know of rows appended a moment ago.
    updateGeometries();
    verticalScrollBar()->setValue(std::max(0, row - 1));
}

void GridView::requestTopRow(int row)
{
    // Rows are appended in bursts (a list page at a time); scrolling once per burst keeps appending fast.
    const bool scheduled = m_requestedTopRow != 0;
    m_requestedTopRow = row;
    if (!scheduled) {
        QTimer::singleShot(0, this, [this] {
            setTopRow(m_requestedTopRow);
            m_requestedTopRow = 0;
        });
    }
}

void GridView::wheelEvent(QWheelEvent* event)
{
    if (!m_ownWheelRule || event->modifiers() != Qt::NoModifier) {
        QTableView::wheelEvent(event);
        return;
    }
    // Three rows a notch; a finer wheel or touchpad scrolls once its turns add up to a notch.
    m_wheelRemainder += event->angleDelta().y();
    while (m_wheelRemainder <= -WheelNotch) {
        m_wheelRemainder += WheelNotch;
        if (topRow() + RowsPerNotch < m_table.gridRowCount()) {
            setTopRow(topRow() + RowsPerNotch);
        }
    }
    while (m_wheelRemainder >= WheelNotch) {
        m_wheelRemainder -= WheelNotch;
        setTopRow(topRow() <= RowsPerNotch ? 1 : topRow() - RowsPerNotch);
    }
    event->accept();
}

} // namespace Ui
