#include "ui/sinalogout.h"

#include <QNetworkAccessManager>
#include <QNetworkCookie>

#include <algorithm>

namespace Ui {

namespace {

const QStringList& SinaSites()
{
    static const QStringList sites{QStringLiteral("sina.com.cn"), QStringLiteral("sina.com"),
                                   QStringLiteral("sinajs.cn")};
    return sites;
}

bool DomainIsBelow(const QString& domain, const QString& site)
{
    QString name = domain.toLower();
    if (name.startsWith(u'.')) {
        name.remove(0, 1);
    }
    return name == site || name.endsWith(u'.' + site);
}

} // namespace

int SessionCookieJar::dropCookiesOf(const QStringList& sites)
{
    QList<QNetworkCookie> kept;
    const QList<QNetworkCookie> cookies = allCookies();
    for (const QNetworkCookie& cookie : cookies) {
        const bool drop = std::any_of(sites.cbegin(), sites.cend(), [&](const QString& site) {
            return DomainIsBelow(cookie.domain(), site);
        });
        if (!drop) {
            kept.append(cookie);
        }
    }
    setAllCookies(kept);
    return int(cookies.size() - kept.size());
}

bool IsSinaCookieDomain(const QString& domain)
{
    return std::any_of(SinaSites().cbegin(), SinaSites().cend(),
                       [&](const QString& site) { return DomainIsBelow(domain, site); });
}

void LogOutOfSina(QNetworkAccessManager& network)
{
    if (auto* jar = qobject_cast<SessionCookieJar*>(network.cookieJar())) {
        jar->dropCookiesOf(SinaSites());
        return;
    }
    // Cookies of a jar of another kind cannot be looked through: start with an empty one.
    network.setCookieJar(new SessionCookieJar(&network));
}

} // namespace Ui
