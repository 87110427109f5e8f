#include "render/articleslot.h"

#include "text/certificatecheck.h"
#include "text/networkfailure.h"
#include "text/pagefetch.h"
#include "text/redirectguard.h"
#include "text/replylimit.h"
#include "text/webarchive.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace Render {

void DownloadWakeup::wake()
{
    m_pending = true;
    if (!m_waiter || m_resumeQueued) {
        return;
    }
    m_resumeQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_resumeQueued = false;
            if (std::coroutine_handle<> waiter = std::exchange(m_waiter, {})) {
                waiter.resume();
            }
        },
        Qt::QueuedConnection);
}

void ArticleSlot::ReplyDeleter::operator()(QNetworkReply* reply) const
{
    reply->abort();
    reply->deleteLater();
}

ArticleSlot::~ArticleSlot()
{
    abort();
}

void ArticleSlot::send(const Text::HttpContext& http, const QString& address, DownloadWakeup& wakeup)
{
    Text::SiteTicket held = std::move(ticket);
    abort();
    ticket = std::move(held);
    const QUrl url = Text::RequestUrl(address);
    if (!Text::IsWebUrl(url)) {
        // Never requested: the row fails like a request that got no answer.
        m_refusal = QStringLiteral("不是网址：") + address.left(200);
        wakeup.wake();
        return;
    }
    const QUrl requested = redirectTo.isEmpty() ? Text::SourceUrl(http, url) : redirectTo;
    if (visited.isEmpty()) {
        visited.append(requested.toString());
    }
    m_reply.reset(http.manager->get(Text::SourceRequest(http, requested, http.timeoutMs)));
    Text::LimitReply(m_reply.get(), Text::MaxPageBytes);
    Text::GuardRedirects(m_reply.get(), Text::RedirectReach::SameSite, http.gates.get());
    Text::WatchCertificate(m_reply.get());
    m_wakes =
        QObject::connect(m_reply.get(), &QNetworkReply::finished, &wakeup, [&wakeup] { wakeup.wake(); });
}

void ArticleSlot::refuse(const QString& why, DownloadWakeup& wakeup)
{
    abort();
    m_refusal = why;
    wakeup.wake();
}

void ArticleSlot::hold(int milliseconds, DownloadWakeup& wakeup)
{
    abort();
    m_holding = true;
    m_hold.setSingleShot(true);
    m_wakes = QObject::connect(&m_hold, &QTimer::timeout, &wakeup, [&wakeup] { wakeup.wake(); });
    m_hold.start(std::max(0, milliseconds));
}

bool ArticleSlot::completed() const
{
    return !m_refusal.isEmpty() || (m_reply && m_reply->isFinished());
}

ArticleSlot::Answer ArticleSlot::takeAnswer()
{
    Answer answer;
    if (!m_refusal.isEmpty()) {
        ticket.release();
        answer.failure = std::exchange(m_refusal, QString());
        return answer;
    }
    if (!m_reply) {
        answer.failure = QStringLiteral("没有请求");
        return answer;
    }
    answer.status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.requested = m_reply->url();
    answer.location = m_reply->rawHeader("Location");
    answer.failure = Text::LimitFailure(m_reply.get());
    if (answer.failure.isEmpty()) {
        answer.failure = Text::RedirectFailure(m_reply.get());
    }
    if (!answer.failure.isEmpty()) {
        abort();
        return answer;
    }
    answer.body = m_reply->readAll();
    answer.failure = Text::ReplyFailureWords(m_reply.get());
    answer.contentType = m_reply->rawHeader("Content-Type");
    answer.retryAfter = m_reply->rawHeader("Retry-After");
    answer.capture = Text::CaptureTimestamp(m_reply->url());
    abort();
    return answer;
}

void ArticleSlot::abort()
{
    QObject::disconnect(m_wakes);
    m_reply.reset();
    ticket.release();
    m_refusal.clear();
    m_hold.stop();
    m_holding = false;
}

} // namespace Render
