#include "model/assetqueue.h"

#include <algorithm>

namespace Model {

AssetQueue::AssetQueue(QObject* parent)
    : GridTable({QString(), QStringLiteral("类别"), QStringLiteral("地址"), QStringLiteral("保存地址"),
                 QStringLiteral("进度"), QStringLiteral("结果")},
                {700, 600, 6100, 4000, 1000, 2000}, parent)
{
    // Whatever empties a result or moves rows may leave a waiting job before the mark.
    connect(this, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                if (from.column() <= ResultColumn && to.column() >= ResultColumn) {
                    for (int row = from.row() + 1; row <= to.row() + 1; ++row) {
                        if (result(row).isEmpty()) {
                            mayWaitFrom(row);
                            break;
                        }
                    }
                }
            });
    connect(this, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int) { mayWaitFrom(first + 1); });
    connect(this, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int) { mayWaitFrom(first + 1); });
    connect(this, &QAbstractItemModel::modelReset, this, [this] { mayWaitFrom(1); });
    connect(this, &QAbstractItemModel::layoutChanged, this, [this] { mayWaitFrom(1); });
}

void AssetQueue::mayWaitFrom(int row)
{
    m_waitingFrom = std::max(1, std::min(m_waitingFrom, row));
}

int AssetQueue::firstWaitingJob()
{
    while (m_waitingFrom <= jobCount() && !result(m_waitingFrom).isEmpty()) {
        ++m_waitingFrom;
    }
    m_waitingFrom = std::min(m_waitingFrom, jobCount() + 1);
    return m_waitingFrom;
}

int AssetQueue::AddAssetRow(int kind, const QString& address, const QString& folder, bool listScrolling)
{
    return appendNumberedRow({QString::number(kind), address, folder}, listScrolling);
}

} // namespace Model
