#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace FakeWeb {

// One request as the server saw it. Path and query keep their percent-encoding, so a query in GB2312
// bytes arrives exactly as the client sent it.
struct Request
{
    QByteArray method;
    QString host;  // lower case; ":port" only when it is not 80
    QString path;  // "/" at least
    QString query; // without '?'
    QString url;   // "http://host/path?query" ("?query" only when the query is not empty)
    QByteArray body;
};

struct Response
{
    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // e.g. {"Content-Type", "text/html; charset=gb2312"}
    int delayMs = 0;                              // answer after this delay
    // NeverAnswer keeps the connection open and never replies; Reset aborts the connection with a RST.
    enum class Mode { Normal, NeverAnswer, Reset } mode = Mode::Normal;
};

// The standard reason phrase of an HTTP status code ("Unknown" for codes without one).
QByteArray reasonPhrase(int status);

} // namespace FakeWeb
