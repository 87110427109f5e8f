#pragma once

#include <QString>
#include <QStringList>

namespace Model {

// Enabled state of the six main command buttons.
struct CommandStates
{
    bool newTask = false;    // 新建 (Command1)
    bool download = false;   // 下载 (Command2)
    bool pack = false;       // 生成CHM (Command3) and 生成EPUB (Command10)
    bool folder = false;     // 目录 (Command4)
    bool exportList = false; // 导出 (Command5)
    bool importList = false; // 导入 (Command6)

    bool operator==(const CommandStates&) const = default;
};

// The one way the core talks to the user: the status line, the list box, questions, messages, the
// command buttons and the shell. The window implements it; batch mode and tests have their own.
class UserInterface
{
public:
    virtual ~UserInterface() = default;

    // The status line.
    void setStatus(const QString& text);
    const QString& status() const { return m_status; }

    // The list box (help lines at start-up, then the finders' queue of list-page addresses).
    void clearList();
    void addListLine(const QString& line);
    int listCount() const { return int(m_list.size()); }
    QString listLine(int index) const { return m_list.value(index); }
    const QStringList& listLines() const { return m_list; }

    // Something the user should know of that stops nothing (a file of the program that was not used):
    // the list box and the status line show it; batch mode writes it to the error output.
    virtual void warn(const QString& message);

    // A yes/no question; true for yes.
    virtual bool ask(const QString& title, const QString& question) = 0;
    // A message with an OK button.
    virtual void tell(const QString& message) = 0;
    // Shows the enabled state of the six main command buttons.
    virtual void showCommandStates(const CommandStates& states) = 0;
    // Opens a local file or folder with its default application; false when that could not be started.
    virtual bool openLocal(const QString& path) = 0;
    // Opens a web address in the browser; false when that could not be started.
    virtual bool openWeb(const QString& address) = 0;

protected:
    virtual void statusChanged(const QString& text) { Q_UNUSED(text) }
    virtual void listCleared() {}
    virtual void listLineAdded(const QString& line) { Q_UNUSED(line) }

private:
    QString m_status;
    QStringList m_list;
};

} // namespace Model
