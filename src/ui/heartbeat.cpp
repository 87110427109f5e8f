#include "ui/heartbeat.h"

#include "model/endpoints.h"
#include "model/runstate.h"
#include "output/chmpacker.h"
#include "text/textfiles.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace Ui {

namespace {

const QString AboutText = QStringLiteral("关于本程序");
const QString FeedbackText = QStringLiteral("快速反馈问题");
const QString NoAnswerText = QStringLiteral("点此查看最新版本");

} // namespace

Heartbeat::Heartbeat(Model::RunState& state, QObject* parent) : QObject(parent), m_state(state)
{
    connect(&m_timer, &QTimer::timeout, this, &Heartbeat::tick);
    packChm = [this]() { return Output::PackChm(m_state); };
}

Heartbeat::~Heartbeat()
{
    dropReply();
}

void Heartbeat::start(int intervalMs)
{
    m_timer.start(intervalMs);
}

void Heartbeat::stop()
{
    m_timer.stop();
}

int Heartbeat::reportNumber() const
{
    const int stage = m_state.stageText.toInt();
    if (m_state.automaticMode()) {
        return stage + 99;
    }
    return stage + m_state.task.PlatformCode + (m_state.task.FetchImages ? 1024 : 0) +
           (m_state.task.FetchComments ? 2048 : 0);
}

void Heartbeat::tick()
{
    for (int slot = 0; slot < 10; ++slot) {
        ++m_state.slotTicks[size_t(slot)];
    }
    m_state.tickCounter = (m_state.tickCounter + 1) & 0xff;

    if (m_state.checkDone) {
        if (m_state.tickCounter > 8) {
            m_state.tickCounter = 0;
        }
        if (m_state.tickCounter <= 2) {
            Q_EMIT versionLineChanged(AboutText);
        } else if (m_state.tickCounter <= 5) {
            Q_EMIT versionLineChanged(FeedbackText);
        } else {
            Q_EMIT versionLineChanged(m_resultText);
        }
    } else if (m_state.tickCounter == 1) {
        sendUpdateCheck();
    } else if (m_state.tickCounter >= 2 && m_state.tickCounter <= 10) {
        readUpdateReply();
    } else if (m_state.tickCounter == 11) {
        giveUpUpdateCheck();
    }

    if (m_state.automaticMode()) {
        const QString& status = m_state.ui.status();
        if (status.contains(QStringLiteral("打包成CHM以便浏览")) ||
            status.contains(QStringLiteral("图片或评论全部下载完成"))) {
            startAutomaticPacking();
        }
    }
}

void Heartbeat::sendUpdateCheck()
{
    // A request of an earlier stage is dropped when the new one replaces it.
    dropReply();
    if (m_state.http.manager == nullptr) {
        return;
    }
    QNetworkRequest request(QUrl(QStringLiteral("http://") + Model::Endpoints::UpdateHost() +
                                 QStringLiteral("/blog/update.asp?ver=") + QString::number(Version) +
                                 QStringLiteral("&b=") + QString::number(reportNumber())));
    request.setTransferTimeout(10000);
    // A POST without a body and without a content type: post() would add a form type of its own, a
    // custom request with an empty body only says "Content-Length: 0".
    m_reply = m_state.http.manager->sendCustomRequest(request, "POST", QByteArray());
}

void Heartbeat::readUpdateReply()
{
    if (!m_reply || !m_reply->isFinished()) {
        return;
    }
    const QString text = QString::fromUtf8(m_reply->readAll());
    m_reply->deleteLater();
    m_reply = nullptr;
    const QString last = text.right(8);
    bool number = last.size() == 8;
    for (const QChar c : last) {
        number = number && c.isDigit() && c.unicode() < 128;
    }
    if (!number) {
        // Not a version number (no server, an error page): as good as no answer.
        m_resultText = NoAnswerText;
    } else if (last.toLongLong() > Version) {
        m_resultText = QStringLiteral("发现新版本:") + last + QStringLiteral(",点此更新");
    } else {
        m_resultText = QStringLiteral("已是最新版本！");
    }
    m_state.checkDone = true;
}

void Heartbeat::giveUpUpdateCheck()
{
    m_state.checkDone = true;
    m_resultText = NoAnswerText;
    dropReply();
}

void Heartbeat::dropReply()
{
    if (m_reply) {
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
}

void Heartbeat::startAutomaticPacking()
{
    if (m_packing) {
        return;
    }
    m_packing = true;
    m_state.ui.openLocal(Text::JoinPath(m_state.taskFolder(), QStringLiteral("index.html")));
    m_state.setStatus(QStringLiteral("正在打包CHM..."));
    packAutomatically();
}

QCoro::Task<> Heartbeat::packAutomatically()
{
    bool packed = false;
    try {
        packed = co_await packChm();
    } catch (const std::exception&) {
        packed = false;
    }
    m_packing = false;
    Q_EMIT packFinished(packed);
}

} // namespace Ui
