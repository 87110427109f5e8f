#include "text/replylimit.h"

#include <QNetworkReply>
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
