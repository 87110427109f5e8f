// Downloads a generated Sina blog of 20 KB article pages through the fake web, served by a second
// process, and prints the figures: articles per second, the share of the bound that five concurrent
// requests and the answer latency set, CPU seconds per 1,000 articles and peak resident memory.
//
//   bench_download                       every standard case (2,000 and 20,000 articles, 20 ms and 0 ms)
//   bench_download --run N LATENCY_MS    one case, in this process
//   bench_download --serve LATENCY_MS    the web side: serves the blog until killed
//
// The task folders lie in the temporary folder (TMPDIR). On ext4, creating many files soon after many
// were deleted costs the kernel much time; TMPDIR=/dev/shm shows the download without the disk.
#include "assets/pageimages.h"
#include "fakeweb.h"
#include "model/runstate.h"
#include "model/userinterface.h"
#include "render/downloaddriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <QCoro/QCoroTask>

#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

class QuietUserInterface final : public Model::UserInterface
{
public:
    bool ask(const QString&, const QString&) override { return true; }
    void tell(const QString& message) override { std::fprintf(stderr, "message: %s\n", qPrintable(message)); }
    void showCommandStates(const Model::CommandStates&) override {}
    bool openLocal(const QString&) override { return false; }
    bool openWeb(const QString&) override { return false; }
};

// An article page of about 20 KB in the layout of the Sina blog, UTF-8 as Sina serves it.
QByteArray ArticlePage(const QString& number)
{
    static const QString filler = [] {
        QString text;
        const QString paragraph =
            QStringLiteral("<p>这是一段用来测试下载速度的正文，内容没有什么意义，只是占一些地方。"
                           "Some Latin text as well, to look like a real page.</p>\n");
        while (text.toUtf8().size() < 19 * 1024) {
            text += paragraph;
        }
        return text;
    }();
    const QString page = QStringLiteral("<html><head><title>第") + number +
                         QStringLiteral("篇</title></head><body><div class=\"articalContent\">"
                                        "<!-- 正文开始 -->\n<h2>第") +
                         number + QStringLiteral("篇文章</h2>\n") + filler +
                         QStringLiteral("<!-- 正文结束 -->\n</div></body></html>\n");
    return page.toUtf8();
}

int Serve(int latencyMs)
{
    FakeWeb::Server server;
    server.addHandler([latencyMs](const FakeWeb::Request& request) -> std::optional<FakeWeb::Response> {
        static const QRegularExpression article(QStringLiteral("^/s/blog_(\\d+)\\.html$"));
        const QRegularExpressionMatch match = article.match(request.path);
        if (!match.hasMatch()) {
            return std::nullopt;
        }
        FakeWeb::Response response;
        response.body = ArticlePage(match.captured(1));
        response.headers = {{"Content-Type", "text/html; charset=utf-8"}};
        response.delayMs = latencyMs;
        return response;
    });
    if (!server.listen()) {
        return 1;
    }
    std::printf("listening on 127.0.0.1:%u\n", unsigned(server.port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

struct CpuTime
{
    double user = 0;
    double system = 0;
};

CpuTime CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return {double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6,
            double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6};
}

long PeakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The same requests, five at a time, with the answers thrown away: what the fake web and the network
// layer alone allow.
double NetworkOnlyRate(QNetworkAccessManager& network, int articles)
{
    int sent = 0;
    int done = 0;
    QEventLoop loop;
    std::function<void()> sendNext = [&] {
        if (sent >= articles) {
            return;
        }
        ++sent;
        QNetworkReply* reply = network.get(
            QNetworkRequest(QUrl(QStringLiteral("http://blog.sina.com.cn/s/blog_%1.html").arg(sent))));
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply] {
            reply->readAll();
            reply->deleteLater();
            if (++done == articles) {
                loop.quit();
            }
            sendNext();
        });
    };
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 5; ++i) {
        sendNext();
    }
    loop.exec();
    return articles / (double(clock.nsecsElapsed()) / 1e9);
}

int Run(int articles, int latencyMs)
{
    QProcess web;
    web.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--serve"), QString::number(latencyMs)});
    if (!web.waitForStarted() || !web.waitForReadyRead(10000)) {
        std::fprintf(stderr, "the web process did not start\n");
        return 1;
    }
    const QString line = QString::fromUtf8(web.readLine()).trimmed();
    const quint16 port = quint16(line.section(u':', -1).toUInt());
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), port));

    QTemporaryDir folder;
    QuietUserInterface ui;
    QNetworkAccessManager network;
    const double networkRate = NetworkOnlyRate(network, std::min(articles, 1000));
    Model::RunState state(folder.path(), ui, &network);
    state.listScrolling = false;
    state.task.TaskName = QStringLiteral("bench");
    state.task.PlatformCode = 0;
    state.task.BlogAddress = QStringLiteral("http://blog.sina.com.cn/u/1");
    for (int n = 1; n <= articles; ++n) {
        state.addArticleRow(QStringLiteral("第%1篇文章").arg(n), QStringLiteral("分类%1").arg(n % 10),
                            QStringLiteral("blog_%1.html").arg(n), QStringLiteral("2012-04-19"));
    }

    const CpuTime cpuBefore = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QCoro::waitFor(Render::DownloadDriver(state));
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const CpuTime cpuAfter = CpuSeconds();
    const double user = cpuAfter.user - cpuBefore.user;
    const double system = cpuAfter.system - cpuBefore.system;

    int saved = 0;
    for (int row = 1; row <= articles; ++row) {
        saved += QFileInfo::exists(state.articlePagePath(row)) ? 1 : 0;
    }
    const double rate = articles / seconds;
    std::printf("%6d articles, latency %2d ms: %6.1f s, %7.1f articles/s", articles, latencyMs, seconds,
                rate);
    if (latencyMs > 0) {
        std::printf(" = %5.1f%% of the bound %.0f/s", 100.0 * rate / (5000.0 / latencyMs),
                    5000.0 / latencyMs);
    }
    std::printf(
        ", CPU %.3f s per 1,000 articles (user %.3f, system %.3f), peak RSS %.1f MB, %d pages saved\n",
        (user + system) * 1000.0 / articles, user * 1000.0 / articles, system * 1000.0 / articles,
        double(PeakRssKb()) / 1024.0, saved);
    std::printf("%6s the fake web alone, five requests at a time, answers dropped: %.1f articles/s\n", "",
                networkRate);
    // Every image fetching looks over the saved pages for images that are missing on disk.
    clock.restart();
    const qsizetype lacking = Assets::PagesMissingImages(state).size();
    std::printf("%6s looking over the saved pages for missing images: %.0f ms (%lld pages lack images)\n", "",
                double(clock.nsecsElapsed()) / 1e6, static_cast<long long>(lacking));
    std::fflush(stdout);
    web.terminate();
    web.waitForFinished(5000);
    return saved == articles ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args.at(1) == QStringLiteral("--serve")) {
        return Serve(args.at(2).toInt());
    }
    if (args.size() >= 4 && args.at(1) == QStringLiteral("--run")) {
        return Run(args.at(2).toInt(), args.at(3).toInt());
    }
    std::printf("task folders in %s\n", qPrintable(QDir::tempPath()));
    std::fflush(stdout);
    // Each case in a process of its own, so that its peak memory is its own.
    int failures = 0;
    for (const auto& [articles, latency] : {std::pair{2000, 20}, {2000, 0}, {20000, 20}, {20000, 0}}) {
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--run"), QString::number(articles), QString::number(latency)});
        run.waitForFinished(-1);
        failures += run.exitCode() != 0 ? 1 : 0;
    }
    return failures == 0 ? 0 : 1;
}
