#include "text/replylimit.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

namespace Text {

namespace {

const char* const FailureProperty = "qvlrx.limitFailure";
const char* const MaxBytesProperty = "qvlrx.maxBytes";


QString TooLarge(qint64 maxBytes)
{
    return QStringLiteral("内容过大（超过%1MB）").arg(maxBytes / (1024 * 1024));
}

void AbortWith(QNetworkReply* reply, const QString& failure)
{
    if (reply->isRunning() && reply->property(FailureProperty).isNull()) {
        reply->setProperty(FailureProperty, failure);
        reply->abort();
    }
}

// What the network layer's threads have read from their sockets so far; -1 where the system does not
// say. Their sockets are all they read: heads and bodies, and nothing of the program's files.
qint64 NetworkBytesRead()
{
    qint64 total = -1;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& thread : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(tasks.filePath(thread + QStringLiteral("/comm")));
        if (!name.open(QIODevice::ReadOnly) || !name.readAll().startsWith("QNetworkAccess")) {
            continue;
        }
        QFile io(tasks.filePath(thread + QStringLiteral("/io")));
        if (!io.open(QIODevice::ReadOnly)) {
            continue;
        }
        for (const QByteArray& line : io.readAll().split('\n')) {
            if (line.startsWith("rchar:")) {
                total = std::max<qint64>(total, 0) + line.mid(6).trimmed().toLongLong();
            }
        }
    }
    return total;
}

// Bounds what the heads of replies may take. The network layer keeps every byte of a head until it ends
// and shows none before: what its threads read beyond the bodies they deliver is head. While heads are
// awaited, that surplus is charged to each of them, and a head charged more than any real one could
// hold (a flood of header lines) is ended. Envelopes (encryption, chunk marks) are allowed for.
class HeadWatch : public QObject
{
public:
    static HeadWatch& instance()
    {
        static HeadWatch watch;
        return watch;
    }

    void watch(QNetworkReply* reply)
    {
        QObject::connect(reply, &QNetworkReply::requestSent, this, [this, reply] { awaitHead(reply); });
        QObject::connect(reply, &QNetworkReply::metaDataChanged, this,
                         [this, reply] { m_heads.remove(reply); });
        QObject::connect(reply, &QNetworkReply::finished, this, [this, reply] { m_heads.remove(reply); });
        QObject::connect(reply, &QObject::destroyed, this, [this, reply] { m_heads.remove(reply); });
        QObject::connect(reply, &QNetworkReply::downloadProgress, this,
                         [this, reply](qint64 received, qint64) {
                             qint64& counted = m_received[reply];
                             m_bodies += std::max<qint64>(0, received - counted);
                             counted = received;
                         });
        QObject::connect(reply, &QObject::destroyed, this, [this, reply] { m_received.remove(reply); });
    }

private:
    HeadWatch()
    {
        m_timer.setInterval(50);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { measure(); });
    }

    void awaitHead(QNetworkReply* reply)
    {
        if (m_heads.isEmpty()) {
            m_read = NetworkBytesRead();
            m_bodiesSeen = m_bodies;
            if (m_read < 0) {
                return; // nothing to measure with: the head's time bound alone holds
            }
            m_timer.start();
        }
        m_heads.insert(reply, Charge{});
    }

    void measure()
    {
        if (m_heads.isEmpty()) {
            m_timer.stop();
            return;
        }
        const qint64 read = NetworkBytesRead();
        const qint64 bodies = m_bodies - m_bodiesSeen;
        const qint64 surplus = (read - m_read) - bodies - bodies / 8;
        m_read = read;
        m_bodiesSeen = m_bodies;
        QList<QPointer<QNetworkReply>> ended;
        for (auto it = m_heads.begin(); it != m_heads.end();) {
            // A body reported late is made up for at the next measure: the charge is a running sum. So a
            // head is ended only when its charge is still over the bound at the measure after the one
            // that found it over (a busy program hears of a fast body, or of a head that ended, late).
            Charge& charge = it.value();
            charge.bytes = std::max<qint64>(0, charge.bytes + surplus);
            charge.overs = charge.bytes > MaxHeadBytes ? charge.overs + 1 : 0;
            if (charge.overs >= 2) {
                ended.append(it.key());
                it = m_heads.erase(it);
            } else {
                ++it;
            }
        }
        // Outside the walk: an aborted reply finishes at once, and whoever awaits it goes on from there.
        for (const QPointer<QNetworkReply>& reply : ended) {
            if (!reply.isNull()) {
                AbortWith(reply,
                          QStringLiteral("响应头过长（超过%1MB仍未结束）").arg(MaxHeadBytes / (1024 * 1024)));
            }
        }
    }

    QTimer m_timer;
    struct Charge
    {
        qint64 bytes = 0; // charged to the head
        int overs = 0;    // measures in a row that found it over the bound
    };
    QHash<QNetworkReply*, Charge> m_heads;          // reply awaiting its head -> what is charged to it
    QHash<const QNetworkReply*, qint64> m_received; // body bytes each reply has reported
    qint64 m_bodies = 0;                            // body bytes reported by all replies
    qint64 m_bodiesSeen = 0;
    qint64 m_read = 0;
};

} // namespace

void LimitReply(QNetworkReply* reply, qint64 maxBytes, int maxMs)
{
    const QString tooLarge = TooLarge(maxBytes);
    reply->setProperty(MaxBytesProperty, maxBytes);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply, maxBytes, tooLarge](qint64 received, qint64 total) {
                         if (std::max(received, total) > maxBytes) {
                             AbortWith(reply, tooLarge);
                         }
                     });
    HeadWatch::instance().watch(reply);
    // The head's time runs from each request going out (a redirect sends another) to its head ending.
    auto* head = new QTimer(reply);
    head->setSingleShot(true);
    QObject::connect(reply, &QNetworkReply::requestSent, head, [head] { head->start(MaxHeadMs); });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, head, &QTimer::stop);
    QObject::connect(head, &QTimer::timeout, reply, [reply] {
        AbortWith(reply, QStringLiteral("响应头过长或没有结束（%1秒内没有收完）").arg(MaxHeadMs / 1000));
    });
    if (maxMs > 0) {
        // A timer of the reply's own goes with it; a single-shot timer aimed at the reply would stay
        // registered for the whole time limit, and a backup of 100,000 images would pile up as many.
        auto* timer = new QTimer(reply);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, reply, [reply, maxMs] {
            AbortWith(reply, QStringLiteral("下载时间过长（超过%1秒）").arg(maxMs / 1000));
        });
        timer->start(maxMs);
    }
}

QString LimitFailure(const QNetworkReply* reply)
{
    if (reply == nullptr) {
        return {};
    }
    if (const QString failure = reply->property(FailureProperty).toString(); !failure.isEmpty()) {
        return failure;
    }
    // A body can arrive whole before its progress is reported (a busy machine, a fast server).
    const QVariant maxBytes = reply->property(MaxBytesProperty);
    if (maxBytes.isValid() && reply->bytesAvailable() > maxBytes.toLongLong()) {
        return TooLarge(maxBytes.toLongLong());
    }
    return {};
}

} // namespace Text
