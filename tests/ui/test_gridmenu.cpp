#include "ui/gridmenu.h"
#include "ui/gridview.h"
#include "ui/tabstrip.h"
#include "ui/windowrun.h"

#include <QAction>
#include <QHeaderView>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QWheelEvent>

namespace {

void AddArticles(Model::RunState& state, int count, int from = 1)
{
    for (int i = from; i < from + count; ++i) {
        state.addArticleRow(QStringLiteral("标题%1").arg(i),
                            i % 2 ? QStringLiteral("甲") : QStringLiteral("乙"),
                            QStringLiteral("blog_%1.html").arg(i),
                            QStringLiteral("2011-01-%1 10:00").arg(i, 2, 10, QChar(u'0')));
    }
}

QStringList Titles(const Model::RunState& state)
{
    QStringList titles;
    for (int row = 1; row <= state.articles.articleCount(); ++row) {
        titles.append(state.articles.title(row));
    }
    return titles;
}

// Selects grid rows first..last through the row headers, as a user drags over them.
void SelectRowsByHeader(Ui::GridView* grid, int first, int last)
{
    QHeaderView* header = grid->verticalHeader();
    const auto at = [&](int row) {
        grid->scrollTo(grid->model()->index(row - 1, 1));
        return QPoint(header->width() / 2,
                      header->sectionViewportPosition(row - 1) + header->sectionSize(row - 1) / 2);
    };
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at(first));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::ShiftModifier, at(last));
}

void Wheel(Ui::GridView* grid, int delta, Qt::KeyboardModifiers modifiers = {})
{
    const QPointF at(10, 10);
    QWheelEvent event(at, grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &event);
}

} // namespace

class TestGridMenu : public QObject
{
    Q_OBJECT

    struct Grids
    {
        WindowRun run;
        Ui::GridView* articles = run.find<Ui::GridView>(QStringLiteral("msh"));
        Ui::GridView* assets = run.find<Ui::GridView>(QStringLiteral("MSH2"));
        Ui::GridMenu* menu = run.find<Ui::GridMenu>(QStringLiteral("Form3"));
        QAction* item(const char* name) const { return menu->findChild<QAction*>(QLatin1String(name)); }
    };

private slots:
    void menuHasItsItems()
    {
        Grids g;
        QStringList captions;
        for (QAction* action : g.menu->actions()) {
            captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        QCOMPARE(captions, (QStringList{"删除", "-", "列表滚动", "-", "时间排序-最新开始",
                                        "时间排序-最旧开始", "标题排序", "分类排序"}));
        QVERIFY(g.item("gundong")->isChecked());
    }

    void deletingRowsFiveToEight()
    {
        Grids g;
        AddArticles(*g.run.state, 10);
        SelectRowsByHeader(g.articles, 5, 8);
        g.item("del")->trigger();
        QCOMPARE(Titles(*g.run.state), (QStringList{"标题1", "标题2", "标题3", "标题4", "标题9", "标题10"}));
        QCOMPARE(g.run.state->articles.gridRowCount(), 8);
        // Row numbers stay as they were given.
        QCOMPARE(g.run.state->articles.text(5, 0), QStringLiteral("9"));
        QCOMPARE(g.run.state->categories.countOf(QStringLiteral("甲")), 5);
    }

    // Many scattered rows go in one pass: exactly those rows, and the view stays where it was.
    void deletingScatteredRowsKeepsTheRestAndThePlace()
    {
        Grids g;
        AddArticles(*g.run.state, 400);
        QAbstractItemModel* model = g.articles->model();
        QItemSelection selection;
        for (int row = 100; row < 300; row += 5) {
            selection.select(model->index(row - 1, 1), model->index(row - 1, 1));
        }
        g.articles->setCurrentIndex(model->index(99, 1));
        g.articles->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        g.articles->setTopRow(150);
        g.item("del")->trigger();
        QCOMPARE(g.run.state->articles.articleCount(), 360);
        QStringList expected;
        for (int i = 1; i <= 400; ++i) {
            if (i < 100 || i >= 300 || i % 5 != 0) {
                expected.append(QStringLiteral("标题%1").arg(i));
            }
        }
        QCOMPARE(Titles(*g.run.state), expected);
        QCOMPARE(g.articles->topRow(), 150);
    }

    void deletingKeepsHeaderAndSpareRow()
    {
        Grids g;
        AddArticles(*g.run.state, 4);
        SelectRowsByHeader(g.articles, 3, 5); // 5 is the spare row
        g.item("del")->trigger();
        QCOMPARE(Titles(*g.run.state), (QStringList{"标题1", "标题2"}));
        g.articles->setCurrentIndex(g.articles->model()->index(0, 1));
        g.articles->selectAll();
        g.item("del")->trigger();
        QCOMPARE(g.run.state->articles.gridRowCount(), 2);
        QCOMPARE(g.run.state->articles.text(0, 1), QStringLiteral("标题"));
        QVERIFY(g.run.state->articles.text(1, 1).isEmpty());
        // The list goes on filling.
        AddArticles(*g.run.state, 1, 20);
        QCOMPARE(Titles(*g.run.state), QStringList{"标题20"});
    }

    void deletingNeedsTitleColumnOrWholeRows()
    {
        Grids g;
        AddArticles(*g.run.state, 5);
        QAbstractItemModel* model = g.articles->model();
        g.articles->setCurrentIndex(model->index(1, 2));
        g.articles->selectionModel()->select(QItemSelection(model->index(1, 2), model->index(2, 2)),
                                             QItemSelectionModel::ClearAndSelect);
        g.item("del")->trigger();
        QCOMPARE(g.run.state->articles.articleCount(), 5);

        g.articles->setCurrentIndex(model->index(2, 1));
        g.articles->selectionModel()->select(QItemSelection(model->index(1, 1), model->index(2, 1)),
                                             QItemSelectionModel::ClearAndSelect);
        g.item("del")->trigger();
        QCOMPARE(Titles(*g.run.state), (QStringList{"标题1", "标题4", "标题5"}));
    }

    void deletingWhileRowsAreAppended()
    {
        Grids g;
        AddArticles(*g.run.state, 6);
        SelectRowsByHeader(g.articles, 2, 3);
        // A discovery goes on appending while the menu is open.
        AddArticles(*g.run.state, 50, 7);
        g.run.state->discoveryRunning = true;
        g.item("del")->trigger();
        const QStringList titles = Titles(*g.run.state);
        QCOMPARE(titles.size(), 54);
        QVERIFY(!titles.contains(QStringLiteral("标题2")) && !titles.contains(QStringLiteral("标题3")));
        QCOMPARE(titles.last(), QStringLiteral("标题56"));
        AddArticles(*g.run.state, 1, 57);
        QCOMPARE(g.run.state->articles.title(g.run.state->articles.articleCount()), QStringLiteral("标题57"));
        QVERIFY(g.run.state->articles.text(g.run.state->articles.gridRowCount() - 1, 1).isEmpty());
    }

    void nothingMovesWhileADownloadHoldsRowNumbers()
    {
        Grids g;
        AddArticles(*g.run.state, 6);
        g.run.state->downloadRunning = true;
        emit g.menu->aboutToShow();
        QVERIFY(!g.item("del")->isEnabled());
        QVERIFY(!g.item("names")->isEnabled());
        SelectRowsByHeader(g.articles, 1, 2);
        g.menu->deleteSelectedRows();
        g.menu->sortArticles(Model::ArticleOrder::NewestFirst);
        QCOMPARE(Titles(*g.run.state).first(), QStringLiteral("标题1"));
        QCOMPARE(g.run.state->articles.articleCount(), 6);

        g.run.state->downloadRunning = false;
        g.run.state->discoveryRunning = true;
        emit g.menu->aboutToShow();
        QVERIFY(g.item("del")->isEnabled());
        QVERIFY(!g.item("timerdown")->isEnabled());
    }

    void deletingOnTheAssetTab()
    {
        Grids g;
        AddArticles(*g.run.state, 3);
        for (int i = 1; i <= 4; ++i) {
            g.run.state->assets.AddAssetRow(1, QStringLiteral("http://img.example/%1.jpg").arg(i),
                                            QStringLiteral("甲"), true);
        }
        auto* tabs = g.run.find<Ui::TabStrip>(QStringLiteral("TabSp"));
        tabs->setCurrentTab(Ui::TabStrip::AssetTab);
        QVERIFY(g.assets->isVisible());
        SelectRowsByHeader(g.assets, 2, 3);
        g.item("del")->trigger();
        QCOMPARE(g.run.state->assets.jobCount(), 2);
        QCOMPARE(g.run.state->assets.address(2), QStringLiteral("http://img.example/4.jpg"));
        QCOMPARE(g.run.state->articles.articleCount(), 3);
    }

    void listScrollingSwitch()
    {
        Grids g;
        // The newest rows come into view: the top row is the row count less 5, as far as the grid can
        // scroll with rows below the top row filling it.
        const auto scrolledToNewest = [&] {
            return g.articles->topRow() == std::min(g.run.state->articles.gridRowCount() - 5,
                                                    g.articles->verticalScrollBar()->maximum() + 1);
        };
        AddArticles(*g.run.state, 40);
        QTRY_VERIFY(scrolledToNewest() && g.articles->topRow() > 20);
        g.item("gundong")->trigger();
        QVERIFY(!g.run.state->listScrolling);
        QVERIFY(!g.item("gundong")->isChecked());
        g.articles->setTopRow(1);
        AddArticles(*g.run.state, 10, 41);
        QTest::qWait(20);
        QCOMPARE(g.articles->topRow(), 1);
        g.item("gundong")->trigger();
        QVERIFY(g.run.state->listScrolling);
        AddArticles(*g.run.state, 1, 51);
        QTRY_VERIFY(scrolledToNewest() && g.articles->topRow() > 20);
    }

    void sortItemsOrderTheList()
    {
        Grids g;
        auto& state = *g.run.state;
        state.addArticleRow(QStringLiteral("b"), QStringLiteral("乙"), QStringLiteral("l1"),
                            QStringLiteral("2011-03-01"));
        state.addArticleRow(QStringLiteral("a"), QStringLiteral("甲"), QStringLiteral("l2"),
                            QStringLiteral("2012-01-01"));
        state.addArticleRow(QStringLiteral("c"), QStringLiteral("甲"), QStringLiteral("l3"),
                            QStringLiteral("2010-05-01"));
        g.item("timerdown")->trigger();
        QCOMPARE(Titles(state), (QStringList{"a", "b", "c"}));
        g.item("timeup")->trigger();
        QCOMPARE(Titles(state), (QStringList{"c", "b", "a"}));
        g.item("names")->trigger();
        QCOMPARE(Titles(state), (QStringList{"a", "b", "c"}));
        g.item("fenleis")->trigger();
        QCOMPARE(Titles(state), (QStringList{"a", "c", "b"}));
        QCOMPARE(state.articles.text(3, 0), QStringLiteral("3"));
        QCOMPARE(state.articles.text(2, 5), QStringLiteral("2"));
    }

    void wheelScrollsThreeRowsANotch()
    {
        Grids g;
        g.item("gundong")->trigger();
        AddArticles(*g.run.state, 30); // grid rows 0 to 31
        g.articles->setTopRow(1);
        Wheel(g.articles, -120);
        QCOMPARE(g.articles->topRow(), 4);
        g.articles->setTopRow(2);
        Wheel(g.articles, 120);
        QCOMPARE(g.articles->topRow(), 1);
        g.articles->setTopRow(8);
        Wheel(g.articles, 120);
        QCOMPARE(g.articles->topRow(), 5);
        // Half notches add up.
        Wheel(g.articles, -60);
        QCOMPARE(g.articles->topRow(), 5);
        Wheel(g.articles, -60);
        QCOMPARE(g.articles->topRow(), 8);
        // Top row plus 3 reaching the row count does not scroll, whatever the view could show.
        AddArticles(*g.run.state, 1, 31); // 33 grid rows
        g.articles->resize(g.articles->width(), 40);
        g.articles->setTopRow(30);
        QCOMPARE(g.articles->topRow(), 30);
        Wheel(g.articles, -120);
        QCOMPARE(g.articles->topRow(), 30);
    }

    void doubleClicksOpenPagesAndAddresses()
    {
        Grids g;
        auto& state = *g.run.state;
        state.task.PlatformCode = 0;
        state.task.TaskName = QStringLiteral("任务");
        AddArticles(state, 3);
        state.articles.setMark(1, QStringLiteral("●"));
        state.articles.setMark(2, QStringLiteral("○"));
        const auto dbl = [&](Ui::GridView* grid, int row) {
            grid->scrollTo(grid->model()->index(row - 1, 1));
            const QRect cell = grid->visualRect(grid->model()->index(row - 1, 1));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        };
        dbl(g.articles, 1);
        QCOMPARE(g.run.shell.openedLocal, QStringList{state.articlePagePath(1)});
        QVERIFY(state.articlePagePath(1).startsWith(g.run.folder.path() + QStringLiteral("/任务/甲/")));
        dbl(g.articles, 2); // still being downloaded: the web address
        QCOMPARE(g.run.shell.openedWeb, QStringList{state.articleFetchAddress(2)});
        dbl(g.articles, 4); // the spare row
        QCOMPARE(g.run.shell.openedWeb.size() + g.run.shell.openedLocal.size(), 2);

        const QString longAddress =
            QStringLiteral("http://img.example/") + QString(120, u'x') + QStringLiteral(".jpg");
        state.assets.AddAssetRow(1, longAddress, QStringLiteral("甲"), false);
        state.assets.setResult(1, QStringLiteral("●"));
        state.assets.AddAssetRow(1, QStringLiteral("http://img.example/2.jpg"), QStringLiteral("甲"), false);
        g.run.find<Ui::TabStrip>(QStringLiteral("TabSp"))->setCurrentTab(Ui::TabStrip::AssetTab);
        dbl(g.assets, 1);
        const QString saved = g.run.shell.openedLocal.last();
        QVERIFY(saved.startsWith(g.run.folder.path() + QStringLiteral("/任务/甲/http_")));
        QCOMPARE(saved.section(u'/', -1).size(), 100); // the name the fetcher stored it under
        dbl(g.assets, 2);
        QCOMPARE(g.run.shell.openedWeb.last(), QStringLiteral("http://img.example/2.jpg"));
    }
};

QTEST_MAIN(TestGridMenu)
#include "test_gridmenu.moc"
