#pragma once

#include "response.h"

#include <QRegularExpression>
#include <QString>

#include <optional>

namespace FakeWeb {

class Server;

// A failing part of the web: every request whose address matches the pattern gets the answer, before
// any blog is asked.
struct Fault
{
    QRegularExpression pattern;
    Response answer;

    // Reads "WHAT@PATTERN": WHAT is an HTTP status (500, 404, ...), "never" (the request is never
    // answered), "reset" (the connection is reset), "trickle" (a body that never ends), "headers" (a head that
    // never ends) or "3xx=LOCATION" (a redirect there, e.g. "302=http://127.0.0.1:8080/"); PATTERN a regular
    // expression searched in "http://host/path?query". Empty with *error set when the text is no such fault.
    static std::optional<Fault> parse(const QString& text, QString* error = nullptr);
};

void addFault(Server& server, const Fault& fault);

// The fakeweb executable's --fail option: a wrong text ends the program with a message.
void installFault(Server& server, const QString& arg);

} // namespace FakeWeb
