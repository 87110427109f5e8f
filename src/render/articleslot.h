#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace Render {

// Tells a waiting download that there is something to look at: a reply arrived or a tick passed.
// pending() stays true from wake() until the download has looked.
class DownloadWakeup final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadWakeup)

public:
    DownloadWakeup() = default;

    void wake()
    {
        m_pending = true;
        Q_EMIT woken();
    }
    bool pending() const { return m_pending; }
    void clear() { m_pending = false; }

Q_SIGNALS:
    void woken();

private:
    bool m_pending = false;
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

    // Sends a GET for the address; the request gives up by itself after timeoutMs of silence.
    void send(QNetworkAccessManager& network, const QString& address, int timeoutMs, DownloadWakeup& wakeup);
    // The request has an answer (or failed).
    bool completed() const;
    // The body of the completed answer (empty for a failed request); the request is released.
    QByteArray takeBody();
    // Drops the request; its end is never reported.
    void abort();

private:
    struct ReplyDeleter
    {
        void operator()(QNetworkReply* reply) const;
    };
    std::unique_ptr<QNetworkReply, ReplyDeleter> m_reply;
    QMetaObject::Connection m_wakes;
};

} // namespace Render
