#include "render/articleslot.h"

#include "text/pagefetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

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

void ArticleSlot::send(QNetworkAccessManager& network, const QString& address, int timeoutMs,
                       DownloadWakeup& wakeup)
{
    abort();
    m_reply.reset(network.get(Text::GetRequest(Text::RequestUrl(address), timeoutMs)));
    m_wakes =
        QObject::connect(m_reply.get(), &QNetworkReply::finished, &wakeup, [&wakeup] { wakeup.wake(); });
}

bool ArticleSlot::completed() const
{
    return m_reply && m_reply->isFinished();
}

QByteArray ArticleSlot::takeBody()
{
    QByteArray body;
    if (m_reply) {
        body = m_reply->readAll();
        abort();
    }
    return body;
}

void ArticleSlot::abort()
{
    QObject::disconnect(m_wakes);
    m_reply.reset();
}

} // namespace Render
