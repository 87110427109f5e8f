#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>

#include <QCoro/QCoroTask>

#include <functional>

namespace Model {
class RunState;
}

namespace Ui {

// The long commands the window starts; each runs as a coroutine while the window stays responsive.
enum class Command {
    Discovery,  // 新建 (through the new-task dialog) and the automatic start
    Download,   // 下载
    Import,     // 导入
    PackChm,    // 生成CHM
    PackEpub,   // 生成EPUB
    ToText,     // 转TXT
    ToMarkdown, // 转Markdown
    Rename,     // 改名
};

// Starts the window's long commands and keeps track of them: a command is not started a second time
// while it still runs, and a failure that reaches this far ends in the status line, never in a crash.
class CommandRunner final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CommandRunner)

public:
    explicit CommandRunner(Model::RunState& state, QObject* parent = nullptr);

    // Starts the command that `start` makes, unless it runs already (then false and nothing happens).
    bool run(Command command, const std::function<QCoro::Task<>()>& start);

    bool isRunning(Command command) const { return m_running.contains(command); }
    bool anyRunning() const { return !m_running.isEmpty(); }
    // True while any command that walks the article list by row number runs (all but the discovery,
    // which only appends).
    bool walkingArticles() const;

Q_SIGNALS:
    void finished(Ui::Command command);

private:
    static QCoro::Task<> Supervise(QPointer<CommandRunner> self, Command command, QCoro::Task<> task);
    void end(Command command, const QString& failure);

    Model::RunState& m_state;
    QSet<Command> m_running;
};

} // namespace Ui
