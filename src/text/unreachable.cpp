#include "text/unreachable.h"

#include <QFile>
#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTimer>

namespace Text {

namespace {

const char* const SilentProperty = "qvlrx.silentFor";

// The proxy the request went through, or none.
QNetworkProxy ProxyOf(const QNetworkReply* reply)
{
    QNetworkProxy proxy = reply->manager() != nullptr ? reply->manager()->proxy() : QNetworkProxy();
    if (proxy.type() == QNetworkProxy::DefaultProxy) {
        proxy = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(reply->request().url())).value(0);
    }
    const bool named = proxy.type() == QNetworkProxy::HttpProxy || proxy.type() == QNetworkProxy::Socks5Proxy ||
                       proxy.type() == QNetworkProxy::HttpCachingProxy;
    return named ? proxy : QNetworkProxy(QNetworkProxy::NoProxy);
}

bool IsNetworkError(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return true;
    default:
        return false;
    }
}

// What the process has read so far, from sockets and files alike; -1 where the system does not say.
qint64 BytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:")) {
            return line.mid(6).trimmed().toLongLong();
        }
    }
    return -1;
}

// More than a head's worth arrived while the first request waited for its head: the other side is
// answering (a head without end), not silent. The network layer shows no byte of a head before it ends;
// the first request of a run is nearly all the process reads, so its count tells.
constexpr qint64 AnsweringBytes = 256 * 1024;

} // namespace

void WatchFirstAnswer(QNetworkReply* reply, int milliseconds)
{
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, timer, &QTimer::stop);
    const qint64 readBefore = BytesReadSoFar();
    QObject::connect(timer, &QTimer::timeout, reply, [reply, milliseconds, readBefore] {
        const qint64 readNow = BytesReadSoFar();
        if (readBefore >= 0 && readNow - readBefore > AnsweringBytes) {
            return; // the head's own bound ends it, in its words
        }
        if (reply->isRunning()) {
            reply->setProperty(SilentProperty, milliseconds);
            reply->abort();
        }
    });
    timer->start(milliseconds);
}

QString UnreachableNetwork(const QNetworkReply* reply)
{
    if (reply == nullptr || reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
        return {};
    }
    const QVariant silentFor = reply->property(SilentProperty);
    const QNetworkProxy proxy = ProxyOf(reply);
    // Through an HTTP proxy the connection is the proxy's: a refusal is the proxy's, not the site's.
    const bool proxyRefused =
        proxy.type() != QNetworkProxy::NoProxy && reply->error() == QNetworkReply::ConnectionRefusedError;
    if (!silentFor.isValid() && !proxyRefused && !IsNetworkError(reply->error())) {
        return {};
    }
    const QString reason = silentFor.isValid()
                               ? QStringLiteral("%1秒内没有回应").arg(silentFor.toInt() / 1000.0)
                               : reply->errorString();
    if (proxy.type() == QNetworkProxy::NoProxy) {
        // Connected directly, the silence may be the server's own (a web archive that is down).
        return QStringLiteral("没有网络，或%1没有回应（%2）").arg(reply->url().host(), reason);
    }
    return QStringLiteral("无法连接代理服务器%1:%2（%3）").arg(proxy.hostName()).arg(proxy.port()).arg(reason);
}

} // namespace Text
