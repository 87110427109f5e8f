#include "assets/assetfetcher.h"
#include "assets/jobrecord.h"
#include "model/endpoints.h"
#include "model/pagerecord.h"
#include "text/textfiles.h"
#include "ui/commandrunner.h"
#include "ui/mainlayout.h"
#include "ui/modalanswerer.h"
#include "ui/opentargets.h"
#include "ui/tabstrip.h"
#include "ui/windowrun.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include <algorithm>

using Ui::OpenTarget;

namespace {

void WriteAutoConfig(const WindowRun& run, const QString& fields)
{
    // The first two bytes of auto.cfg are never read.
    Text::WriteTextFileAt(run.path(QStringLiteral("auto.cfg")), QStringLiteral("--") + fields);
}

QPushButton* Button(const WindowRun& run, int number)
{
    return run.find<QPushButton>(QStringLiteral("Command") + QString::number(number));
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startupShowsHelpVersionAndInitialCommands()
    {
        WindowRun run;
        QCOMPARE(run.window->windowTitle(), QStringLiteral("qvlrx卷轴匣(博客备份工具)"));
        QCOMPARE(run.find<QLabel>(QStringLiteral("Label3"))->text(), QStringLiteral("版本:20120419"));
        QCOMPARE(run.find<QLabel>(QStringLiteral("Label2"))->text(),
                 QStringLiteral("请按\"新建\"或者导入任务"));
        QCOMPARE(run.state->stageText, QStringLiteral("1000"));
        QVERIFY(run.state->listScrolling);

        // 新建, 目录 and 导入 are on; 下载, 生成CHM (with 生成EPUB) and 导出 wait for a task; 转TXT, 改名 and
        // 再次下载图片 are never switched.
        const bool enabled[11] = {false, true, false, false, true, false, true, true, true, true, false};
        for (int number = 1; number <= 10; ++number) {
            QCOMPARE(Button(run, number)->isEnabled(), enabled[number]);
        }

        const QStringList help{
            QStringLiteral("第一步：按“新建”新建一个博客下载任务"),
            QStringLiteral("第二步：接着会开始寻找文章，寻找完以后就按“下载”开始下载"),
            QStringLiteral("第三步：下载完成后按“生成CHM”生成CHM或下载完成后按“转TXT”生成TXT"),
            QStringLiteral("注意：备份新浪前要登出，否则可能出现能找到文章，下载却是空的！"),
            QStringLiteral("注意：本程序持续改进中，如发现问题可下载最新版试试"),
        };
        QCOMPARE(run.state->ui.listLines(), help);
        auto* list = run.find<QListWidget>(QStringLiteral("List1"));
        QCOMPARE(list->count(), 5);
        QCOMPARE(list->item(2)->text(), help.at(2));

        QVERIFY(run.find<QTableView>(QStringLiteral("msh"))->isVisible());
        QVERIFY(!run.find<QTableView>(QStringLiteral("MSH2"))->isVisible());
        QCOMPARE(run.state->articles.gridRowCount(), 2);
    }

    void statusAndListFollowTheCore()
    {
        WindowRun run;
        run.state->setStatus(QStringLiteral("查找文章：3/10"));
        QCOMPARE(run.find<QLabel>(QStringLiteral("Label2"))->text(), QStringLiteral("查找文章：3/10"));
        run.state->ui.clearList();
        run.state->ui.addListLine(QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html"));
        auto* list = run.find<QListWidget>(QStringLiteral("List1"));
        QCOMPARE(list->count(), 1);
        run.state->SetCommandStates(true, true, false, true, true, true);
        QVERIFY(Button(run, 2)->isEnabled());
        QVERIFY(Button(run, 5)->isEnabled());
        QVERIFY(!Button(run, 3)->isEnabled());
        run.window->setSlotMark(2, QStringLiteral("◆"));
        QCOMPARE(run.find<QLabel>(QStringLiteral("Label5_2"))->text(), QStringLiteral("◆"));
    }

    // 生成EPUB ends the row of commands, inside the window, every other command where it was; it is on
    // and off with 生成CHM and reports in the status line.
    void epubCommandJoinsTheRowAndFollowsChm()
    {
        namespace L = Ui::MainLayout;
        WindowRun run;
        QPushButton* epub = Button(run, 10);
        QCOMPARE(epub->text(), QStringLiteral("生成EPUB"));
        QCOMPARE(epub->geometry(), L::PixelRect(L::Command10));
        QVERIFY(epub->geometry().right() < run.window->width());
        const L::TwipsRect places[] = {L::Command1, L::Command2, L::Command3, L::Command4, L::Command5,
                                       L::Command6, L::Command7, L::Command8, L::Command9};
        for (int number = 1; number <= 9; ++number) {
            QCOMPARE(Button(run, number)->geometry(), L::PixelRect(places[number - 1]));
            QVERIFY(!Button(run, number)->geometry().intersects(epub->geometry()));
        }

        run.state->SetCommandStates(true, true, true, true, true, true);
        QVERIFY(epub->isEnabled());
        run.state->SetCommandStates(true, true, false, true, true, true);
        QVERIFY(!epub->isEnabled());

        // Without a task there is no book to make.
        run.state->SetCommandStates(true, true, true, true, true, true);
        QTest::mouseClick(epub, Qt::LeftButton);
        QTRY_VERIFY(
            run.find<QLabel>(QStringLiteral("Label2"))->text().startsWith(QStringLiteral("生成EPUB失败：")));
    }

    // 转Markdown stands beside 转TXT, every command still in the row and inside the window, and reports
    // in the status line.
    void markdownCommandStandsBesideTxt()
    {
        namespace L = Ui::MainLayout;
        WindowRun run;
        QPushButton* markdown = Button(run, 11);
        QCOMPARE(markdown->text(), QStringLiteral("转Markdown"));
        QCOMPARE(markdown->geometry(), L::PixelRect(L::Command11));
        QList<QPushButton*> row;
        for (int number = 1; number <= 11; ++number) {
            QPushButton* button = Button(run, number);
            QVERIFY(button->geometry().right() < run.window->width());
            for (QPushButton* other : row) {
                QVERIFY(!other->geometry().intersects(button->geometry()));
            }
            row << button;
        }
        std::sort(row.begin(), row.end(),
                  [](QPushButton* a, QPushButton* b) { return a->geometry().left() < b->geometry().left(); });
        QStringList captions;
        for (QPushButton* button : row) {
            captions << button->text();
        }
        QCOMPARE(captions, (QStringList{"新建", "下载", "导入", "导出", "生成CHM", "转TXT", "转Markdown",
                                        "目录", "改名", "再次下载图片", "生成EPUB"}));
        // Without a task there is nothing to convert.
        QTest::mouseClick(markdown, Qt::LeftButton);
        QTRY_VERIFY(
            run.find<QLabel>(QStringLiteral("Label2"))->text().startsWith(QStringLiteral("转换Markdown失败：")));
    }

    void resizeRuleFollowsTheWindowAbove3200Twips()
    {
        namespace L = Ui::MainLayout;
        QVERIFY(!L::ResizeRule(9000, 3200));
        const auto sizes = L::ResizeRule(9255, 6815);
        QVERIFY(sizes);
        QCOMPARE(sizes->listWidth, 8655);
        QCOMPARE(sizes->gridWidth, 8655);
        QCOMPARE(sizes->tabWidth, 8905);
        QCOMPARE(sizes->gridHeight, 3015);
        QCOMPARE(sizes->tabHeight, 3715);

        WindowRun run;
        auto* list = run.find<QWidget>(QStringLiteral("List1"));
        auto* grid = run.find<QWidget>(QStringLiteral("msh"));
        auto* tabs = run.find<QWidget>(QStringLiteral("TabSp"));
        run.window->resize(700, 500);
        // 700 px inside is 10620 twips outside: the list is 600 twips (40 px) narrower than that.
        QTRY_COMPARE(list->width(), 668);
        QCOMPARE(grid->width(), 668);
        QCOMPARE(grid->height(), L::Pixels(500 * 15 + 510 - 3800));
        QCOMPARE(tabs->height(), L::Pixels(500 * 15 + 510 - 3100));
        const QPoint listAt = list->pos();

        // 179 px inside is 3195 twips outside: at 3200 or less nothing changes.
        run.window->resize(500, 179);
        QTRY_COMPARE(run.window->height(), 179);
        QCOMPARE(list->width(), 668);
        QCOMPARE(grid->height(), L::Pixels(500 * 15 + 510 - 3800));

        // 180 px is 3210 twips: the rule applies again; the grids cannot get a negative height.
        run.window->resize(500, 180);
        QTRY_COMPARE(list->width(), 468);
        QCOMPARE(grid->height(), 0);
        QCOMPARE(list->pos(), listAt);
    }

    void ctrlOnFolderButtonTogglesArticleGrid()
    {
        WindowRun run;
        auto* grid = run.find<QWidget>(QStringLiteral("msh"));
        auto* folder = Button(run, 4);
        folder->setFocus();
        QTest::keyClick(folder, Qt::Key_Control);
        QVERIFY(!grid->isVisible());
        // Holding the key down does not make the grid flicker.
        QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, QString(), true);
        QApplication::sendEvent(folder, &repeated);
        QVERIFY(!grid->isVisible());
        QTest::keyClick(folder, Qt::Key_Control);
        QVERIFY(grid->isVisible());
        QVERIFY(run.shell.openedLocal.isEmpty());
    }

    void tabsSwapTheGrids()
    {
        WindowRun run;
        auto* tabs = run.find<Ui::TabStrip>(QStringLiteral("TabSp"));
        auto* articles = run.find<QWidget>(QStringLiteral("msh"));
        auto* assets = run.find<QWidget>(QStringLiteral("MSH2"));
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
        QVERIFY(!articles->isVisible());
        QVERIFY(assets->isVisible());
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(0).center());
        QVERIFY(articles->isVisible());
        QVERIFY(!assets->isVisible());
    }

    void listEntryTargets_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("where");
        QTest::newRow("address") << "http://blog.sina.com.cn/s/articlelist_1_0_2.html"
                                 << int(OpenTarget::Kind::WebAddress)
                                 << "http://blog.sina.com.cn/s/articlelist_1_0_2.html";
        QTest::newRow("text then address")
            << "第2页\r\nhttp://a.example/p2" << int(OpenTarget::Kind::WebAddress) << "http://a.example/p2";
        QTest::newRow("help line") << "第一步：按“新建”新建一个博客下载任务" << int(OpenTarget::Kind::Nothing)
                                   << "";
        QTest::newRow("missing item") << "http://simg.sinajs.cn/a b.jpg  HTTP 404"
                                      << int(OpenTarget::Kind::WebAddress) << "http://simg.sinajs.cn/a b.jpg";
    }
    void listEntryTargets()
    {
        QFETCH(QString, entry);
        QFETCH(int, kind);
        QFETCH(QString, where);
        const OpenTarget target = Ui::ListEntryTarget(entry);
        QCOMPARE(int(target.kind), kind);
        QCOMPARE(target.where, where);
    }

    void doubleClickOnListOpensTheBrowser()
    {
        WindowRun run;
        run.state->ui.addListLine(QStringLiteral("http://blog.sina.com.cn/s/articlelist_7_0_1.html"));
        auto* list = run.find<QListWidget>(QStringLiteral("List1"));
        const QRect help = list->visualItemRect(list->item(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, help.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, help.center());
        QVERIFY(run.shell.openedWeb.isEmpty());
        list->scrollToItem(list->item(5));
        const QRect address = list->visualItemRect(list->item(5));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, address.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, address.center());
        QCOMPARE(run.shell.openedWeb,
                 QStringList{QStringLiteral("http://blog.sina.com.cn/s/articlelist_7_0_1.html")});
    }

    // The list's lines of what a backup is missing open the item's address, not the line.
    void doubleClickOnMissingItemOpensItsAddress()
    {
        WindowRun run;
        Assets::AssetFetcher fetcher(*run.state);
        QSignalSpy done(&fetcher, &Assets::AssetFetcher::allDone);
        run.state->task.TaskName = QStringLiteral("blog");
        const QString image = QStringLiteral("http://simg.sinajs.cn/blog/missing.jpg");
        // The image of a listed article: only those count as missing.
        const int row = run.state->addArticleRow(QStringLiteral("一篇"), QStringLiteral("随笔"),
                                                 QStringLiteral("http://blog.sina.com.cn/s/blog_1.html"),
                                                 QStringLiteral("2024-01-01"));
        Assets::QueueAssetJob(*run.state, Model::AssetQueue::ImageKind, image, QStringLiteral("随笔"),
                              Model::PageRecord::pageName(*run.state, row));
        Assets::StartAssetDownloads(*run.state);
        QVERIFY(done.count() > 0 || done.wait(10000));

        auto* list = run.find<QListWidget>(QStringLiteral("List1"));
        const QList<QListWidgetItem*> lines = list->findItems(image + QStringLiteral("  "), Qt::MatchStartsWith);
        QCOMPARE(lines.size(), 1);
        const QRect line = list->visualItemRect(lines.at(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line.center());
        QCOMPARE(run.shell.openedWeb, QStringList{image});
    }

    void folderButtonOpensProgramFolderOrSaysWhyNot()
    {
        WindowRun run;
        QTest::mouseClick(Button(run, 4), Qt::LeftButton);
        QCOMPARE(run.shell.openedLocal, QStringList{run.folder.path()});

        run.shell.works = false;
        QTest::mouseClick(Button(run, 4), Qt::LeftButton);
        QVERIFY(run.state->ui.status().startsWith(QStringLiteral("无法打开")));
        QVERIFY(run.state->ui.status().contains(run.folder.path()));
        run.state->ui.openWeb(QStringLiteral("http://blog.sina.com.cn/"));
        QVERIFY(run.state->ui.status().contains(QStringLiteral("浏览器")));
    }

    void versionLineShowsAboutBoxThenMakerPage()
    {
        WindowRun run;
        ModalAnswerer answerer;
        auto* line = run.find<QLabel>(QStringLiteral("Label3"));
        QTest::mouseClick(line, Qt::LeftButton);
        QTRY_COMPARE(answerer.texts.size(), 1);
        QCOMPARE(answerer.texts.first(),
                 QStringLiteral("卷轴匣\n制作：qvlrx\nQQ:00000000\nhttp://") +
                     Model::Endpoints::MakerSiteHost() +
                     QStringLiteral("\n如发现下载不了的博客\n或者使用中有任何问题请反馈，谢谢！"));
        QVERIFY(run.shell.openedWeb.isEmpty());

        run.state->tickCounter = 3;
        QTest::mouseClick(line, Qt::LeftButton);
        QCOMPARE(run.shell.openedWeb, QStringList{Model::Endpoints::MakerCompanyPage()});
        QCOMPARE(answerer.texts.size(), 1);
    }

    void automaticStartAsksAndStartsTheConfiguredTask()
    {
        WindowRun run(false);
        WriteAutoConfig(run, QStringLiteral("<blog>0</blog><name>自动</name><href>http://blog.sina.com.cn/s/"
                                            "articlelist_42_0_1.html</href><pic>True</pic><cmt>0</cmt>"));
        ModalAnswerer answerer;
        run.load();
        QCOMPARE(answerer.texts.size(), 1);
        QCOMPARE(answerer.texts.first(), QStringLiteral("即将执行全自动备份，是否继续？\n新浪博客：自动\n"));
        QCOMPARE(run.state->task.TaskName, QStringLiteral("自动"));
        QCOMPARE(run.state->task.PlatformCode, 0);
        QVERIFY(run.state->task.FetchImages);
        QVERIFY(!run.state->task.FetchComments);
        for (int number = 1; number <= 10; ++number) {
            QCOMPARE(Button(run, number)->isEnabled(), number == 4);
        }
        auto* runner = run.window->findChild<Ui::CommandRunner*>();
        QTRY_VERIFY_WITH_TIMEOUT(!runner->isRunning(Ui::Command::Discovery), 15000);
    }

    void automaticStartDeclined()
    {
        WindowRun run(false);
        WriteAutoConfig(
            run, QStringLiteral("<blog>4</blog><name>x</name><href>http://x.blog.sohu.com/entry/</href>"
                                "<pic>1</pic><cmt>1</cmt><archive>2015-06-01</archive>"));
        ModalAnswerer answerer;
        answerer.script = {QMessageBox::No};
        run.load();
        QCOMPARE(answerer.texts,
                 QStringList{
                     QStringLiteral("即将执行全自动备份，是否继续？\n搜狐博客：x（网页存档 2015-06-01）\n")});
        QVERIFY(run.state->task.TaskName.isEmpty());
        QVERIFY(Button(run, 1)->isEnabled());
    }

    void automaticStartWithoutAPlatformSaysSo_data()
    {
        QTest::addColumn<QString>("config");
        QTest::newRow("out of range") << "<blog>17</blog><name>x</name>";
        QTest::newRow("not a number") << "<blog>sina</blog><name>x</name>";
        QTest::newRow("no blog tag") << "<name>x</name>";
        QTest::newRow("task name above the program folder") << "<blog>0</blog><name>../up</name>";
        QTest::newRow("task name of the parent folder") << "<blog>0</blog><name>..</name>";
        QTest::newRow("task name with a line break")
            << "<blog>0</blog><name>a\nb</name><href>http://a/</href>";
        QTest::newRow("no web address") << "<blog>0</blog><name>x</name><href>file:///etc</href>";
        QTest::newRow("archive day that is none")
            << "<blog>3</blog><name>x</name><href>http://x/</href><archive>last spring</archive>";
    }
    void automaticStartWithoutAPlatformSaysSo()
    {
        QFETCH(QString, config);
        WindowRun run(false);
        WriteAutoConfig(run, config);
        ModalAnswerer answerer;
        run.load();
        QVERIFY(answerer.texts.isEmpty());
        QVERIFY(run.state->ui.status().startsWith(QStringLiteral("auto.cfg 设置有误")));
        QVERIFY(run.state->task.TaskName.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
