#include "assets/sinacomments.h"

#include "model/runstate.h"

namespace Assets {

QCoro::Task<QString> AppendSinaComments(Model::RunState& state, QString page, int row)
{
    Q_UNUSED(state)
    Q_UNUSED(row)
    co_return page;
}

QString FormatCommentPage(QString text)
{
    return text;
}

} // namespace Assets
