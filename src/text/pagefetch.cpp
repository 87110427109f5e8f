#include "text/pagefetch.h"

#include "text/certificatecheck.h"
#include "text/failure.h"
#include "text/networkfailure.h"
#include "text/pagecharset.h"
#include "text/redirectguard.h"
#include "text/replylimit.h"
#include "text/requeststop.h"
#include "text/unreachable.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <QCoro/QCoroNetworkReply>
#include <QCoro/QCoroTimer>

#include <chrono>
#include <memory>

namespace Text {

namespace {

struct ReplyDeleter
{
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};

bool Stopped(const HttpContext& http)
{
    return http.stop != nullptr && http.stop->isStopped();
}

RequestFailure StoppedFailure(const QString& address)
{
    return RequestFailure(QStringLiteral("%1：已取消").arg(address.left(200)));
}

// The pause between two attempts; it ends early when the context is stopped.
QCoro::Task<> PauseBetweenAttempts(HttpContext& http, int milliseconds)
{
    if (http.stop == nullptr) {
        co_await Pause(milliseconds);
    } else {
        co_await PauseUnlessStopped(*http.stop, milliseconds);
    }
}

// What a repeating fetch takes for the page.
enum class Wanted { NonEmpty200, Success, SuccessOrGone };

// Why an answer is not the page wanted, in the user's words; empty when it is.
QString AnswerProblem(const HttpAnswer& answer, const QString& page, Wanted wanted)
{
    const bool success = answer.status >= 200 && answer.status < 300;
    const bool gone = answer.status == 404 || answer.status == 410;
    switch (wanted) {
    case Wanted::NonEmpty200:
        if (answer.status == 200) {
            return page.isEmpty() ? QStringLiteral("服务器答复了空白页") : QString();
        }
        break;
    case Wanted::Success:
        if (success) {
            return {};
        }
        break;
    case Wanted::SuccessOrGone:
        if (success || gone) {
            return {};
        }
        break;
    }
    return QStringLiteral("服务器答复") + HttpStatusWords(answer.status);
}

// A failed request's own words, without the address its message begins with.
QString RequestProblem(const RequestFailure& failure, const QString& address)
{
    QString detail = failure.message();
    for (const QString& prefix : {address.left(200) + QStringLiteral("："), address.left(200) + QStringLiteral(": ")}) {
        if (detail.startsWith(prefix)) {
            detail.remove(0, prefix.size());
            break;
        }
    }
    return QStringLiteral("请求失败（") + detail + QStringLiteral("）");
}

// Asks for the address until an answer is the page wanted, at most untilOkAttempts times.
QCoro::Task<QString> FetchRepeating(HttpContext& http, QString address, QString charset, Wanted wanted)
{
    QString lastWords;
    const int attempts = std::max(1, http.untilOkAttempts);
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        if (attempt > 1) {
            co_await PauseBetweenAttempts(http, http.untilOkPauseMs * (attempt - 1));
        }
        if (Stopped(http)) {
            throw StoppedFailure(address);
        }
        try {
            const HttpAnswer answer = co_await FetchAnswer(http, address);
            if (http.archive != nullptr) {
                if (const QString missing = MissingCaptureWords(answer.status); !missing.isEmpty()) {
                    throw AbandonedRequest(QStringLiteral("%1：%2").arg(address.left(200), missing), address,
                                           missing);
                }
            }
            QString page = DecodePage(answer.body, charset, answer.contentType);
            lastWords = AnswerProblem(answer, page, wanted);
            if (lastWords.isEmpty()) {
                co_return page;
            }
        } catch (const AbandonedRequest&) {
            throw;
        } catch (const RequestFailure& failure) {
            lastWords = RequestProblem(failure, address);
        }
    }
    const QString reason = lastWords + QStringLiteral("，已尝试%1次").arg(attempts);
    throw RequestFailure(QStringLiteral("%1：%2").arg(address.left(200), reason), address, reason);
}

} // namespace

QUrl RequestUrl(const QString& address)
{
    QString text = address.trimmed();
    if (text.endsWith(u'\\')) {
        text.chop(1);
        text += u'/';
    }
    return QUrl(text, QUrl::TolerantMode);
}

bool IsWebUrl(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QUrl SourceUrl(const HttpContext& http, const QUrl& url, Replay kind)
{
    if (http.archive == nullptr) {
        return url;
    }
    return ReplayUrl(*http.archive, url, kind);
}

QNetworkRequest SourceRequest(const HttpContext& http, const QUrl& requested, int timeoutMs)
{
    QNetworkRequest request = GetRequest(requested, timeoutMs);
    if (http.archive != nullptr) {
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    }
    return request;
}

QUrl ArchiveRedirect(const HttpContext& http, const QUrl& requested, int status, const QByteArray& location)
{
    if (http.archive == nullptr || status < 300 || status > 399 || location.isEmpty()) {
        return {};
    }
    const QUrl next = requested.resolved(QUrl::fromEncoded(location));
    const QUrl base(http.archive->base);
    if (next.host().compare(base.host(), Qt::CaseInsensitive) != 0 || !IsWebUrl(next)) {
        return {};
    }
    return next;
}

QString RedirectLoop(const QStringList& visited, const QUrl& next)
{
    if (visited.contains(next.toString()) || visited.size() > MostRedirects) {
        return QStringLiteral("重定向循环");
    }
    return {};
}

QNetworkRequest GetRequest(const QUrl& url, int timeoutMs)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    // Every redirect is decided by GuardRedirects; a chain longer than it follows counts as a loop.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(MostRedirects + 1);
    return request;
}

namespace {

// One request of FetchAnswer for the address (sent to `requested`), without regard to its site.
QCoro::Task<HttpAnswer> FetchOnce(HttpContext& http, QString address, QUrl requested)
{
    if (http.manager == nullptr) {
        throw RequestFailure(QStringLiteral("没有网络连接"));
    }
    const QUrl url = RequestUrl(address);
    if (!IsWebUrl(url)) {
        throw Failure(QStringLiteral("不是网址：%1").arg(address.left(200)));
    }
    if (Stopped(http)) {
        throw StoppedFailure(address);
    }
    std::unique_ptr<QNetworkReply, ReplyDeleter> reply(
        http.manager->get(SourceRequest(http, requested, http.timeoutMs)));
    LimitReply(reply.get(), MaxPageBytes, http.pageTimeLimitMs);
    GuardRedirects(reply.get(), RedirectReach::AnySite, http.gates.get());
    WatchCertificate(reply.get());
    if (!http.reach->answered) {
        WatchFirstAnswer(reply.get(), http.firstAnswerMs);
    }
    if (http.stop != nullptr) {
        // Queued: the reply finishes from the event loop, never inside the call of stop().
        QObject::connect(http.stop, &RequestStop::stopped, reply.get(), &QNetworkReply::abort,
                         Qt::QueuedConnection);
    }
    co_await reply.get();

    if (const QString limit = LimitFailure(reply.get()); !limit.isEmpty()) {
        throw RequestFailure(QStringLiteral("%1：%2").arg(address.left(200), limit));
    }
    const bool archiveHop =
        !ArchiveRedirect(http, reply->url(), reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                         reply->rawHeader("Location"))
             .isEmpty();
    if (const QString refusal = archiveHop ? QString() : RedirectFailure(reply.get()); !refusal.isEmpty()) {
        // Asking again leads the same way.
        throw Failure(QStringLiteral("%1：%2").arg(address.left(200), refusal));
    }
    HttpAnswer answer;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        if (Stopped(http)) {
            throw StoppedFailure(address);
        }
        if (const QString unreachable = UnreachableNetwork(reply.get()); !unreachable.isEmpty()) {
            http.reach->unreachable = unreachable;
            throw AbandonedRequest(QStringLiteral("%1：%2").arg(address.left(200), unreachable));
        }
        if (const QString certificate = CertificateFailure(reply.get()); !certificate.isEmpty()) {
            // Asking again meets the same certificate.
            throw AbandonedRequest(QStringLiteral("%1：%2").arg(address.left(200), certificate), address,
                                   certificate);
        }
        throw RequestFailure(QStringLiteral("%1：%2").arg(
            address.left(200), NetworkErrorWords(reply->error(), reply->errorString())));
    }
    http.reach->answered = true;
    http.reach->unreachable.clear();
    answer.status = status.toInt();
    answer.body = reply->readAll();
    answer.contentType = reply->rawHeader("Content-Type");
    answer.retryAfter = reply->rawHeader("Retry-After");
    answer.location = reply->rawHeader("Location");
    if (http.archive != nullptr) {
        answer.capture = CaptureTimestamp(reply->url());
    }
    co_return answer;
}

} // namespace

QCoro::Task<HttpAnswer> FetchAnswer(HttpContext& http, QString address)
{
    const QUrl url = RequestUrl(address);
    if (http.gates == nullptr || !IsWebUrl(url)) {
        co_return co_await FetchOnce(http, address, SourceUrl(http, url));
    }
    SiteGates& gates = *http.gates;
    QUrl requested = SourceUrl(http, url);
    const QString site = SiteGates::SiteKey(requested);
    QStringList visited{requested.toString()};
    for (int retries = 0;; ++retries) {
        SiteTicket ticket;
        try {
            ticket = co_await EnterSite(gates, site, http.stop);
        } catch (const RequestFailure& failure) {
            if (Stopped(http)) {
                throw StoppedFailure(address);
            }
            throw AbandonedRequest(QStringLiteral("%1：%2").arg(address.left(200), failure.message()),
                                   address, failure.message());
        }
        HttpAnswer answer = co_await FetchOnce(http, address, requested);
        const SiteGates::Verdict verdict = gates.answered(site, answer.status, answer.retryAfter, retries);
        if (const QString closed = gates.closedReason(site);
            !verdict.again && !closed.isEmpty() && verdict.failure == closed) {
            throw AbandonedRequest(QStringLiteral("%1：%2").arg(address.left(200), closed), address, closed);
        }
        if (verdict.again) {
            continue;
        }
        const QUrl next = ArchiveRedirect(http, requested, answer.status, answer.location);
        if (next.isEmpty()) {
            co_return answer;
        }
        if (const QString loop = RedirectLoop(visited, next); !loop.isEmpty()) {
            throw Failure(QStringLiteral("%1：%2").arg(address.left(200), loop));
        }
        // The archive's way to the nearest capture: a request of its own, in its turn.
        visited.append(next.toString());
        requested = next;
        retries = -1;
    }
}

QCoro::Task<QString> FetchPage(HttpContext& http, QString address, QString charset)
{
    const HttpAnswer answer = co_await FetchAnswer(http, address);
    co_return DecodePage(answer.body, charset, answer.contentType);
}

QCoro::Task<QString> FetchPageUntilOk(HttpContext& http, QString address, QString charset)
{
    return FetchRepeating(http, std::move(address), std::move(charset), Wanted::NonEmpty200);
}

QCoro::Task<QString> FetchPageAnswered(HttpContext& http, QString address, QString charset, WhenGone gone)
{
    return FetchRepeating(http, std::move(address), std::move(charset),
                          gone == WhenGone::IsAnswer ? Wanted::SuccessOrGone : Wanted::Success);
}

QCoro::Task<> LetEventsRun()
{
    co_await QCoro::sleepFor(std::chrono::milliseconds(0));
}

QCoro::Task<> Pause(int milliseconds)
{
    co_await QCoro::sleepFor(std::chrono::milliseconds(std::max(0, milliseconds)));
}

} // namespace Text
