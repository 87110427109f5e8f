// Makes a downloaded task of 1,000 articles (20 KB pages in five categories, a picture in every article, a
// comment page in every tenth, the index pages), then packs it twice and prints both times: the EPUB and
// the CHM (chmcmd, without full-text search, as the automatic mode packs).
//
//   bench_epub              1,000 articles
//   bench_epub N            N articles
#include "benchtask.h"
#include "model/runstate.h"
#include "model/userinterface.h"
#include "output/chmpacker.h"
#include "output/epubwriter.h"
#include "text/charset.h"
#include "text/textfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <QCoro/QCoroTask>

#include <cstdio>

namespace {

class QuietUserInterface final : public Model::UserInterface
{
public:
    bool ask(const QString&, const QString&) override { return false; }
    void tell(const QString& message) override { std::fprintf(stderr, "message: %s\n", qPrintable(message)); }
    void showCommandStates(const Model::CommandStates&) override {}
    bool openLocal(const QString&) override { return true; }
    bool openWeb(const QString&) override { return true; }
};

double Megabytes(const QString& path)
{
    return double(QFileInfo(path).size()) / (1024.0 * 1024.0);
}

} // namespace

using BenchTask::Seconds;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int articles = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;
    QTemporaryDir folder;
    QuietUserInterface ui;
    Model::RunState state(folder.path(), ui, nullptr);

    QElapsedTimer clock;
    clock.start();
    BenchTask::MakeDownloadedTask(state, articles);
    std::printf("task of %d articles made in %.2f s\n", articles, Seconds(clock));

    clock.restart();
    const bool epub = QCoro::waitFor(Output::PackEpub(state));
    const double epubSeconds = Seconds(clock);
    if (!epub) {
        std::fprintf(stderr, "%s\n", qPrintable(ui.status()));
        return 1;
    }
    std::printf("EPUB: %.2f s, %.1f MB\n", epubSeconds, Megabytes(Output::EpubPath(state)));

    clock.restart();
    const bool chm = QCoro::waitFor(Output::PackChm(state));
    const double chmSeconds = Seconds(clock);
    if (!chm) {
        std::printf("CHM: not packed (%s)\n", qPrintable(ui.status()));
        return 0;
    }
    std::printf("CHM:  %.2f s, %.1f MB\n", chmSeconds,
                Megabytes(state.pathInProgramFolder(state.task.TaskName + QStringLiteral(".chm"))));
    std::printf("the EPUB takes %.0f%% of the CHM's time\n", 100.0 * epubSeconds / chmSeconds);
    return 0;
}
