#pragma once

#include <QTableView>

namespace Model {
class GridTable;
}

namespace Ui {

// One of the window's two grids over a grid table: row 0 of the table is the column header, column 0
// (the row number written when the row was added) is shown as the row header, and the program can ask
// for a row to be scrolled to the top. The article grid also scrolls by the window's own wheel rule.
class GridView final : public QTableView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GridView)

public:
    GridView(Model::GridTable& table, bool ownWheelRule, QWidget* parent = nullptr);

    Model::GridTable& table() const { return m_table; }

    // The grid row shown at the top (1 is the first data row).
    int topRow() const;
    void setTopRow(int row);

    // The grid row of a view index; view row r is grid row r + 1.
    static int gridRow(const QModelIndex& index) { return index.row() + 1; }

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void applyColumnWidths();
    void requestTopRow(int row);

    Model::GridTable& m_table;
    bool m_ownWheelRule;
    int m_wheelRemainder = 0;
    int m_requestedTopRow = 0; // asked for by the program, shown once events run (0: none)
};

} // namespace Ui
