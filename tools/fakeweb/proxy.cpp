#include "proxy.h"

#include "server.h"

#include <QNetworkProxy>

namespace FakeWeb {

void useAsProxy(const Server& server)
{
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), server.port()));
}

} // namespace FakeWeb
