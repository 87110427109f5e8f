#pragma once

#include <QList>
#include <QString>

class QHostAddress;

class QNetworkReply;
class QUrl;

namespace Text {
class SiteGates;
}

namespace Text {

// How far a request may be redirected. Any page may go to another web site; article pages and images
// stay on their own site (its other hosts, or its https form).
enum class RedirectReach { AnySite, SameSite };

// The most redirects one request follows; a chain that goes on is reported as a loop.
constexpr int MostRedirects = 8;

// Decides every redirect of a reply made from GetRequest: it is followed only to an http or https
// address, never from a public host to a loopback, link-local or private one (nor to a name that resolves
// to one, where the program connects itself), within reach, and never to a login page. A refused redirect
// aborts the reply; RedirectFailure then tells why.
// With gates, a redirect that stays on its host counts as a request of the site's request rate.
void GuardRedirects(QNetworkReply* reply, RedirectReach reach, SiteGates* gates = nullptr);

// Why the reply's redirects were refused ("重定向循环", "需要登录", ...); empty when they were not.
QString RedirectFailure(const QNetworkReply* reply);

// Why a redirect from `from` to `to` is refused; empty when it may be followed. Exposed for tests.
QString RedirectRefusal(const QUrl& from, const QUrl& to, RedirectReach reach);

// Why a redirect to host, a name that resolves to addresses, is refused: one of them is internal.
QString ResolvedRefusal(const QString& host, const QList<QHostAddress>& addresses);

// The site a host belongs to: its registrable domain ("blog.sina.com.cn" -> "sina.com.cn"), or the
// address itself for a numeric host.
QString SiteOf(const QString& host);

// Whether the host is a loopback, link-local or private address, or names the local machine.
bool IsInternalHost(const QString& host);

} // namespace Text
