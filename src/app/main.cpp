#include "app/batchmode.h"
#include "assets/assetfetcher.h"
#include "model/runstate.h"
#include "render/downloadprogress.h"
#include "text/proxycache.h"
#include "ui/heartbeat.h"
#include "ui/mainwindow.h"
#include "ui/shell.h"
#include "ui/sinalogout.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QNetworkAccessManager>

namespace {

// The program with its window: one network manager (it honours the system's proxy settings, http_proxy
// among them), the run's state in the program's own folder, the image fetcher and the main window.
int RunWindow(QApplication& app)
{
    Text::CachedSystemProxies::install();
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

    window.Load(state);
    window.show();
    return app.exec();
}

// Without a window: the automatic backup of auto.cfg, or the usual --help and --version.
bool WantsConsole(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--batch" || argument == "--help" || argument == "-h" || argument == "--version" ||
            argument == "-v") {
            return true;
        }
    }
    return false;
}

int RunConsole(QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "qvlrx 卷轴匣: backs up a blog into a CHM e-book (and, with --epub, an EPUB book).\n"
        "Without options it opens its window. With --batch it runs the automatic backup that auto.cfg in "
        "the\n"
        "program folder describes, without a window and without questions, printing every status text.\n"
        "A backup that was interrupted or partly failed is completed by running it again.\n"
        "\n"
        "Exit status of --batch:\n"
        "  0  the CHM (with --epub also the EPUB) was packed and nothing is missing\n"
        "  2  auto.cfg is missing, does not name a platform from 0 to 16, or names an unusable task\n"
        "     (empty, \".\", \"..\", a \"/\" or over 250 bytes)\n"
        "  3  fewer than 5 articles were found\n"
        "  4  packing the CHM (with --epub, or the EPUB) failed\n"
        "  5  the CHM was packed, but articles, images or comment pages are missing: each is named in\n"
        "     the summary and in failed.txt in the task folder, and the next run fetches it again\n"
        "  7  files cannot be written: the task folder cannot be made or written, or the disk is full,\n"
        "     read-only or not writable (one message names the cause and the folder); a full disk while\n"
        "     compiling the CHM ends with 4\n"
        "  8  the network could not be reached: the proxy (host and port) or the network, with the error"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        QStringLiteral("batch"), QStringLiteral("Run the automatic backup of auto.cfg without a window.")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("epub"),
        QStringLiteral("With --batch: make <task>.epub beside the CHM after packing it.")));
    parser.process(app);
    if (!parser.isSet(QStringLiteral("batch"))) {
        parser.showHelp(0);
    }
    Text::CachedSystemProxies::install();
    QNetworkAccessManager network;
    return App::RunBatch(QCoreApplication::applicationDirPath(), network,
                         parser.isSet(QStringLiteral("epub")));
}

} // namespace

int main(int argc, char* argv[])
{
    if (WantsConsole(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("qvlrx"));
        QCoreApplication::setApplicationVersion(QString::number(Ui::Heartbeat::Version));
        return RunConsole(app);
    }
    QApplication app(argc, argv);
    return RunWindow(app);
}
