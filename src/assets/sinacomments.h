#pragma once

#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Assets {

// Appends the comment block of a Sina article to its page text and queues its comment pages.
// Throws Text::Failure when the row's link holds no article identifier or the counter gives no count.
QCoro::Task<QString> AppendSinaComments(Model::RunState& state, QString page, int row);

// Turns a fetched comment page (an escaped script reply) into the page as written: plain list markup
// after the character-set declaration.
QString FormatCommentPage(QString text);

// The address of comment page k (from 1) of a Sina article.
QString CommentPageAddress(const QString& articleId, int page);

// The counter service's address for a Sina article identifier. Throws Text::Failure for an identifier
// shorter than 8 characters.
QString CommentCounterAddress(const QString& articleId);

} // namespace Assets
