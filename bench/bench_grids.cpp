// The main window with 100,000 rows in the article grid and as many in the asset grid, on the offscreen
// platform: how long filling, scrolling, each sort order and deleting a thousand selected rows keep the
// window from answering. Every step is timed until the window has painted again.
//
//   QT_QPA_PLATFORM=offscreen bench_grids [ROWS]
#include "fakeweb.h"
#include "model/runstate.h"
#include "ui/gridmenu.h"
#include "ui/gridview.h"
#include "ui/mainwindow.h"
#include "ui/shell.h"
#include "ui/tabstrip.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QNetworkAccessManager>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

class NoShell final : public Ui::Shell
{
public:
    bool openLocal(const QString&) override { return true; }
    bool openWeb(const QString&) override { return true; }
};

// Milliseconds until the step and the painting it causes are done.
double Timed(QWidget& window, const std::function<void()>& step)
{
    QElapsedTimer clock;
    clock.start();
    step();
    QApplication::processEvents();
    window.repaint();
    return double(clock.nsecsElapsed()) / 1e6;
}

// Scrolls from the top to the bottom in `steps` jumps and back a wheel notch at a time; the slowest step.
double Scrolling(QWidget& window, Ui::GridView& grid, int steps)
{
    double slowest = 0;
    QScrollBar* bar = grid.verticalScrollBar();
    for (int i = 0; i <= steps; ++i) {
        slowest = std::max(slowest, Timed(window, [&] { bar->setValue(bar->maximum() * i / steps); }));
    }
    for (int i = 0; i < steps; ++i) {
        slowest = std::max(slowest, Timed(window, [&] { bar->setValue(bar->value() - 3); }));
    }
    return slowest;
}

// Selects `count` rows through the title column: a block, or every `stride`-th row from `first` on.
void SelectRows(Ui::GridView& grid, int first, int count, int stride)
{
    QAbstractItemModel* model = grid.model();
    QItemSelection selection;
    for (int i = 0; i < count; ++i) {
        const int row = first + i * stride;
        selection.select(model->index(row, 1), model->index(row, 1));
        if (stride == 1) {
            selection = QItemSelection(model->index(first, 1), model->index(first + count - 1, 1));
            break;
        }
    }
    grid.setCurrentIndex(model->index(first, 1));
    grid.selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1000, QString::fromLocal8Bit(argv[1]).toInt()) : 100000;

    // Whatever the window requests (the update check) goes to a fake web that answers 404.
    FakeWeb::Server web;
    if (!web.listen()) {
        return 1;
    }
    web.setKeepRequests(false);
    FakeWeb::useAsProxy(web);

    QTemporaryDir folder;
    NoShell shell;
    QNetworkAccessManager network;
    Ui::MainWindow window(shell);
    Model::RunState state(folder.path(), window, &network);
    window.Load(state);
    window.resize(1000, 700);
    window.show();
    QApplication::processEvents();

    auto* articleGrid = window.findChild<Ui::GridView*>(QStringLiteral("msh"));
    auto* assetGrid = window.findChild<Ui::GridView*>(QStringLiteral("MSH2"));
    auto* menu = window.findChild<Ui::GridMenu*>(QStringLiteral("Form3"));
    auto* tabs = window.findChild<Ui::TabStrip*>(QStringLiteral("TabSp"));
    if (articleGrid == nullptr || assetGrid == nullptr || menu == nullptr || tabs == nullptr) {
        std::fprintf(stderr, "the window lacks its grids\n");
        return 1;
    }
    const auto item = [&](const char* name) { return menu->findChild<QAction*>(QLatin1String(name)); };
    static const QStringList categories = {QStringLiteral("生活"), QStringLiteral("读书"),
                                           QStringLiteral("旅行"), QStringLiteral("美食"),
                                           QStringLiteral("电影")};

    std::printf("%d rows in each grid, offscreen platform, %d cores\n", rows, QThread::idealThreadCount());
    const double fillArticles = Timed(window, [&] {
        for (int i = 1; i <= rows; ++i) {
            state.addArticleRow(QStringLiteral("春日随笔之%1").arg((i * 7919) % rows),
                                categories.at(i % categories.size()), QStringLiteral("blog_%1.html").arg(i),
                                QStringLiteral("20%1-%2-%3 21:30")
                                    .arg(10 + i % 10)
                                    .arg(1 + i % 12, 2, 10, QChar(u'0'))
                                    .arg(1 + i % 28, 2, 10, QChar(u'0')));
        }
    });
    const double fillAssets = Timed(window, [&] {
        for (int i = 1; i <= rows; ++i) {
            state.assets.AddAssetRow(
                1, QStringLiteral("http://s%1.sinaimg.cn/middle/4996_%2.png").arg(i % 16).arg(i),
                categories.at(i % categories.size()), state.listScrolling);
        }
    });
    std::printf("filling:   articles %.0f ms (%.1f µs a row), assets %.0f ms\n", fillArticles,
                fillArticles * 1000 / rows, fillAssets);

    std::printf("scrolling: slowest step %.1f ms (articles), %.1f ms (assets)\n",
                Scrolling(window, *articleGrid, 200), [&] {
                    tabs->setCurrentTab(Ui::TabStrip::AssetTab);
                    const double slowest = Scrolling(window, *assetGrid, 200);
                    tabs->setCurrentTab(Ui::TabStrip::ArticleTab);
                    return slowest;
                }());

    double slowestSort = 0;
    for (const char* order : {"timerdown", "timeup", "names", "fenleis"}) {
        const double ms = Timed(window, [&] { item(order)->trigger(); });
        slowestSort = std::max(slowestSort, ms);
        std::printf("sorting:   %-10s %.0f ms\n", order, ms);
    }

    double slowestDelete = 0;
    const auto deleting = [&](const char* what, Ui::GridView& grid, int stride) {
        SelectRows(grid, 1000, 1000, stride);
        const int before = grid.model()->rowCount();
        const double ms = Timed(window, [&] { item("del")->trigger(); });
        slowestDelete = std::max(slowestDelete, ms);
        std::printf("deleting:  1,000 %s %.0f ms (%d rows left)\n", what, ms, grid.model()->rowCount() - 1);
        if (before - grid.model()->rowCount() != 1000) {
            std::printf("           but %d rows went\n", before - grid.model()->rowCount());
        }
    };
    deleting("adjacent articles", *articleGrid, 1);
    deleting("scattered articles (every 50th)", *articleGrid, 50);
    tabs->setCurrentTab(Ui::TabStrip::AssetTab);
    deleting("adjacent assets", *assetGrid, 1);
    deleting("scattered assets (every 50th)", *assetGrid, 50);

    std::printf("goals: each sort under 1 s: %s (slowest %.0f ms); deleting 1,000 rows under 1 s: %s "
                "(slowest %.0f ms)\n",
                slowestSort < 1000 ? "met" : "MISSED", slowestSort, slowestDelete < 1000 ? "met" : "MISSED",
                slowestDelete);
    return 0;
}
