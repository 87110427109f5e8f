#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace Model {

// A table of text cells with the numbering of the window's grids: row 0 is the header row, data rows are
// 1 to R - 2 and row R - 1 is an empty spare row that the next append fills. As a model for QTableView it
// shows grid rows 1 to R - 1 (the header row becomes the view's header).
class GridTable : public QAbstractTableModel
{
    Q_OBJECT

public:
    GridTable(const QStringList& headers, const QList<int>& widthsTwips, QObject* parent = nullptr);

    // Grid view of the table.
    int gridRowCount() const { return int(m_rows.size()); }
    int dataRowCount() const { return gridRowCount() - 2; }
    int columns() const { return int(m_headers.size()); }
    QString text(int row, int column) const;
    void setText(int row, int column, const QString& value);
    // Sets the row count (at least 2); new rows are empty. The spare row is kept empty.
    void setGridRowCount(int rows);
    // Removes data rows first..last (clamped to the data rows); the header and the spare row stay.
    void removeDataRows(int first, int last);
    // Writes a whole new data row into the spare row and adds a new spare row. Returns its row number.
    int appendRow(const QStringList& cells);
    // Appends a data row numbered in its first cell, followed by cells; with listScrolling the newest rows
    // are kept in view. Returns its row number.
    int appendNumberedRow(QStringList cells, bool listScrolling);

    int columnWidthTwips(int column) const;
    int firstVisibleRow() const { return m_firstVisibleRow; }
    void setFirstVisibleRow(int row);

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // The program asks the view to show this grid row at the top.
    void firstVisibleRowRequested(int row);

protected:
    void resetRows(); // header row and spare row only

private:
    QStringList m_headers;
    QList<int> m_widths;
    std::vector<QStringList> m_rows; // grid rows, row 0 the header
    int m_firstVisibleRow = 1;
};

} // namespace Model
