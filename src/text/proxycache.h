#pragma once

#include <QHash>
#include <QNetworkProxyFactory>

namespace Text {

// The system's proxy settings, asked once per scheme, host and port rather than once per request: the
// system's answer (libproxy on Linux) reads its configuration anew every time, which costs more than
// the request to a fast site itself.
class CachedSystemProxies final : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;

    // Makes it the proxy factory of the application.
    static void install();

private:
    QHash<QString, QList<QNetworkProxy>> m_answers;
};

} // namespace Text
