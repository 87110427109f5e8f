// Packs a downloaded task of 1,000 articles with pictures into a CHM and sets the program's whole packing
// step (生成CHM without full-text search, as the automatic mode packs) side by side with a plain
// "chmcmd --no-html-scan" compile of the same project, taking turns, and prints the times, their ratio and
// the packing progress it showed. Then packs the unchanged task again, which keeps the book.
//
//   bench_pack              1,000 articles, two turns each
//   bench_pack N [TURNS]    N articles, TURNS turns (the better of each is compared)
// Wall time says what the user waits for; on a busy machine the processor time (this process and the
// compiler) is the steadier figure.
#include "benchtask.h"
#include "model/runstate.h"
#include "model/userinterface.h"
#include "output/chmpacker.h"
#include "output/helpcompiler.h"
#include "output/projectfiles.h"
#include "render/indexpages.h"
#include "text/charset.h"
#include "text/textfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <QCoro/QCoroTask>

#include <algorithm>
#include <cstdio>

#include <sys/resource.h>

namespace {

// Answers no to the full-text question and keeps the packing progress it is shown.
class ProgressUserInterface final : public Model::UserInterface
{
public:
    QList<QPair<int, int>> progress; // done, listed
    int beyond = 0;                  // counts past the listing

    bool ask(const QString&, const QString&) override { return false; }
    void tell(const QString& message) override { std::fprintf(stderr, "message: %s\n", qPrintable(message)); }
    void showCommandStates(const Model::CommandStates&) override {}
    bool openLocal(const QString&) override { return true; }
    bool openWeb(const QString&) override { return true; }

protected:
    void statusChanged(const QString& text) override
    {
        static const QRegularExpression count(QStringLiteral("^打包第(\\d+)/(\\d+)个$"));
        if (const auto match = count.match(text); match.hasMatch()) {
            progress.append({match.captured(1).toInt(), match.captured(2).toInt()});
            beyond += progress.constLast().first > progress.constLast().second ? 1 : 0;
        }
    }
};

// A picture as a photo is to the compiler: 30 KB that do not compress.
QByteArray Picture(QRandomGenerator& random)
{
    QByteArray bytes(30 * 1024, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    bytes.replace(0, 4, "\xff\xd8\xff\xe0");
    return bytes;
}

void MakeTask(Model::RunState& state, int articles)
{
    BenchTask::StartTask(state);
    QRandomGenerator random(15);
    const QString filler = BenchTask::Filler();
    for (int i = 1; i <= articles; ++i) {
        const int row = BenchTask::AddArticle(state, i);
        const QString folder = state.categoryFolder(state.articles.category(row));
        QString page = QStringLiteral("<title>第%1篇 文章</title>\r\n<font color=#339933 size=5>第%1篇 文章"
                                      "</font><br>")
                           .arg(i) +
                       filler;
        for (int k = 1; k <= 2; ++k) {
            const QString picture = QStringLiteral("http___simg.sinajs.cn_%1_%2.jpg").arg(i).arg(k);
            Text::WriteBytesFileAt(Text::JoinPath(folder, picture), Picture(random));
            page += QStringLiteral("<img src=\"%1\">").arg(picture);
        }
        Text::WriteTextFileAt(state.articlePagePath(row), page);
    }
    QCoro::waitFor(Render::WriteIndexPages(state));
}

// Wall time and processor time (this process and its children: the compiler) of a step.
struct Cost
{
    double wall = 0;
    double cpu = 0;
};

double ProcessorSeconds()
{
    double seconds = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        seconds += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return seconds;
}

template <typename Step> Cost Measure(Step step)
{
    QElapsedTimer clock;
    clock.start();
    const double cpu = ProcessorSeconds();
    if (!step()) {
        return {-1, -1};
    }
    return {BenchTask::Seconds(clock), ProcessorSeconds() - cpu};
}

// The compile the packing is measured against: chmcmd alone, on the project the packing hands it.
bool PlainCompile(Model::RunState& state, const QString& output)
{
    const QString folder = state.taskFolder();
    const QByteArray project = Output::ProjectFileBytes(
        Output::ProjectFileLines(state.task.TaskName, false, state.articles, state.task.PlatformCode));
    const QString contents = Text::JoinPath(folder, QStringLiteral("blog.hhc"));
    Text::WriteBytesFileAt(contents, Output::ProjectFileBytes(Output::ContentsFileLines(
                                         state.articles, state.categories, state.task.PlatformCode)));
    const QString copy = Text::JoinPath(folder, QStringLiteral(".plain.hhp"));
    Text::WriteBytesFileAt(
        copy, Output::CompilerProjectCopy(Text::DecodeLocal(project), output,
                                          Output::FolderFiles(folder, {QStringLiteral("blog.hhc")})));
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral("chmcmd"), {QStringLiteral("--no-html-scan"), QStringLiteral(".plain.hhp")});
    process.waitForFinished(-1);
    QFile::remove(copy);
    QFile::remove(contents);
    if (process.exitCode() != 0 || !QFileInfo(output).isFile()) {
        std::fprintf(stderr, "plain compile failed: %s\n", process.readAll().constData());
        return false;
    }
    QFile::remove(output);
    return true;
}

} // namespace

using BenchTask::Seconds;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is known
    const int articles = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;
    const int turns = argc > 2 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 2;
    QTemporaryDir folder;
    ProgressUserInterface ui;
    Model::RunState state(folder.path(), ui, nullptr);

    QElapsedTimer clock;
    clock.start();
    MakeTask(state, articles);
    const QStringList files = Output::FolderFiles(state.taskFolder(), {});
    qint64 bytes = 0;
    for (const QString& file : files) {
        bytes += QFileInfo(QDir(state.taskFolder()).filePath(file)).size();
    }
    std::printf("task of %d articles: %lld files, %.1f MB, made in %.2f s\n", articles,
                static_cast<long long>(files.size()), double(bytes) / 1048576.0, Seconds(clock));

    const QString chm = state.pathInProgramFolder(state.task.TaskName + QStringLiteral(".chm"));
    const QString stamp = Text::JoinPath(state.taskFolder(), QStringLiteral(".qvlrx-chm"));
    const auto compile = [&] {
        return PlainCompile(state, state.pathInProgramFolder(QStringLiteral("plain.chm")));
    };
    const auto pack = [&] {
        QFile::remove(stamp); // packed from scratch each turn
        ui.progress.clear();
        return QCoro::waitFor(Output::PackChm(state));
    };
    QList<Cost> plain;
    QList<Cost> packing;
    // Turns alternate which goes first, so that a change of the machine's load weighs on both alike.
    for (int turn = 1; turn <= turns; ++turn) {
        if (turn % 2 == 1) {
            plain.append(Measure(compile));
            packing.append(Measure(pack));
        } else {
            packing.append(Measure(pack));
            plain.append(Measure(compile));
        }
        if (plain.constLast().wall < 0 || packing.constLast().wall < 0) {
            std::fprintf(stderr, "%s\n", qPrintable(ui.status()));
            return 1;
        }
        std::printf(
            "turn %d: chmcmd --no-html-scan %.2f s (cpu %.2f s), packing %.2f s (cpu %.2f s, %.1f MB), "
            "%lld progress steps, last %d/%d, past the total %d times\n",
            turn, plain.constLast().wall, plain.constLast().cpu, packing.constLast().wall,
            packing.constLast().cpu, double(QFileInfo(chm).size()) / 1048576.0,
            static_cast<long long>(ui.progress.size()),
            ui.progress.isEmpty() ? 0 : ui.progress.constLast().first,
            ui.progress.isEmpty() ? 0 : ui.progress.constLast().second, ui.beyond);
    }
    const auto best = [](const QList<Cost>& costs, double Cost::*field) {
        double least = costs.constFirst().*field;
        for (const Cost& cost : costs) {
            least = std::min(least, cost.*field);
        }
        return least;
    };
    std::printf("best of %d, wall: chmcmd --no-html-scan %.2f s, packing %.2f s, ratio %.3f (goal <= 1.1)\n",
                turns, best(plain, &Cost::wall), best(packing, &Cost::wall),
                best(packing, &Cost::wall) / best(plain, &Cost::wall));
    std::printf("best of %d, cpu:  chmcmd --no-html-scan %.2f s, packing %.2f s, ratio %.3f\n", turns,
                best(plain, &Cost::cpu), best(packing, &Cost::cpu),
                best(packing, &Cost::cpu) / best(plain, &Cost::cpu));

    clock.restart();
    QCoro::waitFor(Output::PackChm(state));
    std::printf("packing the unchanged task again: %.2f s (%s)\n", Seconds(clock), qPrintable(ui.status()));
    return 0;
}
