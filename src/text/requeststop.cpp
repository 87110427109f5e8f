#include "text/requeststop.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <coroutine>
#include <utility>

namespace Text {

namespace {

// The wait of PauseUnlessStopped. Its timer alone resumes the waiting coroutine: the stop only starts it
// anew with no time left, through a direct connection that the wait cuts when it goes. Nothing is queued
// on the way, because a queued call still arrives after its connection was cut, and would then resume a
// coroutine that has long gone on (or reach a wait that is gone).
class StopOrTimeout
{
public:
    StopOrTimeout(RequestStop& stop, int milliseconds)
        : m_stop(&stop), m_milliseconds(std::max(0, milliseconds))
    {
        m_timer.setSingleShot(true);
    }
    // The compiler may copy the wait into the coroutine's frame, before it waits: a copy is a wait not yet
    // begun.
    StopOrTimeout(const StopOrTimeout& other) : StopOrTimeout(*other.m_stop, other.m_milliseconds) {}
    StopOrTimeout& operator=(const StopOrTimeout&) = delete;

    ~StopOrTimeout() { QObject::disconnect(m_stopped); }

    bool await_ready() const noexcept { return m_stop.isNull() || m_stop->isStopped(); }

    void await_suspend(std::coroutine_handle<> waiting)
    {
        m_waiting = waiting;
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            // The coroutine may end the wait, and with it this timer, before resume() returns.
            if (const std::coroutine_handle<> waiting = std::exchange(m_waiting, {})) {
                waiting.resume();
            }
        });
        m_stopped = QObject::connect(
            m_stop.data(), &RequestStop::stopped, &m_timer, [this] { m_timer.start(0); },
            Qt::DirectConnection);
        m_timer.start(m_milliseconds);
    }

    void await_resume() const noexcept {}

private:
    QPointer<RequestStop> m_stop;
    int m_milliseconds;
    QTimer m_timer;
    QMetaObject::Connection m_stopped;
    std::coroutine_handle<> m_waiting;
};

} // namespace

void RequestStop::stop()
{
    if (m_stopped) {
        return;
    }
    m_stopped = true;
    Q_EMIT stopped();
}

QCoro::Task<> PauseUnlessStopped(RequestStop& stop, int milliseconds)
{
    co_await StopOrTimeout(stop, milliseconds);
}

} // namespace Text
