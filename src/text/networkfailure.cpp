#include "text/networkfailure.h"

#include "text/certificatecheck.h"
#include "text/replylimit.h"

#include <QNetworkReply>

namespace Text {

namespace {

constexpr qsizetype MaxDetail = 120;

QString StatusMeaning(int status)
{
    switch (status) {
    case 400:
        return QStringLiteral("请求有误");
    case 401:
        return QStringLiteral("需要登录");
    case 403:
        return QStringLiteral("禁止访问");
    case 404:
        return QStringLiteral("未找到");
    case 405:
        return QStringLiteral("不允许的请求");
    case 408:
        return QStringLiteral("请求超时");
    case 410:
        return QStringLiteral("已永久删除");
    case 429:
        return QStringLiteral("请求过于频繁");
    case 500:
        return QStringLiteral("服务器内部错误");
    case 501:
        return QStringLiteral("服务器不支持该请求");
    case 502:
        return QStringLiteral("网关错误");
    case 503:
        return QStringLiteral("服务暂时不可用");
    case 504:
        return QStringLiteral("网关超时");
    default:
        break;
    }
    if (status >= 300 && status < 400) {
        return QStringLiteral("重定向未完成");
    }
    if (status >= 400 && status < 500) {
        return QStringLiteral("请求被拒绝");
    }
    if (status >= 500 && status < 600) {
        return QStringLiteral("服务器错误");
    }
    return QStringLiteral("意外的回应");
}

QString ErrorMeaning(int error)
{
    switch (QNetworkReply::NetworkError(error)) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("连接被拒绝");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("服务器中途断开了连接");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("无法解析主机名");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("超时");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("安全连接失败");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
        return QStringLiteral("网络暂时不可用");
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("重定向次数过多");
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("被重定向到不安全的地址");
    case QNetworkReply::ProxyConnectionRefusedError:
        return QStringLiteral("代理服务器拒绝连接");
    case QNetworkReply::ProxyConnectionClosedError:
        return QStringLiteral("代理服务器中途断开了连接");
    case QNetworkReply::ProxyNotFoundError:
        return QStringLiteral("找不到代理服务器");
    case QNetworkReply::ProxyTimeoutError:
        return QStringLiteral("代理服务器超时");
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return QStringLiteral("代理服务器需要登录");
    case QNetworkReply::ContentAccessDenied:
        return QStringLiteral("禁止访问");
    case QNetworkReply::ContentNotFoundError:
        return QStringLiteral("未找到");
    case QNetworkReply::ContentGoneError:
        return QStringLiteral("已永久删除");
    case QNetworkReply::AuthenticationRequiredError:
        return QStringLiteral("需要登录");
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError:
        return QStringLiteral("不支持的网址");
    case QNetworkReply::ProtocolFailure:
        return QStringLiteral("服务器的回应无法读取");
    case QNetworkReply::InternalServerError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::UnknownServerError:
        return QStringLiteral("服务器错误");
    default:
        break;
    }
    return QStringLiteral("网络错误");
}

// The layer's description, kept short; an empty ending (": ") is dropped.
QString ShortDetail(QString detail)
{
    detail = detail.simplified();
    while (detail.endsWith(u':') || detail.endsWith(u' ')) {
        detail.chop(1);
    }
    if (detail.size() > MaxDetail) {
        detail = detail.left(MaxDetail - 1) + u'…';
    }
    return detail;
}

} // namespace

QString HttpStatusWords(int status)
{
    return QStringLiteral("HTTP ") + QString::number(status) + u' ' + StatusMeaning(status);
}

QString NetworkErrorWords(int error, const QString& detail)
{
    const QString shortDetail = ShortDetail(detail);
    // A body the layer could not unpack is named whatever error number it came with.
    if (shortDetail.startsWith(QLatin1String("Decompression failed"), Qt::CaseInsensitive)) {
        return QStringLiteral("内容解压失败（") + shortDetail + u'）';
    }
    const QString words = ErrorMeaning(error);
    if (shortDetail.isEmpty() || error == QNetworkReply::OperationCanceledError) {
        return words;
    }
    return words + u'（' + shortDetail + u'）';
}

QString ReplyFailureWords(const QNetworkReply* reply)
{
    if (reply == nullptr) {
        return QStringLiteral("没有请求");
    }
    if (const QString limit = LimitFailure(reply); !limit.isEmpty()) {
        return limit;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
        return HttpStatusWords(status.toInt());
    }
    if (const QString certificate = CertificateFailure(reply); !certificate.isEmpty()) {
        return certificate;
    }
    if (reply->error() != QNetworkReply::NoError) {
        return NetworkErrorWords(reply->error(), reply->errorString());
    }
    return {};
}

} // namespace Text
