#pragma once

#include <QTcpServer>

namespace TestSupport {

// Two proxies on this machine that cannot serve: one refuses every connection (nothing listens on its
// port any more), one takes connections and never answers.
struct DeadProxies
{
    QTcpServer silent;
    quint16 refusingPort = 0;

    // False when a port could not be had.
    bool open()
    {
        QTcpServer closed;
        if (!closed.listen(QHostAddress::LocalHost) || !silent.listen(QHostAddress::LocalHost)) {
            return false;
        }
        refusingPort = closed.serverPort();
        return true;
    }
};

} // namespace TestSupport
