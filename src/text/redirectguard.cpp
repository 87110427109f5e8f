#include "text/redirectguard.h"

#include "text/sitegate.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>
#include <QUrl>


namespace Text {

namespace {

const char* const RefusalProperty = "qvlrx.redirectRefusal";
const char* const VisitedProperty = "qvlrx.redirectsVisited";

// Second-level names under which a country's sites are registered ("sina.com.cn", "bbc.co.uk").
bool IsGenericSecondLevel(const QString& label)
{
    static const QStringList Generic{QStringLiteral("com"), QStringLiteral("net"), QStringLiteral("org"),
                                     QStringLiteral("gov"), QStringLiteral("edu"), QStringLiteral("ac"),
                                     QStringLiteral("co")};
    return Generic.contains(label);
}

// The first label of a login service's host, or a path segment of its login page.
bool IsLoginAddress(const QUrl& url)
{
    static const QStringList Hosts{QStringLiteral("login"), QStringLiteral("passport"),
                                   QStringLiteral("sso"),   QStringLiteral("signin"),
                                   QStringLiteral("auth"),  QStringLiteral("account"),
                                   QStringLiteral("accounts")};
    static const QStringList Pages{QStringLiteral("login"), QStringLiteral("signin"),
                                   QStringLiteral("logon")};
    if (Hosts.contains(url.host().toLower().section(u'.', 0, 0))) {
        return true;
    }
    for (const QString& segment : url.path().toLower().split(u'/', Qt::SkipEmptyParts)) {
        if (Pages.contains(segment.section(u'.', 0, 0))) {
            return true;
        }
    }
    return false;
}

bool IsInternalIPv4(quint32 a)
{
    const auto in = [a](quint32 net, int bits) { return (a >> (32 - bits)) == (net >> (32 - bits)); };
    return in(0x7f000000, 8) || in(0x0a000000, 8) || in(0xac100000, 12) || in(0xc0a80000, 16) ||
           in(0xa9fe0000, 16) || in(0x00000000, 8);
}

void Refuse(QNetworkReply* reply, const QString& why)
{
    reply->setProperty(RefusalProperty, why);
    // From the event loop: the reply is still inside its own signal.
    QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
}

// Whether the program itself connects to `to` (no proxy stands between, which would resolve its name).
bool ConnectsDirectly(const QNetworkReply* reply, const QUrl& to)
{
    QNetworkAccessManager* manager = reply->manager();
    QNetworkProxy proxy = manager != nullptr ? manager->proxy() : QNetworkProxy();
    if (proxy.type() == QNetworkProxy::DefaultProxy) {
        const QNetworkProxyQuery query(to);
        proxy = manager != nullptr && manager->proxyFactory() != nullptr
                    ? manager->proxyFactory()->queryProxy(query).value(0)
                    : QNetworkProxyFactory::proxyForQuery(query).value(0);
    }
    return proxy.type() == QNetworkProxy::NoProxy || proxy.type() == QNetworkProxy::DefaultProxy;
}

// A name that is not an address: what it stands for is known only once it is looked up.
bool IsHostName(const QString& host)
{
    return !host.startsWith(u'[') &&
           QHostAddress(host).protocol() == QAbstractSocket::UnknownNetworkLayerProtocol;
}

} // namespace

bool IsInternalHost(const QString& host)
{
    QString name = host.toLower();
    if (name.startsWith(u'[') && name.endsWith(u']')) {
        name = name.mid(1, name.size() - 2);
    }
    if (name == QLatin1String("localhost") || name.endsWith(QLatin1String(".localhost"))) {
        return true;
    }
    QHostAddress address;
    if (!address.setAddress(name)) {
        return false;
    }
    bool isIPv4 = false;
    const quint32 v4 = address.toIPv4Address(&isIPv4); // also an IPv4 address mapped to IPv6
    if (isIPv4) {
        return IsInternalIPv4(v4);
    }
    const Q_IPV6ADDR v6 = address.toIPv6Address();
    return address.isLoopback() || address == QHostAddress(QHostAddress::AnyIPv6) ||
           (v6[0] & 0xfe) == 0xfc || (v6[0] == 0xfe && (v6[1] & 0xc0) == 0x80);
}

QString SiteOf(const QString& host)
{
    const QString name = host.toLower();
    if (QHostAddress(name).protocol() != QAbstractSocket::UnknownNetworkLayerProtocol) {
        return name;
    }
    const QStringList labels = name.split(u'.', Qt::SkipEmptyParts);
    qsizetype keep = 2;
    if (labels.size() >= 3 && labels.last().size() == 2 && IsGenericSecondLevel(labels.at(labels.size() - 2))) {
        keep = 3;
    }
    return labels.mid(std::max<qsizetype>(0, labels.size() - keep)).join(u'.');
}

QString RedirectRefusal(const QUrl& from, const QUrl& to, RedirectReach reach)
{
    const QString scheme = to.scheme().toLower();
    if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) || to.host().isEmpty()) {
        return QStringLiteral("重定向到非网页地址：") + to.toDisplayString().left(200);
    }
    if (from.scheme().toLower() == QLatin1String("https") && scheme == QLatin1String("http")) {
        return QStringLiteral("重定向到不加密的地址：") + to.toDisplayString().left(200);
    }
    if (IsInternalHost(to.host()) && !IsInternalHost(from.host())) {
        return QStringLiteral("重定向到内网地址：") + to.host();
    }
    if (IsLoginAddress(to)) {
        return QStringLiteral("需要登录");
    }
    if (reach == RedirectReach::SameSite && SiteOf(to.host()) != SiteOf(from.host())) {
        return QStringLiteral("重定向到其他网站：") + to.host();
    }
    return {};
}

QString ResolvedRefusal(const QString& host, const QList<QHostAddress>& addresses)
{
    for (const QHostAddress& address : addresses) {
        if (IsInternalHost(address.toString())) {
            return QStringLiteral("重定向到内网地址：%1（%2）").arg(host, address.toString());
        }
    }
    return {};
}

namespace {

// Follows the reply's redirect to `to` at once, charging it to the site's request rate: the site's next
// request waits the longer. (Holding the redirect itself back upsets the network layer, which then
// reports the reply finished with a status of the chain's middle.)
void FollowCounted(QNetworkReply* reply, SiteGates* gates, const QUrl& to)
{
    if (gates != nullptr) {
        gates->tookTurn(SiteGates::SiteKey(to));
    }
    Q_EMIT reply->redirectAllowed();
}

} // namespace

void GuardRedirects(QNetworkReply* reply, RedirectReach reach, SiteGates* gates)
{
    reply->setProperty(VisitedProperty, QStringList{reply->url().toString()});
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply, reach, gates](const QUrl& to) {
        QStringList visited = reply->property(VisitedProperty).toStringList();
        const QUrl from(visited.last());
        QString refusal;
        if (visited.contains(to.toString()) || visited.size() > MostRedirects) {
            refusal = QStringLiteral("重定向循环");
        } else {
            refusal = RedirectRefusal(from, to, reach);
        }
        if (!refusal.isEmpty()) {
            Refuse(reply, refusal);
            return;
        }
        visited.append(to.toString());
        reply->setProperty(VisitedProperty, visited);
        if (to.host().compare(from.host(), Qt::CaseInsensitive) == 0) {
            FollowCounted(reply, gates, to);
            return;
        }
        if (IsInternalHost(from.host()) || !IsHostName(to.host()) || !ConnectsDirectly(reply, to)) {
            Q_EMIT reply->redirectAllowed();
            return;
        }
        // A public page that sends the program to a name of the local network (a name that resolves to
        // 127.0.0.1 or 192.168.x.x) is refused like the address itself. The reply waits for the lookup;
        // its own time limit still runs.
        QHostInfo::lookupHost(to.host(), reply, [reply](const QHostInfo& info) {
            const QString refusal = ResolvedRefusal(info.hostName(), info.addresses());
            if (!refusal.isEmpty()) {
                Refuse(reply, refusal);
                return;
            }
            Q_EMIT reply->redirectAllowed();
        });
    });
}

QString RedirectFailure(const QNetworkReply* reply)
{
    if (reply == nullptr) {
        return {};
    }
    if (const QString refusal = reply->property(RefusalProperty).toString(); !refusal.isEmpty()) {
        return refusal;
    }
    if (reply->error() == QNetworkReply::TooManyRedirectsError) {
        return QStringLiteral("重定向循环");
    }
    if (reply->error() == QNetworkReply::InsecureRedirectError) {
        return QStringLiteral("重定向到不加密的地址");
    }
    // A redirect the network layer itself would not follow (to a file: address, say) ends as its 3xx.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray location = reply->rawHeader("Location");
    if (status >= 300 && status <= 399 && !location.isEmpty()) {
        const QUrl to = reply->url().resolved(QUrl::fromEncoded(location));
        const QString refusal = RedirectRefusal(reply->url(), to, RedirectReach::AnySite);
        return refusal.isEmpty() ? QStringLiteral("重定向失败：") + to.toDisplayString().left(200) : refusal;
    }
    return {};
}

} // namespace Text
