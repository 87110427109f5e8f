#pragma once

#include "text/failure.h"
#include "text/sitegate.h"
#include "text/webarchive.h"

#include <QByteArray>
#include <QString>

#include <memory>

#include <QCoro/QCoroTask>

class QNetworkAccessManager;
class QNetworkRequest;
class QUrl;

namespace Text {

class RequestStop;

struct NetworkReach
{
    bool answered = false; // a request of the run has had an answer
    QString unreachable;   // why the last request could not reach the network (unreachable.h); empty after any answer
};

// How the program talks HTTP: the one network manager (it honours the standard proxy settings) and the
// limits every request keeps.
struct HttpContext
{
    QNetworkAccessManager* manager = nullptr;
    int timeoutMs = 30000;               // a request that stays silent this long fails
    int pageTimeLimitMs = 5 * 60 * 1000; // a page still arriving after this long fails (it never ends)
    int untilOkAttempts = 4;             // attempts of FetchPageUntilOk before it gives up
    int untilOkPauseMs = 500;            // pause before the second attempt; grows with every further attempt
    // When set: once it is stopped, requests made through this context fail at once (fetches ahead).
    RequestStop* stop = nullptr;
    // Until a request of the run has had an answer, one that stays unanswered this long shows the
    // network or the proxy unreachable (sooner than MaxHeadMs of replylimit.h, which would name the head).
    int firstAnswerMs = 5000;
    // Whether the network answers; shared by the copies of the context (fetches ahead).
    std::shared_ptr<NetworkReach> reach = std::make_shared<NetworkReach>();
    // When each site may be asked again; shared like reach, and by every request of the run.
    std::shared_ptr<SiteGates> gates = std::make_shared<SiteGates>();
    // When set, every request goes to this archive's capture of its address instead of to the site: the
    // site itself is never asked.
    std::shared_ptr<const WebArchive> archive;
};

struct HttpAnswer
{
    int status = 0; // HTTP status, 0 when no answer arrived
    QByteArray body;
    QByteArray contentType; // the Content-Type header as sent; it may name the body's character set
    QByteArray retryAfter;  // the Retry-After header of an answer that asks to wait
    QString capture;        // from an archive: the timestamp of the capture that answered
    QByteArray location;    // the Location header of a redirect
};

// A request that failed in a way that asking again at once cannot mend: the network cannot be reached.
class AbandonedRequest : public RequestFailure
{
public:
    using RequestFailure::RequestFailure;
};

// The address as requested: a trailing backslash stands for the closing slash of the path. The request
// line carries the address as written, with three exceptions. Characters that no request line may carry
// go percent-escaped: a blank, '"', '<', '>', '\', '^', '`', '{', '|', '}', a '%' that starts no escape,
// and every non-ASCII character (as its UTF-8 bytes). The HTTP layer also writes an escape of a letter,
// a digit or one of "-._~" as that character and other escapes in upper case, and resolves "." and ".."
// path segments; servers read all of these alike.
QUrl RequestUrl(const QString& address);

// Whether the program may request the address at all: only http and https addresses with a host are ever
// requested, so that nothing a page holds (a file: or data: address, say) makes it read a local file.
bool IsWebUrl(const QUrl& url);

// Where a request for the address goes: the address itself, or its capture in the context's archive.
QUrl SourceUrl(const HttpContext& http, const QUrl& url, Replay kind = Replay::Page);

// The request for what SourceUrl gave: GetRequest, except that from an archive the program follows the
// archive's redirects (to the nearest capture) itself, each in its turn of the archive's request rate.
QNetworkRequest SourceRequest(const HttpContext& http, const QUrl& requested, int timeoutMs);

// From an archive: the capture an answer to `requested` sends the program on to (a redirect on the
// archive's own host); an empty address for any other answer.
QUrl ArchiveRedirect(const HttpContext& http, const QUrl& requested, int status, const QByteArray& location);

// Why following a redirect to `next` after `visited` would go round in circles ("重定向循环"); empty when
// it would not.
QString RedirectLoop(const QStringList& visited, const QUrl& next);

// The GET request every part of the program sends: it gives up after timeoutMs of silence, and its
// redirects wait for GuardRedirects (redirectguard.h) to allow them.
QNetworkRequest GetRequest(const QUrl& url, int timeoutMs);

// One GET. Any HTTP answer (also 404 or 500) is returned; a request that cannot be made, is reset or
// times out throws RequestFailure, and one that cannot reach the network also notes why in
// http.reach. An address that is no web address, or a redirect that is refused,
// throws Failure. The request waits for its site's turn (http.gates); an answer that asks to wait (429,
// 503) is asked again after the wait, a bounded number of times, and then returned. A site that is asked
// no more throws AbandonedRequest naming why.
QCoro::Task<HttpAnswer> FetchAnswer(HttpContext& http, QString address);

// The decoded body of any answer; throws RequestFailure when no answer arrives in time. The body is read in
// the character set the answer declares; charset is the one used when it declares none (DecodePage).
QCoro::Task<QString> FetchPage(HttpContext& http, QString address, QString charset);

// From an archive, an answer that says the archive holds no capture of the page is not asked again: the
// fetches below then throw RequestFailure with NoCaptureText as the reason at once.

// Repeats until an answer with status 200 and a non-empty body arrives, at most untilOkAttempts times
// with a growing pause between attempts; then throws RequestFailure naming the address and why. An
// address that is no address throws Failure at once, and an AbandonedRequest ends the attempts at once.
QCoro::Task<QString> FetchPageUntilOk(HttpContext& http, QString address, QString charset);

// Which answers FetchPageAnswered takes for the page.
enum class WhenGone {
    Fails,    // only a 2xx answer is the page
    IsAnswer, // a 404 or 410 is the page too: the site says the page does not exist, and its text says so
};

// For a page the procedure cannot do without (a list page): an answer with a 2xx status is the page,
// whatever its body; any other status, and a request that gets no answer, is tried again like
// FetchPageUntilOk. Once the attempts are used up it throws RequestFailure naming the address and why.
QCoro::Task<QString> FetchPageAnswered(HttpContext& http, QString address, QString charset,
                                       WhenGone gone = WhenGone::Fails);

// Lets pending window events run before the procedure goes on.
QCoro::Task<> LetEventsRun();

// Waits for the given time while events run.
QCoro::Task<> Pause(int milliseconds);

} // namespace Text
