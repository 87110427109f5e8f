#pragma once

#include <QEventLoop>
#include <QTimer>

#include <QCoro/QCoroTask>

#include <exception>
#include <optional>
#include <stdexcept>

// Runs a coroutine to its end in a local event loop and returns its result; an exception thrown by the
// coroutine is thrown here again. (QCoro::waitFor swallows exceptions and then never returns.)
namespace TestSupport {

namespace detail {

template <typename T>
QCoro::Task<> Capture(QCoro::Task<T> task, std::optional<T>* result, std::exception_ptr* error, bool* done,
                      QEventLoop* loop)
{
    try {
        result->emplace(co_await std::move(task));
    } catch (...) {
        *error = std::current_exception();
    }
    *done = true;
    loop->quit();
}

inline QCoro::Task<> CaptureVoid(QCoro::Task<> task, std::exception_ptr* error, bool* done, QEventLoop* loop)
{
    try {
        co_await std::move(task);
    } catch (...) {
        *error = std::current_exception();
    }
    *done = true;
    loop->quit();
}

inline void RunLoop(QEventLoop& loop, const bool& done, int timeoutMs)
{
    if (done) {
        return;
    }
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(timeoutMs);
    loop.exec();
    if (!done) {
        throw std::runtime_error("coroutine did not finish in time");
    }
}

} // namespace detail

template <typename T> T Wait(QCoro::Task<T>&& task, int timeoutMs = 120000)
{
    QEventLoop loop;
    std::optional<T> result;
    std::exception_ptr error;
    bool done = false;
    auto runner = detail::Capture<T>(std::move(task), &result, &error, &done, &loop);
    detail::RunLoop(loop, done, timeoutMs);
    if (error) {
        std::rethrow_exception(error);
    }
    return std::move(*result);
}

inline void Wait(QCoro::Task<>&& task, int timeoutMs = 120000)
{
    QEventLoop loop;
    std::exception_ptr error;
    bool done = false;
    auto runner = detail::CaptureVoid(std::move(task), &error, &done, &loop);
    detail::RunLoop(loop, done, timeoutMs);
    if (error) {
        std::rethrow_exception(error);
    }
}

} // namespace TestSupport
