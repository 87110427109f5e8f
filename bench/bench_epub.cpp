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
#include "render/indexpages.h"
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

// A 1 x 1 GIF.
const QByteArray Picture(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00"
    "\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
    43);

void MakeTask(Model::RunState& state, int articles)
{
    BenchTask::StartTask(state);
    const QString filler = BenchTask::Filler();
    for (int i = 1; i <= articles; ++i) {
        const int row = BenchTask::AddArticle(state, i);
        const QString category = state.articles.category(row);
        const QString link = state.articles.link(row);
        const QString folder = state.categoryFolder(category);
        const QString picture = QStringLiteral("http___simg.sinajs.cn_%1.gif").arg(i);
        QString page =
            QStringLiteral("<title>第%1篇 文章</title>\r\n<font color=#339933 size=5>第%1篇 文章</font>"
                           "<br><font color=#993333 size=3>分类: %2<br>日期: 2012-04-19 08:00</font><br>"
                           "原文地址: <a target=_blank href=http://blog.sina.com.cn/s/%3>"
                           "http://blog.sina.com.cn/s/%3</a><hr size=1 color=#C0C0C0>")
                .arg(i)
                .arg(category, link) +
            filler + QStringLiteral("<img src=\"%1\">").arg(picture);
        Text::WriteBytesFileAt(Text::JoinPath(folder, picture), Picture);
        if (i % 10 == 0) {
            const QString comments = QStringLiteral("http___blog.sina.com.cn_s_comment_%1_1.html").arg(i);
            page +=
                QStringLiteral("<hr size=1 color=#a0C0C0><font color=#339933 size=5>评论:</font><a href=%1>"
                               "<b>1</b></a>&nbsp;")
                    .arg(comments);
            Text::WriteTextFileAt(Text::JoinPath(folder, comments),
                                  QStringLiteral("<br><li>读者：好文章，写得真好。</li>").repeated(50));
        }
        Text::WriteTextFileAt(state.articlePagePath(row), page);
        state.articles.setMark(row, QStringLiteral("●"));
    }
    QCoro::waitFor(Render::WriteIndexPages(state));
}

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
    MakeTask(state, articles);
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
