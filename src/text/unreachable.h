#pragma once

#include <QString>

class QNetworkReply;

namespace Text {

// Bounds the wait for the first answer of a run: a proxy or a network that takes the request and stays
// silent is known within milliseconds instead of after every time limit and attempt.
void WatchFirstAnswer(QNetworkReply* reply, int milliseconds);

// Why the reply shows that the network cannot be reached, in words: the proxy it went through with
// its host and port, or "没有网络" and the host, and the system's error. Empty when the reply reached a
// server.
QString UnreachableNetwork(const QNetworkReply* reply);

} // namespace Text
