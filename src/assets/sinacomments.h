#pragma once

#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Assets {

// Appends the comment block of a Sina article to its page text and queues its comment pages.
QCoro::Task<QString> AppendSinaComments(Model::RunState& state, QString page, int row);

// Turns a fetched comment page (an escaped script reply) into plain list markup.
QString FormatCommentPage(QString text);

} // namespace Assets
