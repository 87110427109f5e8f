#include "model/gridtable.h"

#include <algorithm>

namespace Model {

GridTable::GridTable(const QStringList& headers, const QList<int>& widthsTwips, QObject* parent)
    : QAbstractTableModel(parent), m_headers(headers), m_widths(widthsTwips)
{
    resetRows();
}

namespace {

constexpr char16_t LongCell = 0xFFFF; // the length follows in two characters

} // namespace

void GridTable::appendCell(QString& row, QStringView cell)
{
    const qsizetype size = cell.size();
    if (size < LongCell) {
        row += QChar(char16_t(size));
    } else {
        row += QChar(LongCell);
        row += QChar(char16_t(quint32(size) >> 16));
        row += QChar(char16_t(quint32(size) & 0xFFFF));
    }
    row += cell;
}

QString GridTable::packRow(const QStringList& cells)
{
    qsizetype size = 0;
    for (const QString& cell : cells) {
        size += cell.size() + 3;
    }
    QString row;
    row.reserve(size);
    for (const QString& cell : cells) {
        appendCell(row, cell);
    }
    row.squeeze();
    return row;
}

bool GridTable::findCell(QStringView row, int column, CellSpan* span)
{
    qsizetype at = 0;
    for (int c = 0;; ++c) {
        if (at >= row.size()) {
            return false;
        }
        const qsizetype mark = at;
        qsizetype size = row[at++].unicode();
        if (size == LongCell && at + 1 < row.size()) {
            size = qsizetype(quint32(row[at].unicode()) << 16 | row[at + 1].unicode());
            at += 2;
        }
        if (c == column) {
            *span = CellSpan{mark, at, std::min(at + size, row.size())};
            return true;
        }
        at += size;
    }
}

void GridTable::resetRows()
{
    beginResetModel();
    m_rows.clear();
    m_rows.push_back(packRow(m_headers));
    m_rows.push_back(QString());
    m_firstVisibleRow = 1;
    endResetModel();
}

QString GridTable::text(int row, int column) const
{
    if (row < 0 || row >= gridRowCount() || column < 0 || column >= columns()) {
        return {};
    }
    const QString& packed = m_rows[size_t(row)];
    CellSpan span;
    if (!findCell(packed, column, &span)) {
        return {};
    }
    return packed.mid(span.begin, span.end - span.begin);
}

void GridTable::setText(int row, int column, const QString& value)
{
    if (row < 0 || row >= gridRowCount() || column < 0 || column >= columns()) {
        return;
    }
    if (!storeText(row, column, value)) {
        return;
    }
    if (row == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
    } else {
        const QModelIndex at = index(row - 1, column);
        Q_EMIT dataChanged(at, at, {Qt::DisplayRole});
    }
}

bool GridTable::storeText(int row, int column, const QString& value)
{
    const QString& packed = m_rows[size_t(row)];
    CellSpan span;
    if (!findCell(packed, column, &span)) {
        if (value.isEmpty()) {
            return false;
        }
        // Every column gets its cell.
        QStringList cells;
        for (int c = 0; c < columns(); ++c) {
            cells.append(c == column ? value : text(row, c));
        }
        m_rows[size_t(row)] = packRow(cells);
    } else {
        const QStringView old = QStringView(packed).mid(span.begin, span.end - span.begin);
        if (old == value) {
            return false;
        }
        // The row is made anew at its exact size.
        QString changed;
        changed.reserve(packed.size() - (span.end - span.mark) + value.size() + 3);
        changed += QStringView(packed).left(span.mark);
        appendCell(changed, value);
        changed += QStringView(packed).mid(span.end);
        m_rows[size_t(row)] = changed;
    }
    return true;
}

void GridTable::reorderDataRows(const std::vector<int>& oldRows)
{
    const int count = dataRowCount();
    if (int(oldRows.size()) != count) {
        return;
    }
    std::vector<int> newRowOf(size_t(count) + 1, 0);
    for (int i = 0; i < count; ++i) {
        const int old = oldRows[size_t(i)];
        if (old < 1 || old > count || newRowOf[size_t(old)] != 0) {
            return; // not an order of the data rows
        }
        newRowOf[size_t(old)] = i + 1;
    }
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<QString> rows;
    rows.reserve(m_rows.size());
    rows.push_back(std::move(m_rows.front()));
    for (const int old : oldRows) {
        rows.push_back(std::move(m_rows[size_t(old)]));
    }
    rows.push_back(std::move(m_rows.back()));
    m_rows = std::move(rows);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& at : from) {
        const int old = at.row() + 1;
        to.append(old <= count ? index(newRowOf[size_t(old)] - 1, at.column()) : at);
    }
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void GridTable::setColumnTexts(int column, const std::function<QString(int row)>& value)
{
    if (column < 0 || column >= columns() || dataRowCount() == 0) {
        return;
    }
    for (int row = 1; row <= dataRowCount(); ++row) {
        storeText(row, column, value(row));
    }
    Q_EMIT dataChanged(index(0, column), index(dataRowCount() - 1, column), {Qt::DisplayRole});
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

void GridTable::removeDataRows(const std::vector<int>& rows)
{
    constexpr int FewBlocks = 16;
    std::vector<std::pair<int, int>> blocks; // first, last
    for (const int row : rows) {
        if (row < 1 || row > dataRowCount() || (!blocks.empty() && row <= blocks.back().second)) {
            continue;
        }
        if (!blocks.empty() && row == blocks.back().second + 1) {
            blocks.back().second = row;
        } else {
            blocks.emplace_back(row, row);
        }
    }
    if (blocks.size() <= size_t(FewBlocks)) {
        // From the bottom up, so the numbers of the blocks above stay right.
        for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) {
            removeDataRows(it->first, it->second);
        }
        return;
    }
    beginResetModel();
    size_t kept = 1;
    size_t block = 0;
    for (size_t row = 1; row < m_rows.size(); ++row) {
        while (block < blocks.size() && size_t(blocks[block].second) < row) {
            ++block;
        }
        const bool removed = block < blocks.size() && size_t(blocks[block].first) <= row;
        if (!removed) {
            m_rows[kept++] = std::move(m_rows[row]);
        }
    }
    m_rows.resize(kept);
    m_firstVisibleRow = std::clamp(m_firstVisibleRow, 1, std::max(1, gridRowCount() - 1));
    endResetModel();
}

int GridTable::appendRow(const QStringList& cells)
{
    const int row = gridRowCount() - 1;
    m_rows[size_t(row)] = packRow(cells);
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
