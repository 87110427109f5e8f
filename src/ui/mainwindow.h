#pragma once

#include "model/userinterface.h"
#include "ui/tabstrip.h"

#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace Model {
class RunState;
}

namespace Ui {

class CommandRunner;
class Commands;
class GridMenu;
class GridView;
class Heartbeat;
class Shell;
class VersionLine;
struct OpenTarget;

// The main window form1: the command buttons, the status and version lines, the list box, the tab strip
// with the article grid and the image and comment grid, and the five activity marks of the download
// slots. It is the program's user interface: the core shows its status, list lines, questions and
// messages through it.
class MainWindow final : public QWidget, public Model::UserInterface
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(Shell& shell, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Loading the window: shows the version, runs the start-up of the program with the run's state (which
    // must outlive the window's use of it) and starts the one-second timer.
    void Load(Model::RunState& state);

    // The version line (Label3).
    void setVersionLine(const QString& text);
    QString versionLine() const;
    // The activity mark of a download slot (0 to 4).
    void setSlotMark(int slot, const QString& mark);
    // The command buttons and their work; valid after Load.
    Commands& commands() const { return *m_commands; }

    // Model::UserInterface
    bool ask(const QString& title, const QString& question) override;
    void tell(const QString& message) override;
    void showCommandStates(const Model::CommandStates& states) override;
    bool openLocal(const QString& path) override;
    bool openWeb(const QString& address) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // Model::UserInterface
    void statusChanged(const QString& text) override;
    void listCleared() override;
    void listLineAdded(const QString& line) override;

private:
    void buildControls();
    void buildGrids();
    void StartupInitialise();
    void startAutomatically();
    void applyResizeRule();
    // The title names the current task and where its pages come from.
    void showTaskInTitle();
    void showGridOf(TabStrip::Tab tab);
    void listEntryDoubleClicked(QListWidgetItem* item);
    void versionLineClicked();
    void open(const OpenTarget& target);

    Shell& m_shell;
    Model::RunState* m_state = nullptr;

    std::array<QPushButton*, 12> m_command{}; // Command1 to Command11; 0 unused
    VersionLine* m_versionLine = nullptr;     // Label3
    QLabel* m_statusLine = nullptr;           // Label2
    QListWidget* m_list = nullptr;            // List1
    std::array<QLabel*, 5> m_slotMarks{};     // Label5(0) to Label5(4)
    TabStrip* m_tabs = nullptr;               // TabSp
    GridView* m_articleGrid = nullptr;        // msh
    GridView* m_assetGrid = nullptr;          // MSH2

    CommandRunner* m_runner = nullptr;
    Commands* m_commands = nullptr;
    GridMenu* m_menu = nullptr;       // Form3
    Heartbeat* m_heartbeat = nullptr; // Timer1
};

} // namespace Ui
