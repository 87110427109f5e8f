#pragma once

#include "text/sitegate.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <coroutine>
#include <memory>

class QNetworkAccessManager;

namespace Text {
struct HttpContext;
}
class QNetworkReply;

namespace Render {

// Tells a waiting download that there is something to look at: a reply arrived or a tick passed.
// pending() stays true from wake() until the download has looked. The waiting coroutine is resumed
// from the event loop, never from inside the signal that woke it.
class DownloadWakeup final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadWakeup)

public:
    DownloadWakeup() = default;

    void wake();
    bool pending() const { return m_pending; }
    void clear() { m_pending = false; }

    // co_await wakeup.next(): returns at once when a wake is pending, else at the next wake.
    struct Awaiter
    {
        DownloadWakeup& wakeup;
        bool await_ready() const noexcept { return wakeup.m_pending; }
        void await_suspend(std::coroutine_handle<> waiter) noexcept { wakeup.m_waiter = waiter; }
        void await_resume() const noexcept {}
    };
    Awaiter next() { return Awaiter{*this}; }

private:
    bool m_pending = false;
    bool m_resumeQueued = false;
    std::coroutine_handle<> m_waiter;
};

// One of the five article request slots: the article it fetches and its request.
class ArticleSlot
{
public:
    ArticleSlot() = default;
    ~ArticleSlot();
    Q_DISABLE_COPY_MOVE(ArticleSlot)

    int row = 0;
    QString link;          // the row's link when the row was taken, to notice a renumbered list
    bool finished = false; // no article left for this slot
    int phase = 0;         // of its indicator: 0 "★", 1 "◆", 2 "■"
    int resends = 0;       // of the current row after time-outs
    int waits = 0;         // of the current row: times it was asked again after its site asked to wait

    // One of its site's connections while a request is under way; released with the request.
    Text::SiteTicket ticket;
    // From an archive: the capture the archive sent the row's request on to, and the addresses the row's
    // request went to so far (to tell a loop).
    QUrl redirectTo;
    QStringList visited;

    // Sends a GET for the address (to its capture, for an archive task, or to redirectTo where the archive
    // sent it on); the request gives up by itself after the context's timeout of silence.
    void send(const Text::HttpContext& http, const QString& address, DownloadWakeup& wakeup);
    // Sends no request: the row fails for the reason given, like a request that got no answer.
    void refuse(const QString& why, DownloadWakeup& wakeup);
    // Sends no request yet: the slot holds its row for the given time, then wakes the download, which
    // sends it (its site is waited for).
    void hold(int milliseconds, DownloadWakeup& wakeup);
    bool holding() const { return m_holding; }
    bool holdOver() const { return m_holding && !m_hold.isActive(); }
    // The request has an answer (or failed).
    bool completed() const;
    // A completed request: the body (empty when the request failed) and, unless the server answered with
    // a 2xx status, why the fetch failed ("HTTP 500 服务器内部错误", or the error of the request in words).
    struct Answer
    {
        QByteArray body;
        QString failure;
        QByteArray contentType; // the Content-Type header; it may name the page's character set
        int status = 0;         // the HTTP status, 0 when no answer arrived
        QByteArray retryAfter;  // the Retry-After header of an answer that asks to wait
        QString capture;        // from an archive: the timestamp of the capture that answered
        QUrl requested;         // where the request went
        QByteArray location;    // the Location header of a redirect
    };
    // The completed answer; the request is released.
    Answer takeAnswer();
    // Drops the request; its end is never reported.
    void abort();

private:
    struct ReplyDeleter
    {
        void operator()(QNetworkReply* reply) const;
    };
    std::unique_ptr<QNetworkReply, ReplyDeleter> m_reply;
    QMetaObject::Connection m_wakes;
    QString m_refusal; // why the address was not requested: it is no web address, or its site is closed
    QTimer m_hold;
    bool m_holding = false;
};

} // namespace Render
