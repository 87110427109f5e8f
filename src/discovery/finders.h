#pragma once

#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

namespace Model {
class RunState;
}

// One finder per platform: each turns the blog address of a new task into rows of the article list and
// writes its progress into the status line; a finder that reads the blog's own article count announces it
// (announcedarticles.h). A failure ends the finder (the rows found so far stay) and reaches the discovery
// driver: a failed request as a Text::RequestFailure, which interrupts the search; a page that ends the
// finder by its own rules (no pager, a count that is not a number, a list that runs short) as any other
// Text::Failure, which ends the search.
namespace Discovery {

QCoro::Task<> FindSinaArticles(Model::RunState& state, QString address);
QCoro::Task<> FindBaiduArticles(Model::RunState& state, QString address);
QCoro::Task<> FindHexunArticles(Model::RunState& state, QString address);
QCoro::Task<> FindNeteaseArticles(Model::RunState& state, QString address);
QCoro::Task<> FindSohuArticles(Model::RunState& state, QString address);
// resumePage: the list page to go on with after an interrupted search, or none.
QCoro::Task<> FindIfengArticles(Model::RunState& state, QString address, std::optional<int> resumePage);
QCoro::Task<> FindQzoneArticles(Model::RunState& state);
QCoro::Task<> FindHealth39Articles(Model::RunState& state, QString address);
QCoro::Task<> FindTianyaArticles(Model::RunState& state, QString address);
QCoro::Task<> FindYaolanArticles(Model::RunState& state, QString address);
QCoro::Task<> FindCsdnArticles(Model::RunState& state, QString address);
QCoro::Task<> FindChinaUnixArticles(Model::RunState& state, QString address);
QCoro::Task<> FindCerspArticles(Model::RunState& state, QString address);
QCoro::Task<> FindCerspEblogArticles(Model::RunState& state, QString address);
QCoro::Task<> FindCnblogsArticles(Model::RunState& state, QString address);
QCoro::Task<> FindTianya2Articles(Model::RunState& state, QString address);
QCoro::Task<> FindCto51Articles(Model::RunState& state, QString address);

} // namespace Discovery
