#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QNetworkCookieJar>

class QNetworkAccessManager;

namespace Text {

// The cookie jar of a task that uses the user's own login: it starts with the cookies of the user's
// cookie file and otherwise keeps cookies as any jar does. The manager sends each cookie only to the
// hosts and paths it names, and never once it has expired.
class LoginCookieJar final : public QNetworkCookieJar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoginCookieJar)

public:
    LoginCookieJar(const QList<QNetworkCookie>& cookies, QObject* parent);
    int cookieCount() const { return int(allCookies().size()); }
};

// Gives the network manager a jar that holds the given cookies and nothing else: whatever the jar
// held before (an earlier task's logins) is gone.
void UseLoginCookies(QNetworkAccessManager& network, const QList<QNetworkCookie>& cookies);

// Takes an earlier task's login cookies from the network manager: a LoginCookieJar gives way to an
// empty jar. A jar of any other kind stays as it is. True when a login jar went.
bool ForgetLoginCookies(QNetworkAccessManager& network);

} // namespace Text
