#include "text/proxycache.h"

#include <QUrl>

namespace Text {

namespace {

constexpr qsizetype MaxAnswers = 1000; // a run that meets more hosts asks the system again

} // namespace

QList<QNetworkProxy> CachedSystemProxies::queryProxy(const QNetworkProxyQuery& query)
{
    const QUrl url = query.url();
    const QString key = QString::number(int(query.queryType())) + u' ' + query.protocolTag() + u' ' +
                        url.scheme() + u' ' + query.peerHostName() + u':' + QString::number(query.peerPort());
    const auto known = m_answers.constFind(key);
    if (known != m_answers.cend()) {
        return *known;
    }
    if (m_answers.size() >= MaxAnswers) {
        m_answers.clear();
    }
    const QList<QNetworkProxy> answer = systemProxyForQuery(query);
    m_answers.insert(key, answer);
    return answer;
}

void CachedSystemProxies::install()
{
    // The application takes ownership.
    QNetworkProxyFactory::setApplicationProxyFactory(new CachedSystemProxies);
}

} // namespace Text
