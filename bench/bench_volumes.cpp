// Makes a downloaded task of 100,000 small articles (2 KB pages in five categories, a picture in every
// article, the index pages), packs it into EPUB volumes with the default limits and prints the time, the
// volumes and the peak memory of the process (goal: at most 150 MB).
//
//   bench_volumes              100,000 articles
//   bench_volumes N            N articles
//   bench_volumes N FOLDER     in FOLDER, which is kept (to check the volumes with epubcheck)
#include "benchtask.h"
#include "model/runstate.h"
#include "model/userinterface.h"
#include "output/epubwriter.h"
#include "render/indexpages.h"

#include <QCoreApplication>
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

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

// The peak resident memory of the process, from the kernel.
QString PeakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return QStringLiteral("unknown");
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return QString::fromLatin1(line.mid(6).trimmed());
        }
    }
    return QStringLiteral("unknown");
}

} // namespace

using BenchTask::Seconds;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int articles = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir temporary;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    QuietUserInterface ui;
    Model::RunState state(folder, ui, nullptr);

    QElapsedTimer clock;
    clock.start();
    BenchTask::StartTask(state);
    const QByteArray filler = Text::EncodeLocal(BenchTask::Filler(2));
    for (int i = 1; i <= articles; ++i) {
        const int row = BenchTask::AddArticle(state, i);
        const QString folderOf = state.categoryFolder(state.articles.category(row));
        const QString picture = QStringLiteral("http___simg.sinajs.cn_%1.gif").arg(i);
        Write(Text::JoinPath(folderOf, picture), BenchTask::Picture);
        Write(state.articlePagePath(row),
              Text::EncodeLocal(QStringLiteral("<title>第%1篇 文章</title>\r\n").arg(i)) + filler +
                  Text::EncodeLocal(QStringLiteral("<img src=\"%1\">").arg(picture)));
        state.articles.setMark(row, QStringLiteral("●"));
    }
    QCoro::waitFor(Render::WriteIndexPages(state));
    std::printf("task of %d articles made in %.2f s (peak memory so far %s)\n", articles, Seconds(clock),
                qPrintable(PeakMemory()));

    clock.restart();
    const bool packed = QCoro::waitFor(Output::PackEpub(state));
    const double seconds = Seconds(clock);
    std::printf("%s\n", qPrintable(ui.status()));
    if (!packed) {
        return 1;
    }
    const QStringList books = Output::EpubFiles(state);
    qint64 largest = 0;
    for (const QString& book : books) {
        largest = std::max(largest, QFileInfo(book).size());
    }
    std::printf("EPUB: %lld volumes in %.2f s, the largest %.1f MB; peak memory %s (goal: at most 150 MB)\n",
                qlonglong(books.size()), seconds, double(largest) / (1024.0 * 1024.0),
                qPrintable(PeakMemory()));
    return 0;
}
