#include "app/signalwatcher.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace App {

namespace {

constexpr std::array<int, 3> Watched{SIGTERM, SIGINT, SIGHUP};

// The pipe from the handler to the event loop: 0 read, 1 write.
std::array<int, 2> pipeEnds{-1, -1};

void Handle(int signalNumber)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a signal to act on.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

} // namespace

SignalWatcher::SignalWatcher(QObject* parent) : QObject(parent)
{
    if (::pipe2(pipeEnds.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("no pipe for signals: %s", std::strerror(errno));
        return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readPipe);
    struct sigaction action = {};
    action.sa_handler = Handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : Watched) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

SignalWatcher::~SignalWatcher()
{
    for (const int signalNumber : Watched) {
        ::signal(signalNumber, SIG_DFL);
    }
    delete m_notifier;
    for (int& end : pipeEnds) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

QString SignalWatcher::name(int signalNumber)
{
    switch (signalNumber) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QStringLiteral("信号%1").arg(signalNumber);
    }
}

void SignalWatcher::ignoreBrokenPipe()
{
    ::signal(SIGPIPE, SIG_IGN);
}

void SignalWatcher::readPipe()
{
    unsigned char byte = 0;
    while (::read(pipeEnds[0], &byte, 1) == 1) {
        Q_EMIT received(byte);
    }
}

} // namespace App
