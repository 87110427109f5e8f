#include "ui/commandrunner.h"

#include "model/runstate.h"
#include "text/failure.h"

#include <QPointer>

#include <algorithm>

namespace Ui {

CommandRunner::CommandRunner(Model::RunState& state, QObject* parent) : QObject(parent), m_state(state) {}

bool CommandRunner::run(Command command, const std::function<QCoro::Task<>()>& start)
{
    if (m_running.contains(command)) {
        return false;
    }
    m_running.insert(command);
    // The task starts at once; Supervise owns it until it ends.
    Supervise(QPointer<CommandRunner>(this), command, start());
    return true;
}

bool CommandRunner::walkingArticles() const
{
    return std::any_of(m_running.cbegin(), m_running.cend(),
                       [](Command command) { return command != Command::Discovery; });
}

QCoro::Task<> CommandRunner::Supervise(QPointer<CommandRunner> self, Command command, QCoro::Task<> task)
{
    QString failure;
    try {
        co_await std::move(task);
    } catch (const Text::Failure& error) {
        failure = error.message();
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    // The window may be gone by now (the program is closing).
    if (self) {
        self->end(command, failure);
    }
}

void CommandRunner::end(Command command, const QString& failure)
{
    m_running.remove(command);
    if (!failure.isEmpty()) {
        m_state.setStatus(QStringLiteral("操作中断：") + failure);
    }
    Q_EMIT finished(command);
}

} // namespace Ui
