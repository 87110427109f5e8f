#pragma once

#include "text/failure.h"

#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

// Waits for a task and returns the message of the Text::Failure it ended with, or none when it finished.
// (QCoro::waitFor alone never returns from a task that throws.)
inline std::optional<QString> AwaitFailure(QCoro::Task<> task)
{
    std::optional<QString> message;
    QCoro::waitFor([&]() -> QCoro::Task<> {
        try {
            co_await std::move(task);
        } catch (const Text::Failure& failure) {
            message = failure.message();
        }
    }());
    return message;
}
