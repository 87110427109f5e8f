#include "text/logincookies.h"

#include <QNetworkAccessManager>

namespace Text {

LoginCookieJar::LoginCookieJar(const QList<QNetworkCookie>& cookies, QObject* parent)
    : QNetworkCookieJar(parent)
{
    setAllCookies(cookies);
}

void UseLoginCookies(QNetworkAccessManager& network, const QList<QNetworkCookie>& cookies)
{
    // The manager deletes the jar it held when it is its parent.
    network.setCookieJar(new LoginCookieJar(cookies, &network));
}

bool ForgetLoginCookies(QNetworkAccessManager& network)
{
    if (qobject_cast<LoginCookieJar*>(network.cookieJar()) == nullptr) {
        return false;
    }
    network.setCookieJar(new QNetworkCookieJar(&network));
    return true;
}

} // namespace Text
