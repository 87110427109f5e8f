// Makes a downloaded task of 2,000 articles (20 KB pages in five categories, a picture in every article, a
// comment page in every tenth) and prints how long the Markdown export of it takes. The goal is under ten
// seconds.
//
//   bench_markdown              2,000 articles
//   bench_markdown N            N articles
#include "benchtask.h"
#include "model/runstate.h"
#include "model/userinterface.h"
#include "output/markdownexport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
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

} // namespace

using BenchTask::Seconds;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int articles = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    QTemporaryDir folder;
    QuietUserInterface ui;
    Model::RunState state(folder.path(), ui, nullptr);

    QElapsedTimer clock;
    clock.start();
    BenchTask::MakeDownloadedTask(state, articles);
    std::printf("task of %d articles made in %.2f s\n", articles, Seconds(clock));

    clock.restart();
    const bool exported = QCoro::waitFor(Output::ExportMarkdown(state));
    const double seconds = Seconds(clock);
    std::printf("%s\n", qPrintable(ui.status()));
    if (!exported) {
        return 1;
    }
    const int files =
        int(QDir(Output::MarkdownFolder(state)).entryList({QStringLiteral("*.md")}, QDir::Files).size());
    std::printf("Markdown: %d files in %.2f s (goal: 2,000 articles in under 10 s)\n", files, seconds);
    return 0;
}
