#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>
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
    // Removes the given data rows (ascending, each once; others are ignored) in one pass. Views are told
    // block by block when the rows form few blocks, and are reset once otherwise: a thousand scattered
    // rows of a long list then cost one pass, not a thousand.
    void removeDataRows(const std::vector<int>& rows);
    // Writes a whole new data row into the spare row and adds a new spare row. Returns its row number.
    int appendRow(const QStringList& cells);
    // Appends a data row numbered in its first cell, followed by cells; with listScrolling the newest rows
    // are kept in view. Returns its row number.
    int appendNumberedRow(QStringList cells, bool listScrolling);
    // Puts the data rows in a new order: data row i + 1 becomes what row oldRows[i] was (oldRows holds
    // every data row once). Views are told once and keep their current cell on the same article.
    void reorderDataRows(const std::vector<int>& oldRows);
    // Sets one column of every data row to value(row) and tells the views once.
    void setColumnTexts(int column, const std::function<QString(int row)>& value);

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
    // A row is kept as one text: every cell is its length (one character, or three for a cell of
    // 65,535 characters or more) followed by its characters. One allocation a row keeps a list of
    // 100,000 articles and twice as many images small.
    static QString packRow(const QStringList& cells);
    // Where cell `column` of a packed row starts (its length mark) and where its characters start and
    // end; false when the row has fewer cells.
    struct CellSpan
    {
        qsizetype mark = 0;
        qsizetype begin = 0;
        qsizetype end = 0;
    };
    static bool findCell(QStringView row, int column, CellSpan* span);
    static void appendCell(QString& row, QStringView cell);
    // Sets a cell without telling the views; false when it did not change.
    bool storeText(int row, int column, const QString& value);

    QStringList m_headers;
    QList<int> m_widths;
    std::vector<QString> m_rows; // grid rows, packed; row 0 the header
    int m_firstVisibleRow = 1;
};

} // namespace Model
