#include "model/searchinterruption.h"

namespace Model {

QString SearchInterruption::describe() const
{
    return QStringLiteral("列表页 ") + address + QStringLiteral("：") + reason;
}

} // namespace Model
