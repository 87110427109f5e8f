#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>

namespace FakeWeb {

// One request as the server saw it. Path and query keep their percent-encoding, so a query in GB2312
// bytes arrives exactly as the client sent it.
struct Request
{
    QByteArray method;
    QByteArray target; // the request target exactly as it stood on the request line
    QString host;      // lower case; ":port" only when it is not 80
    QString path;      // "/" at least
    QString query;     // without '?'
    QString url;       // "http://host/path?query" ("?query" only when the query is not empty)
    QList<QPair<QByteArray, QByteArray>> headers; // in arrival order, names as sent
    QByteArray body;

    // The value of the first header of that name (case-insensitive); empty when there is none.
    QByteArray header(QByteArrayView name) const;
    bool hasHeader(QByteArrayView name) const;
};

struct Response
{
    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // e.g. {"Content-Type", "text/html; charset=gb2312"}
    int delayMs = 0;                              // answer after this delay
    // NeverAnswer keeps the connection open and never replies; Reset aborts the connection with a RST;
    // Trickle sends the headers and then the body again and again, a piece every 50 ms, without end;
    // HeaderFlood sends the status line and then header lines as fast as the client takes them, without end.
    enum class Mode { Normal, NeverAnswer, Reset, Trickle, HeaderFlood } mode = Mode::Normal;

    // The value of the first header of that name (case-insensitive); empty when there is none.
    QByteArray header(QByteArrayView name) const;
};

// The standard reason phrase of an HTTP status code ("Unknown" for codes without one).
QByteArray reasonPhrase(int status);

} // namespace FakeWeb
