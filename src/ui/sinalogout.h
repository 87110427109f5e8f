#pragma once

#include <QNetworkCookie>
#include <QNetworkCookieJar>

class QNetworkAccessManager;

namespace Ui {

// The cookie jar of the program's network manager; it can drop the cookies of whole sites.
class SessionCookieJar final : public QNetworkCookieJar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionCookieJar)

public:
    using QNetworkCookieJar::QNetworkCookieJar;

    // Drops every cookie whose domain is one of `sites` or lies below one. Returns how many went.
    int dropCookiesOf(const QStringList& sites);
    int cookieCount() const { return int(allCookies().size()); }
};

// True for a cookie domain of the Sina sites (sina.com.cn, sina.com, sinajs.cn and their hosts).
bool IsSinaCookieDomain(const QString& domain);

// Logs the user out of Sina for the program: the network manager forgets every cookie it holds for the
// Sina sites, so the next requests there carry none of the user's logins. A manager whose jar is not a
// SessionCookieJar gets a fresh, empty one.
void LogOutOfSina(QNetworkAccessManager& network);

} // namespace Ui
