#include "model/assetqueue.h"

namespace Model {

AssetQueue::AssetQueue(QObject* parent)
    : GridTable({QString(), QStringLiteral("类别"), QStringLiteral("地址"), QStringLiteral("保存地址"),
                 QStringLiteral("进度"), QStringLiteral("结果")},
                {700, 600, 6100, 4000, 1000, 2000}, parent)
{
}

int AssetQueue::AddAssetRow(int kind, const QString& address, const QString& folder, bool listScrolling)
{
    return appendNumberedRow({QString::number(kind), address, folder}, listScrolling);
}

} // namespace Model
