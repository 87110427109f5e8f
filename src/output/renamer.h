#pragma once

#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Output {

// The 改名 command: renames the downloaded pages after their dates and titles (after asking).
QCoro::Task<> RenamePagesToTitles(Model::RunState& state);

// The new file name of an article page: the date up to and including its first blank (or the whole date
// and "!"), "_", the title, ".html", each part made safe.
QString TitleFileName(const QString& date, const QString& title);

} // namespace Output
