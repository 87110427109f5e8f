#pragma once

#include <QObject>

#include <QCoro/QCoroTask>

namespace Text {

// Calls off the requests of a procedure that no longer needs their answers (pages fetched ahead of a
// walk that has ended). A request made through an HttpContext that names a stopped RequestStop fails
// at once with RequestFailure; one under way is aborted on the next turn of the event loop, and no
// further attempt or pause of FetchPageUntilOk follows.
class RequestStop final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RequestStop)

public:
    RequestStop() = default;

    void stop();
    bool isStopped() const { return m_stopped; }

Q_SIGNALS:
    void stopped();

private:
    bool m_stopped = false;
};

// Waits the given time while events run, or less: once stop is stopped the wait ends on a later turn of
// the event loop (never inside the call of stop()), and at once when it is stopped already. A wait that
// has ended leaves nothing behind that could resume its caller a second time.
QCoro::Task<> PauseUnlessStopped(RequestStop& stop, int milliseconds);

} // namespace Text
