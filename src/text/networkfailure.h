#pragma once

#include <QString>

class QNetworkReply;

namespace Text {

// What went wrong with a request, in the words the user reads in the status line, the list box and
// failed.txt: "连接被拒绝", "超时", "HTTP 404 未找到". A short technical detail follows in brackets
// where it says more than the words ("无法解析主机名（Host img.example.cn not found）").

// "HTTP " and the status, then what the status means.
QString HttpStatusWords(int status);

// A network error of Qt's request layer (QNetworkReply::NetworkError), with the layer's own description
// as the detail.
QString NetworkErrorWords(int error, const QString& detail = {});

// Why a finished reply brought no usable answer: a limit it broke, an HTTP status outside 2xx, or a
// network error (a request cancelled while it still waited counts as timed out). Empty when it brought
// one.
QString ReplyFailureWords(const QNetworkReply* reply);

} // namespace Text
