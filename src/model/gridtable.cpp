#include "model/gridtable.h"

#include <algorithm>

namespace Model {

GridTable::GridTable(const QStringList& headers, const QList<int>& widthsTwips, QObject* parent)
    : QAbstractTableModel(parent), m_headers(headers), m_widths(widthsTwips)
{
    resetRows();
}

void GridTable::resetRows()
{
    beginResetModel();
    m_rows.clear();
    m_rows.push_back(m_headers);
    m_rows.push_back(QStringList());
    m_firstVisibleRow = 1;
    endResetModel();
}

QString GridTable::text(int row, int column) const
{
    if (row < 0 || row >= gridRowCount() || column < 0 || column >= columns()) {
        return {};
    }
    const QStringList& cells = m_rows[size_t(row)];
    return column < cells.size() ? cells.at(column) : QString();
}

void GridTable::setText(int row, int column, const QString& value)
{
    if (row < 0 || row >= gridRowCount() || column < 0 || column >= columns()) {
        return;
    }
    QStringList& cells = m_rows[size_t(row)];
    if (cells.size() <= column) {
        if (value.isEmpty()) {
            return;
        }
        while (cells.size() < columns()) {
            cells.append(QString());
        }
    }
    if (cells[column] == value) {
        return;
    }
    cells[column] = value;
    if (row == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
    } else {
        const QModelIndex at = index(row - 1, column);
        Q_EMIT dataChanged(at, at, {Qt::DisplayRole});
    }
}

void GridTable::setGridRowCount(int rows)
{
    rows = std::max(rows, 2);
    const int current = gridRowCount();
    if (rows == current) {
        return;
    }
    if (rows < current) {
        beginRemoveRows(QModelIndex(), rows - 1, current - 2);
        m_rows.resize(size_t(rows));
        endRemoveRows();
        // The last row is the spare row again: it must be empty.
        if (!m_rows.back().isEmpty()) {
            m_rows.back().clear();
            Q_EMIT dataChanged(index(rows - 2, 0), index(rows - 2, columns() - 1), {Qt::DisplayRole});
        }
    } else {
        beginInsertRows(QModelIndex(), current - 1, rows - 2);
        m_rows.resize(size_t(rows));
        endInsertRows();
    }
}

void GridTable::removeDataRows(int first, int last)
{
    first = std::max(first, 1);
    last = std::min(last, dataRowCount());
    if (first > last) {
        return;
    }
    beginRemoveRows(QModelIndex(), first - 1, last - 1);
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
    endRemoveRows();
}

int GridTable::appendRow(const QStringList& cells)
{
    const int row = gridRowCount() - 1;
    m_rows[size_t(row)] = cells;
    const QModelIndex from = index(row - 1, 0);
    const QModelIndex to = index(row - 1, columns() - 1);
    Q_EMIT dataChanged(from, to, {Qt::DisplayRole});
    beginInsertRows(QModelIndex(), row, row);
    m_rows.emplace_back();
    endInsertRows();
    return row;
}

int GridTable::appendNumberedRow(QStringList cells, bool listScrolling)
{
    cells.prepend(QString::number(gridRowCount() - 1));
    const int row = appendRow(cells);
    if (listScrolling && gridRowCount() > 5) {
        setFirstVisibleRow(gridRowCount() - 5);
    }
    return row;
}

int GridTable::columnWidthTwips(int column) const
{
    return column >= 0 && column < m_widths.size() ? m_widths.at(column) : 0;
}

void GridTable::setFirstVisibleRow(int row)
{
    m_firstVisibleRow = std::clamp(row, 1, std::max(1, gridRowCount() - 1));
    Q_EMIT firstVisibleRowRequested(m_firstVisibleRow);
}

int GridTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : gridRowCount() - 1;
}

int GridTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns();
}

QVariant GridTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    return text(index.row() + 1, index.column());
}

QVariant GridTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        return text(0, section);
    }
    return section + 1;
}

} // namespace Model
