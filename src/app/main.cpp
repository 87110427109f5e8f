#include "app/batchmode.h"
#include "app/layoutlisting.h"
#include "app/runend.h"
#include "app/signalwatcher.h"
#include "assets/assetfetcher.h"
#include "model/archivesource.h"
#include "model/runstate.h"
#include "model/sitesettings.h"
#include "render/downloadprogress.h"
#include "text/certificatecheck.h"
#include "text/proxycache.h"
#include "ui/heartbeat.h"
#include "ui/mainwindow.h"
#include "ui/shell.h"
#include "ui/sinalogout.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QNetworkAccessManager>

#include <cstdio>
#include <optional>
#include <utility>

namespace {

// The program with its window: one network manager (it honours the system's proxy settings, http_proxy
// among them), the run's state in the program's own folder, the image fetcher and the main window.
int RunWindow(QApplication& app, App::SignalWatcher& watcher)
{
    Text::CachedSystemProxies::install();
    Text::TrustCertificatesOfTheEnvironment();
    QNetworkAccessManager network;
    network.setCookieJar(new Ui::SessionCookieJar(&network));

    Ui::DesktopShell shell;
    Ui::MainWindow window(shell);
    Model::RunState state(QCoreApplication::applicationDirPath(), window, &network);
    Assets::AssetFetcher fetcher(state);
    // The download shows its five slot marks in the window, whose timer advances the slots' tick counts.
    Render::DownloadProgress download(state);
    download.useInternalTicker = false;
    QObject::connect(&download, &Render::DownloadProgress::slotMarkChanged, &window,
                     &Ui::MainWindow::setSlotMark);

    // A signal closes the window as the user would, without a question. It may come while a question is
    // asked at start-up: then the program ends without going on.
    int signalled = 0;
    QObject::connect(&watcher, &App::SignalWatcher::received, &window, [&signalled, &window](int number) {
        if (signalled == 0) {
            signalled = number;
            window.close();
            QCoreApplication::exit(App::SignalWatcher::exitStatus(number));
        }
    });
    window.Load(state);
    int status = 0;
    if (signalled == 0) {
        window.show();
        status = app.exec();
    }
    // The window is closed, with whatever it was doing: nothing of it may be left running or lying about.
    App::EndRun(state, signalled != 0);
    return signalled != 0 ? App::SignalWatcher::exitStatus(signalled) : status;
}

// Without a window: the automatic backup of auto.cfg, or the usual --help and --version.
bool WantsConsole(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--batch" || argument == "--help" || argument == "-h" || argument == "--version" ||
            argument == "-v" || argument == "--layouts") {
            return true;
        }
    }
    return false;
}

int RunConsole(App::SignalWatcher& watcher)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "qvlrx 卷轴匣: backs up a blog into a CHM e-book (and, with --epub, an EPUB book; with --markdown,\n"
        "Markdown files for a static site generator).\n"
        "Without options it opens its window. With --batch it runs the automatic backup that auto.cfg in "
        "the\n"
        "program folder describes, without a window and without questions, printing every status text.\n"
        "A backup that was interrupted or partly failed is completed by running it again.\n"
        "\n"
        "Exit status of --batch:\n"
        "  0  the CHM (with --epub also the EPUB, with --markdown also the Markdown) was made and nothing\n"
        "     is missing\n"
        "  2  auto.cfg is missing, does not name a platform from 0 to 16, names an unusable task\n"
        "     (empty, \".\", \"..\", a \"/\" or a control character, over 250 bytes), its <href> is\n"
        "     not an http or https address with a host of at most 2048 characters, the cookie file\n"
        "     (--cookies or <cookies>) cannot be read, --rate or --archive-rate is no number above 0,\n"
        "     or the archive date (--archive=YYYYMMDD or <archive>) is no day between 1996 and today\n"
        "  3  fewer than 5 articles were found\n"
        "  4  packing the CHM (or, with --epub, the EPUB; with --markdown, the Markdown) failed\n"
        "  5  the CHM was packed, but articles, images or comment pages are missing: each is named in\n"
        "     the summary and in failed.txt in the task folder, and the next run fetches it again\n"
        "  6  another backup of the same task is running (its task folder and process are named)\n"
        "  7  files cannot be written: the task folder cannot be made or written, or the disk is full,\n"
        "     read-only or not writable (one message names the cause and the folder), also while the\n"
        "     index pages, the CHM or the EPUB are written\n"
        "  8  the network could not be reached: the proxy (host and port) or the network, with the error\n"
        "  9  fewer than 5 articles were found because a list page answered without any of the rows the\n"
        "     program knows (\"页面格式无法识别：缺少…\"): the site has changed, or the address leads\n"
        "     to a page of another kind\n"
        "  129, 130, 143  ended by SIGHUP, SIGINT (Ctrl-C) or SIGTERM: what was saved so far is summed\n"
        "     up and kept, no temporary file is left, and the next run goes on from there"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        QStringLiteral("layouts"),
        QStringLiteral("List each platform with the page layouts it knows and where they come from (built\n"
                       "in, or a file of layouts/ in the program folder), then exit.")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("batch"), QStringLiteral("Run the automatic backup of auto.cfg without a window.")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("epub"),
        QStringLiteral("With --batch: make <task>.epub beside the CHM after packing it.")));
    const QCommandLineOption cookiesOption(
        QStringLiteral("cookies"),
        QStringLiteral(
            "With --batch: use your login from FILE, a cookies.txt (Netscape format) exported from "
            "your browser; it wins over <cookies> in auto.cfg. Keep the file private: it is your "
            "login."),
        QStringLiteral("FILE"));
    parser.addOption(cookiesOption);
    parser.addOption(QCommandLineOption(
        QStringLiteral("rate"),
        QStringLiteral("With --batch: send at most N requests per second to each site (0.5: one every two "
                       "seconds); overrides rate= of qvlrx.ini."),
        QStringLiteral("N")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("markdown"),
        QStringLiteral("With --batch: write <task>-markdown beside the task folder after packing: one\n"
                       "Markdown file with YAML front matter per article, its pictures in images/.")));
    const QCommandLineOption volumeArticles(
        QStringLiteral("epub-volume-articles"),
        QStringLiteral(
            "With --epub: at most this many articles in one EPUB; a larger blog is written as\n"
            "volumes \"<task> 第1卷.epub\", ... (default: articles= under [epub] in qvlrx.ini, else 2000)."),
        QStringLiteral("count"));
    const QCommandLineOption volumeMegabytes(
        QStringLiteral("epub-volume-mb"),
        QStringLiteral(
            "With --epub: at most about this many megabytes in one EPUB volume (default: mb= under\n"
            "[epub] in qvlrx.ini, else 45)."),
        QStringLiteral("megabytes"));
    parser.addOption(volumeArticles);
    parser.addOption(volumeMegabytes);
    const QCommandLineOption archiveOption(
        QStringLiteral("archive"),
        QStringLiteral("With --batch: take every page from a web archive instead of the site (a blog that is\n"
                       "gone): --archive for the newest captures, --archive=YYYYMMDD for the blog as it was\n"
                       "around that day; wins over <archive> in auto.cfg. The archive is the Internet\n"
                       "Archive, or address= under [archive] in qvlrx.ini, or $QVLRX_ARCHIVE."));
    const QCommandLineOption archiveRateOption(
        QStringLiteral("archive-rate"),
        QStringLiteral("With --archive: send the archive at most N requests per second (default: rate=\n"
                       "under [archive] in qvlrx.ini, else 2; at most connections= of them at once, else 2)."),
        QStringLiteral("N"));
    parser.addOption(archiveOption);
    parser.addOption(archiveRateOption);
    // "--archive=YYYYMMDD": the option's value is optional, which the parser does not know.
    QStringList arguments = QCoreApplication::arguments();
    std::optional<QString> archiveDate;
    for (QString& argument : arguments) {
        if (argument == QLatin1String("--archive")) {
            archiveDate = QString();
        } else if (argument.startsWith(QLatin1String("--archive="))) {
            archiveDate = argument.mid(int(qstrlen("--archive=")));
            argument = QStringLiteral("--archive");
        }
    }
    parser.process(arguments);
    if (parser.isSet(QStringLiteral("layouts"))) {
        return App::ListLayouts(QCoreApplication::applicationDirPath());
    }
    if (!parser.isSet(QStringLiteral("batch"))) {
        parser.showHelp(0);
    }
    std::optional<double> rate;
    if (parser.isSet(QStringLiteral("rate"))) {
        rate = Model::ParseRequestRate(parser.value(QStringLiteral("rate")));
        if (!rate) {
            std::fprintf(stderr,
                         "--rate: a number of requests per second above 0 and at most 1000, not \"%s\"\n",
                         qPrintable(parser.value(QStringLiteral("rate"))));
            return 2;
        }
    }
    if (archiveDate) {
        if (!archiveDate->isEmpty()) {
            const std::optional<QString> day = Model::ArchiveDay(*archiveDate);
            const QString problem = day ? Model::ArchiveDayProblem(*day, QDate::currentDate())
                                        : QStringLiteral("“%1”不是日期（YYYYMMDD）").arg(*archiveDate);
            if (!problem.isEmpty()) {
                std::fprintf(stderr, "--archive=YYYYMMDD: %s\n", qPrintable(problem));
                return 2;
            }
            archiveDate = *day;
        }
    }
    std::optional<double> archiveRate;
    if (parser.isSet(archiveRateOption)) {
        archiveRate = Model::ParseRequestRate(parser.value(archiveRateOption));
        if (!archiveRate) {
            std::fprintf(stderr,
                         "--archive-rate: a number of requests per second above 0 and at most 1000, not \"%s\"\n",
                         qPrintable(parser.value(archiveRateOption)));
            return 2;
        }
    }
    Text::CachedSystemProxies::install();
    Text::TrustCertificatesOfTheEnvironment();
    QNetworkAccessManager network;
    App::BatchOptions outputs;
    const QString cookies = parser.value(cookiesOption);
    outputs.cookieFile = cookies.isEmpty() ? QString() : QFileInfo(cookies).absoluteFilePath();
    outputs.rate = rate;
    outputs.archiveDate = archiveDate;
    outputs.archiveRate = archiveRate;
    for (const auto& [option, limit] : {std::pair{&volumeArticles, &outputs.volumeArticles},
                                        std::pair{&volumeMegabytes, &outputs.volumeMegabytes}}) {
        if (!parser.isSet(*option)) {
            continue;
        }
        bool read = false;
        const int value = parser.value(*option).toInt(&read);
        if (!read || value < 1) {
            std::fprintf(stderr,
                         "--epub-volume-articles and --epub-volume-mb take a whole number of at least 1\n");
            return 2;
        }
        *limit = value;
    }
    outputs.epub = parser.isSet(QStringLiteral("epub"));
    outputs.markdown = parser.isSet(QStringLiteral("markdown"));
    return App::RunBatch(QCoreApplication::applicationDirPath(), network, outputs, &watcher);
}

} // namespace

int main(int argc, char* argv[])
{
    App::SignalWatcher::ignoreBrokenPipe();
    if (WantsConsole(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("qvlrx"));
        QCoreApplication::setApplicationVersion(QString::number(Ui::Heartbeat::Version));
        App::SignalWatcher watcher;
        return RunConsole(watcher);
    }
    QApplication app(argc, argv);
    App::SignalWatcher watcher;
    return RunWindow(app, watcher);
}
