#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <QCoro/QCoroTask>

#include <functional>

class QNetworkReply;

namespace Model {
class RunState;
}

namespace Ui {

// The program's one-second timer: advances the request slots' tick counts, runs the update check (which
// also reports the stage the program is in), rotates the version line once the check is done, and in
// automatic mode packs the CHM when the downloads report that they are finished. It opens no window, so
// batch mode uses it too.
class Heartbeat final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Heartbeat)

public:
    static constexpr int Version = 20120419;

    explicit Heartbeat(Model::RunState& state, QObject* parent = nullptr);
    ~Heartbeat() override;

    void start(int intervalMs = 1000);
    void stop();

    // One tick of the timer.
    void tick();

    // The number the update check reports: the stage, the platform and the task's switches.
    int reportNumber() const;
    QString resultText() const { return m_resultText; }
    bool packing() const { return m_packing; }

    // How the CHM is packed (replaceable in tests); true when the CHM was made.
    std::function<QCoro::Task<bool>()> packChm;

Q_SIGNALS:
    void versionLineChanged(const QString& text);
    void packFinished(bool packed);

private:
    void sendUpdateCheck();
    void readUpdateReply();
    void giveUpUpdateCheck();
    // Aborts the update check's request, if any, and lets it go.
    void dropReply();
    void startAutomaticPacking();
    QCoro::Task<> packAutomatically();

    Model::RunState& m_state;
    QTimer m_timer;
    QPointer<QNetworkReply> m_reply;
    QString m_resultText;
    bool m_packing = false;
};

} // namespace Ui
