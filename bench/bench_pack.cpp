// Packs a downloaded task of 1,000 articles with pictures into a CHM and sets the program's whole packing
// step (生成CHM without full-text search, as the automatic mode packs) side by side with a plain
// "chmcmd --no-html-scan" compile of the same project, taking turns, and prints the times, their ratio and
// the packing progress it showed. Then packs the unchanged task again, which keeps the book.
//
//   bench_pack              1,000 articles, two turns each
//   bench_pack N [TURNS]    N articles
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

QString Filler()
{
    QString text;
    const QString paragraph =
        QStringLiteral("<p>这是一段用来测试打包速度的正文，内容没有什么意义，只是占一些地方。"
                       "Some Latin text as well, <b>bold</b> & <i>slanted</i>.<br>\r\n");
    while (Text::EncodeLocal(text).size() < 19 * 1024) {
        text += paragraph;
    }
    return text;
}

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
    state.task.TaskName = QStringLiteral("benchblog");
    state.task.PlatformCode = 0;
    state.task.BlogAddress = QStringLiteral("http://blog.sina.com.cn/benchblog");
    state.task.FetchImages = true;
    state.ResetArticleList();
    QRandomGenerator random(15);
    const QString filler = Filler();
    for (int i = 1; i <= articles; ++i) {
        const QString category = QStringLiteral("分类%1").arg(i % 5 + 1);
        const QString link = QStringLiteral("blog_%1.html").arg(100000 + i);
        const int row = state.addArticleRow(QStringLiteral("第%1篇 文章").arg(i), category, link,
                                            QStringLiteral("2012-04-19 08:00"));
        const QString folder = state.categoryFolder(category);
        QDir().mkpath(folder);
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

double Seconds(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

// The compile the packing is measured against: chmcmd alone, on the project the packing hands it.
double PlainCompile(Model::RunState& state, const QString& output)
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
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral("chmcmd"), {QStringLiteral("--no-html-scan"), QStringLiteral(".plain.hhp")});
    process.waitForFinished(-1);
    const double seconds = Seconds(clock);
    QFile::remove(copy);
    QFile::remove(contents);
    if (process.exitCode() != 0 || !QFileInfo(output).isFile()) {
        std::fprintf(stderr, "plain compile failed: %s\n", process.readAll().constData());
        return -1;
    }
    QFile::remove(output);
    return seconds;
}

} // namespace

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
    QList<double> plain;
    QList<double> packing;
    for (int turn = 1; turn <= turns; ++turn) {
        const double compile = PlainCompile(state, state.pathInProgramFolder(QStringLiteral("plain.chm")));
        if (compile < 0) {
            return 1;
        }
        plain.append(compile);
        QFile::remove(stamp); // packed from scratch each turn
        ui.progress.clear();
        clock.restart();
        if (!QCoro::waitFor(Output::PackChm(state))) {
            std::fprintf(stderr, "%s\n", qPrintable(ui.status()));
            return 1;
        }
        packing.append(Seconds(clock));
        std::printf("turn %d: chmcmd --no-html-scan %.2f s, packing %.2f s (%.1f MB), %lld progress steps, "
                    "last %d/%d, past the total %d times\n",
                    turn, plain.constLast(), packing.constLast(), double(QFileInfo(chm).size()) / 1048576.0,
                    static_cast<long long>(ui.progress.size()),
                    ui.progress.isEmpty() ? 0 : ui.progress.constLast().first,
                    ui.progress.isEmpty() ? 0 : ui.progress.constLast().second, ui.beyond);
    }
    const double bestPlain = *std::min_element(plain.cbegin(), plain.cend());
    const double bestPacking = *std::min_element(packing.cbegin(), packing.cend());
    std::printf("best of %d: chmcmd --no-html-scan %.2f s, packing %.2f s, ratio %.3f (goal <= 1.1)\n", turns,
                bestPlain, bestPacking, bestPacking / bestPlain);

    clock.restart();
    QCoro::waitFor(Output::PackChm(state));
    std::printf("packing the unchanged task again: %.2f s (%s)\n", Seconds(clock), qPrintable(ui.status()));
    return 0;
}
