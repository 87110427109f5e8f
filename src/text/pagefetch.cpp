#include "text/pagefetch.h"

#include "text/charset.h"
#include "text/failure.h"
#include "text/replylimit.h"
#include "text/requeststop.h"

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
    return RequestFailure(QStringLiteral("%1: called off").arg(address.left(200)));
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

QNetworkRequest GetRequest(const QUrl& url, int timeoutMs)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    return request;
}

QCoro::Task<HttpAnswer> FetchAnswer(HttpContext& http, QString address)
{
    if (http.manager == nullptr) {
        throw RequestFailure(QStringLiteral("no network"));
    }
    const QUrl url = RequestUrl(address);
    if (!IsWebUrl(url)) {
        throw Failure(QStringLiteral("invalid address: %1").arg(address.left(200)));
    }
    if (Stopped(http)) {
        throw StoppedFailure(address);
    }
    std::unique_ptr<QNetworkReply, ReplyDeleter> reply(http.manager->get(GetRequest(url, http.timeoutMs)));
    LimitReply(reply.get(), MaxPageBytes, http.pageTimeLimitMs);
    if (http.stop != nullptr) {
        // Queued: the reply finishes from the event loop, never inside the call of stop().
        QObject::connect(http.stop, &RequestStop::stopped, reply.get(), &QNetworkReply::abort,
                         Qt::QueuedConnection);
    }
    co_await reply.get();

    if (const QString limit = LimitFailure(reply.get()); !limit.isEmpty()) {
        throw RequestFailure(QStringLiteral("%1: %2").arg(address.left(200), limit));
    }
    HttpAnswer answer;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        throw RequestFailure(QStringLiteral("%1: %2").arg(address.left(200), reply->errorString()));
    }
    answer.status = status.toInt();
    answer.body = reply->readAll();
    co_return answer;
}

QCoro::Task<QString> FetchPage(HttpContext& http, QString address, QString charset)
{
    const HttpAnswer answer = co_await FetchAnswer(http, address);
    co_return DecodeBytes(answer.body, charset);
}

QCoro::Task<QString> FetchPageUntilOk(HttpContext& http, QString address, QString charset)
{
    QString lastProblem;
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
            if (answer.status == 200) {
                QString page = DecodeBytes(answer.body, charset);
                if (!page.isEmpty()) {
                    co_return page;
                }
                lastProblem = QStringLiteral("empty page");
            } else {
                lastProblem = QStringLiteral("HTTP status %1").arg(answer.status);
            }
        } catch (const RequestFailure& failure) {
            lastProblem = failure.message();
        }
    }
    throw RequestFailure(QStringLiteral("%1 failed after %2 attempts (%3)")
                             .arg(address.left(200))
                             .arg(attempts)
                             .arg(lastProblem));
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
