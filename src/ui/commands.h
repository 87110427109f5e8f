#pragma once

#include <QObject>
#include <QPointer>

namespace Model {
class RunState;
class UserInterface;
} // namespace Model

namespace Ui {

class CommandRunner;
class NewTaskDialog;
struct NewTask;

// What the main window's command buttons do. Long work runs through the command runner; the commands
// of the other parts of the program are called as they are.
class Commands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Commands)

public:
    Commands(Model::RunState& state, CommandRunner& runner, QWidget& window);
    ~Commands() override;

    // 新建: shows the new-task dialog without blocking the window (created on first use).
    void newTask();
    // Starts the discovery of a task (from the dialog or the automatic start). Before a Sina task the
    // program forgets its Sina cookies, so the user's login does not spoil the download.
    void startTask(const NewTask& task);
    // 下载
    void download();
    // 导入: asks for a task file in the program folder and loads it.
    void importList();
    // Loads a chosen task file.
    void importFile(const QString& fileName);
    // 导出
    void exportList();
    // 生成CHM; also started by the automatic mode.
    void packChm();
    // 生成EPUB
    void packEpub();
    // 转TXT
    void convertToText();
    void convertToMarkdown();
    // 目录: opens the program folder (not the task folder).
    void openProgramFolder();
    // 改名
    void renamePages();
    // 再次下载图片
    void fetchImagesAgain();

    NewTaskDialog* newTaskDialog() const { return m_dialog; }

private:
    Model::RunState& m_state;
    CommandRunner& m_runner;
    QWidget& m_window;
    QPointer<NewTaskDialog> m_dialog;
};

} // namespace Ui
