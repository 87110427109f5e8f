#pragma once

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Output {

// The 改名 command: renames the downloaded pages after their dates and titles (after asking).
QCoro::Task<> RenamePagesToTitles(Model::RunState& state);

} // namespace Output
