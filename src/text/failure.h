#pragma once

#include <QString>

#include <exception>
#include <string>

namespace Text {

// An error that aborts the operation it happens in and travels up to the command that started it.
// Commands that go on step by step catch it per step; nothing already saved is lost.
class Failure : public std::exception
{
public:
    explicit Failure(QString message) : m_message(std::move(message)), m_utf8(m_message.toStdString()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
};

// A request that got no usable answer: it could not be sent, was reset, timed out, or never answered
// with a page. Unlike a failure over a page's content, trying again later may well succeed.
class RequestFailure : public Failure
{
public:
    using Failure::Failure;
    // A request to address that got no usable answer, for reason (in the user's words).
    RequestFailure(QString message, QString address, QString reason)
        : Failure(std::move(message)), m_address(std::move(address)), m_reason(std::move(reason))
    {
    }
    // Empty where the request that failed is not known by its address.
    const QString& address() const noexcept { return m_address; }
    const QString& reason() const noexcept { return m_reason; }

private:
    QString m_address;
    QString m_reason;
};

} // namespace Text
