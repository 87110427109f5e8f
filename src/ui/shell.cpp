#include "ui/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace Ui {

bool DesktopShell::openLocal(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopShell::openWeb(const QString& address)
{
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    return url.isValid() && QDesktopServices::openUrl(url);
}

} // namespace Ui
