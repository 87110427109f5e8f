#pragma once

#include <QString>
#include <QtGlobal>

class QNetworkReply;

namespace Text {

// The most a page of a blog may hold, and an image or comment page: far above any real one, and a
// server that sends more (or never stops) makes the fetch fail instead of filling the memory.
constexpr qint64 MaxPageBytes = 32LL * 1024 * 1024;
constexpr qint64 MaxAssetBytes = 64LL * 1024 * 1024;

// The longest a reply may take to send its head once the request is out: a slow server (a web archive
// digging out an old page) takes seconds, a head that trickles in without end is stopped.
constexpr int MaxHeadMs = 20000;

// The most a head may take before it is ended: far above any real one (a few kilobytes), and small
// beside the memory of a run. The network layer keeps every byte of a head until the head ends and
// shows none before; a flood of header lines is measured by what the network threads read beyond the
// bodies they deliver.
constexpr qint64 MaxHeadBytes = 4LL * 1024 * 1024;

// Aborts the reply as soon as it announces or delivers more than maxBytes, when its head runs past
// MaxHeadBytes or has not ended MaxHeadMs after the request went out, or, with maxMs above 0, when it has not
// ended after maxMs (a body trickling in without end never falls silent long enough for the time limit of a
// request). LimitFailure then tells why it ended.
void LimitReply(QNetworkReply* reply, qint64 maxBytes, int maxMs = 0);

// Why a reply that LimitReply aborted failed ("内容过大（超过32MB）"), also when the whole body arrived
// before the limit could stop it; empty for any other reply.
QString LimitFailure(const QNetworkReply* reply);

} // namespace Text
