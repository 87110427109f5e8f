#pragma once

#include <QObject>

class QSocketNotifier;

namespace App {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal that arrives through the event loop, between two
// events, so that whatever the program was writing is written whole first. The handler itself only
// writes the signal's number into a pipe. One watcher per program.
class SignalWatcher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SignalWatcher)

public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

    // The exit status a shell expects of a program ended by the signal: 128 and its number.
    static int exitStatus(int signalNumber) { return 128 + signalNumber; }
    // "SIGTERM" and the like.
    static QString name(int signalNumber);

    // A closed standard output (`qvlrx --batch | head`) must not end the program: writes to it fail
    // instead, and the program goes on.
    static void ignoreBrokenPipe();

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace App
