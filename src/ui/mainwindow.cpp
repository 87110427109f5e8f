#include "ui/mainwindow.h"

#include "model/archivesource.h"
#include "model/endpoints.h"
#include "model/runstate.h"
#include "ui/autostart.h"
#include "ui/commandrunner.h"
#include "ui/commands.h"
#include "ui/gridmenu.h"
#include "ui/gridview.h"
#include "ui/heartbeat.h"
#include "ui/mainlayout.h"
#include "ui/newtaskdialog.h"
#include "ui/opentargets.h"
#include "ui/shell.h"
#include "ui/versionline.h"

#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

namespace Ui {

namespace {

namespace L = MainLayout;

// Message texts break their lines with CR LF or CR; the window's labels break them with LF.
QString DisplayText(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

void Place(QWidget* widget, const L::TwipsRect& rect)
{
    widget->setGeometry(L::PixelRect(rect));
}

const QString HelpLines[] = {
    QStringLiteral("第一步：按“新建”新建一个博客下载任务"),
    QStringLiteral("第二步：接着会开始寻找文章，寻找完以后就按“下载”开始下载"),
    QStringLiteral("第三步：下载完成后按“生成CHM”生成CHM") + QStringLiteral("或下载完成后按“转TXT”生成TXT"),
    QStringLiteral("注意：备份新浪前要登出，否则可能出现能找到文章，下载却是空的！"),
    QStringLiteral("注意：本程序持续改进中，如发现问题可下载最新版试试"),
};

const QString ProgramTitle = QStringLiteral("qvlrx卷轴匣(博客备份工具)");

} // namespace

MainWindow::MainWindow(Shell& shell, QWidget* parent) : QWidget(parent), m_shell(shell)
{
    setObjectName(QStringLiteral("form1"));
    setWindowTitle(ProgramTitle);
    setFont(L::SongFont());
    buildControls();
    resize(L::DesignClientSize());
    setStatus(QStringLiteral("请按\"新建\"或者导入任务"));
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls()
{
    const struct
    {
        int number;
        QString caption;
        QString tooltip;
        L::TwipsRect rect;
    } buttons[] = {
        {1, QStringLiteral("新建"), QStringLiteral("新建一个下载任务"), L::Command1},
        {2, QStringLiteral("下载"), QStringLiteral("找到文章后按此开始下载文章"), L::Command2},
        {6, QStringLiteral("导入"), QStringLiteral("导入文章清单"), L::Command6},
        {5, QStringLiteral("导出"), QStringLiteral("保存文章清单"), L::Command5},
        {3, QStringLiteral("生成CHM"), QStringLiteral("打包成CHM"), L::Command3},
        {7, QStringLiteral("转TXT"), QStringLiteral("转成TXT格式"), L::Command7},
        {11, QStringLiteral("转Markdown"), QStringLiteral("转成Markdown，可用于Hugo、Hexo等建站工具"),
         L::Command11},
        {4, QStringLiteral("目录"), QStringLiteral("打开存放目录"), L::Command4},
        {8, QStringLiteral("改名"), QStringLiteral("改名"), L::Command8},
        {9, QStringLiteral("再次下载图片"), QStringLiteral("执行多次可确保图片一个不漏"), L::Command9},
        {10, QStringLiteral("生成EPUB"), QStringLiteral("打包成EPUB电子书"), L::Command10},
    };
    for (const auto& button : buttons) {
        auto* widget = new QPushButton(button.caption, this);
        widget->setObjectName(QStringLiteral("Command") + QString::number(button.number));
        widget->setToolTip(button.tooltip);
        Place(widget, button.rect);
        m_command[size_t(button.number)] = widget;
    }
    m_command[4]->installEventFilter(this);

    m_versionLine = new VersionLine(this);
    m_versionLine->setObjectName(QStringLiteral("Label3"));
    Place(m_versionLine, L::Label3);
    connect(m_versionLine, &VersionLine::clicked, this, &MainWindow::versionLineClicked);

    m_statusLine = new QLabel(this);
    m_statusLine->setObjectName(QStringLiteral("Label2"));
    m_statusLine->setFont(L::HeiFont());
    Place(m_statusLine, L::Label2);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setFont(L::SongFont());
    Place(m_list, L::List1);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &MainWindow::listEntryDoubleClicked);

    m_tabs = new TabStrip(this);
    m_tabs->setObjectName(QStringLiteral("TabSp"));
    Place(m_tabs, L::TabSp);
    connect(m_tabs, &TabStrip::tabChosen, this, &MainWindow::showGridOf);

    for (int slot = 0; slot < int(m_slotMarks.size()); ++slot) {
        auto* mark = new QLabel(QStringLiteral("●"), this);
        mark->setObjectName(QStringLiteral("Label5_") + QString::number(slot));
        mark->setAlignment(Qt::AlignCenter);
        Place(mark, {L::Label5Left[slot], L::Label5Top, L::Label5Size, L::Label5Size});
        mark->raise();
        m_slotMarks[size_t(slot)] = mark;
    }
}

void MainWindow::buildGrids()
{
    m_articleGrid = new GridView(m_state->articles, true, this);
    m_articleGrid->setObjectName(QStringLiteral("msh"));
    Place(m_articleGrid, L::Msh);
    m_assetGrid = new GridView(m_state->assets, false, this);
    m_assetGrid->setObjectName(QStringLiteral("MSH2"));
    Place(m_assetGrid, L::Msh2);
    m_assetGrid->hide();

    m_menu = new GridMenu(*m_state, *m_runner, *m_articleGrid, *m_assetGrid, *m_tabs, this);
    for (GridView* grid : {m_articleGrid, m_assetGrid}) {
        connect(grid, &QWidget::customContextMenuRequested, this,
                [this, grid](const QPoint& at) { m_menu->popup(grid->viewport()->mapToGlobal(at)); });
    }
    connect(m_articleGrid, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { open(ArticleTarget(*m_state, GridView::gridRow(index))); });
    connect(m_assetGrid, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { open(AssetTarget(*m_state, GridView::gridRow(index))); });
    for (QLabel* mark : m_slotMarks) {
        mark->raise();
    }
}

void MainWindow::Load(Model::RunState& state)
{
    m_state = &state;
    m_runner = new CommandRunner(state, this);
    m_commands = new Commands(state, *m_runner, *this);
    buildGrids();
    applyResizeRule();

    connect(m_command[1], &QPushButton::clicked, m_commands, &Commands::newTask);
    connect(m_command[2], &QPushButton::clicked, m_commands, &Commands::download);
    connect(m_command[3], &QPushButton::clicked, m_commands, &Commands::packChm);
    connect(m_command[4], &QPushButton::clicked, m_commands, &Commands::openProgramFolder);
    connect(m_command[5], &QPushButton::clicked, m_commands, &Commands::exportList);
    connect(m_command[6], &QPushButton::clicked, m_commands, &Commands::importList);
    connect(m_command[7], &QPushButton::clicked, m_commands, &Commands::convertToText);
    connect(m_command[8], &QPushButton::clicked, m_commands, &Commands::renamePages);
    connect(m_command[9], &QPushButton::clicked, m_commands, &Commands::fetchImagesAgain);
    connect(m_command[10], &QPushButton::clicked, m_commands, &Commands::packEpub);
    connect(m_command[11], &QPushButton::clicked, m_commands, &Commands::convertToMarkdown);

    setVersionLine(QStringLiteral("版本:") + QString::number(Heartbeat::Version));
    StartupInitialise();

    m_heartbeat = new Heartbeat(state, this);
    connect(m_heartbeat, &Heartbeat::versionLineChanged, this, &MainWindow::setVersionLine);
    m_heartbeat->start();
}

void MainWindow::StartupInitialise()
{
    Model::RunState& state = *m_state;
    state.stageText = QStringLiteral("1000");
    state.listScrolling = true;
    state.profiles.BuildPlatformProfileTable();
    state.ResetArticleList();
    state.assets.setGridRowCount(2);
    state.SetCommandStates(true, false, false, true, false, true);
    for (const QString& line : HelpLines) {
        addListLine(line);
    }
    // The five request slots of the image fetcher came with the state's asset fetcher.
    startAutomatically();
}

void MainWindow::startAutomatically()
{
    const AutomaticStart start = ReadAutomaticStart(*m_state);
    if (start.kind == AutomaticStart::Kind::Invalid) {
        setStatus(start.question);
        return;
    }
    if (start.kind != AutomaticStart::Kind::Ready || !ask(QString(), start.question)) {
        return;
    }
    for (int number : {1, 2, 3, 5, 6, 7, 8, 9, 10}) {
        m_command[size_t(number)]->setEnabled(false);
    }
    show();
    m_commands->startTask({.platform = start.platform,
                           .name = start.name,
                           .address = start.address,
                           .fetchImages = start.fetchImages,
                           .fetchComments = start.fetchComments,
                           .cookieFile = start.cookieFile,
                           .fromArchive = start.fromArchive,
                           .archiveDate = start.archiveDate});
}

void MainWindow::setVersionLine(const QString& text)
{
    m_versionLine->setText(text);
}

QString MainWindow::versionLine() const
{
    return m_versionLine->text();
}

void MainWindow::setSlotMark(int slot, const QString& mark)
{
    if (slot >= 0 && slot < int(m_slotMarks.size())) {
        m_slotMarks[size_t(slot)]->setText(mark);
    }
}

bool MainWindow::ask(const QString& title, const QString& question)
{
    return QMessageBox::question(this, title, DisplayText(question), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void MainWindow::tell(const QString& message)
{
    QMessageBox::information(this, QString(), DisplayText(message));
}

void MainWindow::showCommandStates(const Model::CommandStates& states)
{
    m_command[1]->setEnabled(states.newTask);
    m_command[2]->setEnabled(states.download);
    m_command[3]->setEnabled(states.pack);
    m_command[10]->setEnabled(states.pack); // 生成EPUB goes with 生成CHM
    m_command[4]->setEnabled(states.folder);
    m_command[5]->setEnabled(states.exportList);
    m_command[6]->setEnabled(states.importList);
}

bool MainWindow::openLocal(const QString& path)
{
    if (m_shell.openLocal(path)) {
        return true;
    }
    setStatus(QStringLiteral("无法打开“") + QDir::toNativeSeparators(path) +
              QStringLiteral("”：没有找到可以打开它的文件管理器或程序"));
    return false;
}

bool MainWindow::openWeb(const QString& address)
{
    if (m_shell.openWeb(address)) {
        return true;
    }
    setStatus(QStringLiteral("无法打开“") + address + QStringLiteral("”：没有找到可用的浏览器"));
    return false;
}

void MainWindow::open(const OpenTarget& target)
{
    switch (target.kind) {
    case OpenTarget::Kind::Nothing:
        break;
    case OpenTarget::Kind::LocalFile:
        openLocal(target.where);
        break;
    case OpenTarget::Kind::WebAddress:
        openWeb(target.where);
        break;
    }
}

void MainWindow::statusChanged(const QString& text)
{
    m_statusLine->setText(text);
    // A task that starts, is imported or resumed says so in the status line: the title follows it.
    showTaskInTitle();
}

void MainWindow::showTaskInTitle()
{
    if (m_state == nullptr || m_state->task.TaskName.isEmpty()) {
        setWindowTitle(ProgramTitle);
        return;
    }
    const QString title = m_state->task.TaskName + Model::ArchiveSourceNote(m_state->task) +
                          QStringLiteral(" - ") + ProgramTitle;
    if (title != windowTitle()) {
        setWindowTitle(title);
    }
}

void MainWindow::listCleared()
{
    m_list->clear();
}

void MainWindow::listLineAdded(const QString& line)
{
    m_list->addItem(line);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    applyResizeRule();
}

void MainWindow::applyResizeRule()
{
    const auto sizes = L::ResizeRule(L::WindowWidthTwips(size()), L::WindowHeightTwips(size()));
    if (!sizes) {
        return;
    }
    m_list->resize(L::Pixels(sizes->listWidth), m_list->height());
    m_tabs->resize(L::Pixels(sizes->tabWidth), L::Pixels(sizes->tabHeight));
    for (GridView* grid : {m_articleGrid, m_assetGrid}) {
        if (grid != nullptr) {
            grid->resize(L::Pixels(sizes->gridWidth), L::Pixels(sizes->gridHeight));
        }
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Ctrl on 目录 shows or hides the article grid.
    if (watched == m_command[4] && event->type() == QEvent::KeyPress && m_articleGrid != nullptr &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Control) {
        // A key held down repeats; only the press itself counts.
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
            m_articleGrid->setVisible(!m_articleGrid->isVisible());
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::showGridOf(TabStrip::Tab tab)
{
    if (m_articleGrid == nullptr) {
        return;
    }
    m_articleGrid->setVisible(tab == TabStrip::ArticleTab);
    m_assetGrid->setVisible(tab == TabStrip::AssetTab);
}

void MainWindow::listEntryDoubleClicked(QListWidgetItem* item)
{
    open(ListEntryTarget(item->text()));
}

void MainWindow::versionLineClicked()
{
    if (m_state != nullptr && m_state->tickCounter >= 3) {
        openWeb(Model::Endpoints::MakerCompanyPage());
        return;
    }
    QMessageBox::information(this, QString(), DisplayText(AboutText()));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The new-task dialog goes with the window, so that closing the window ends the program.
    if (m_commands != nullptr && m_commands->newTaskDialog() != nullptr) {
        m_commands->newTaskDialog()->hide();
    }
    QWidget::closeEvent(event);
}

} // namespace Ui
