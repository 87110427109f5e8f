#include "assets/assetfetcher.h"
#include "model/runstate.h"
#include "ui/mainwindow.h"
#include "ui/shell.h"
#include "ui/sinalogout.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>

namespace {

// The program with its window: one network manager (it honours the system's proxy settings, http_proxy
// among them), the run's state in the program's own folder, the image fetcher and the main window.
int RunWindow(QApplication& app)
{
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    QNetworkAccessManager network;
    network.setCookieJar(new Ui::SessionCookieJar(&network));

    Ui::DesktopShell shell;
    Ui::MainWindow window(shell);
    Model::RunState state(QCoreApplication::applicationDirPath(), window, &network);
    Assets::AssetFetcher fetcher(state);

    window.Load(state);
    window.show();
    return app.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return RunWindow(app);
}
