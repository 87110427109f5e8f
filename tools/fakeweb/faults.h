#pragma once

#include "response.h"

#include <QRegularExpression>
#include <QString>

#include <memory>
#include <optional>

namespace FakeWeb {

class Server;

// A failing part of the web: every request whose address matches the pattern gets the answer, before
// any blog is asked.
struct Fault
{
    QRegularExpression pattern;
    Response answer;
    // Of the requests that match: the first `after` are let through, then `count` get the answer (-1: all
    // that follow), then the rest are let through again.
    int after = 0;
    int count = -1;
    // Answers with "Retry-After: <an HTTP date this many seconds after the answer>".
    std::optional<int> retryAfterDateIn;

    // Reads "WHAT@PATTERN": WHAT is an HTTP status (500, 404, ...), "never" (the request is never
    // answered), "reset" (the connection is reset), "trickle" (a body that never ends), "headers" (a head
    // that never ends) or "3xx=LOCATION" (a redirect there, e.g. "302=http://127.0.0.1:8080/"); PATTERN a
    // regular expression searched in "http://host/path?query". A status may be followed by "=RETRY", the
    // Retry-After header it comes with: seconds, "date+S" (an HTTP date S seconds after the answer) or any
    // other text as it stands ("429=5", "503=date+3"). Before the "=" a status may also say which requests it
    // answers: "xN" only the first N (a burst, "429x10=5"), ">N" every one after the first N ("403>20"), ">NxM"
    // the M after the first N (a burst later on, "429>50x10=5").
    // Empty with *error set when the text is no such fault.
    static std::optional<Fault> parse(const QString& text, QString* error = nullptr);

    // The answer for the next matching request, or none when this one is let through.
    std::optional<Response> answerNext(int* seen) const;
};

void addFault(Server& server, const Fault& fault);

// The fakeweb executable's --fail option: a wrong text ends the program with a message.
void installFault(Server& server, const QString& arg);

} // namespace FakeWeb
