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
    // answered), "reset" (the connection is reset) or "trickle" (a body that never ends); PATTERN a regular
    // expression searched in "http://host/path?query". Empty with *error set when the text is no such fault.
    static std::optional<Fault> parse(const QString& text, QString* error = nullptr);
};

void addFault(Server& server, const Fault& fault);

// The fakeweb executable's --fail option: a wrong text ends the program with a message.
void installFault(Server& server, const QString& arg);

} // namespace FakeWeb
