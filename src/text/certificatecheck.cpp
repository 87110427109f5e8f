#include "text/certificatecheck.h"

#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QStringList>

namespace Text {

namespace {

const char* const ProblemProperty = "qvlrx.certificateProblem";

QString ProblemWords(QSslError::SslError error)
{
    switch (error) {
    case QSslError::CertificateExpired:
        return QStringLiteral("证书已过期");
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("证书尚未生效");
    case QSslError::HostNameMismatch:
        return QStringLiteral("证书与网站名称不符");
    case QSslError::CertificateRevoked:
        return QStringLiteral("证书已被吊销");
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
    case QSslError::InvalidCaCertificate:
        return QStringLiteral("证书不受信任");
    case QSslError::NoPeerCertificate:
        return QStringLiteral("网站没有出示证书");
    default:
        break;
    }
    return QStringLiteral("证书无效");
}

} // namespace

void WatchCertificate(QNetworkReply* reply)
{
    QObject::connect(reply, &QNetworkReply::sslErrors, reply, [reply](const QList<QSslError>& errors) {
        if (errors.isEmpty() || !reply->property(ProblemProperty).toString().isEmpty()) {
            return;
        }
        const QSslError& first = errors.constFirst();
        reply->setProperty(ProblemProperty,
                           ProblemWords(first.error()) + u'（' + first.errorString().left(120) + u'）');
    });
}

QString CertificateFailure(const QNetworkReply* reply)
{
    if (reply == nullptr || reply->error() == QNetworkReply::NoError) {
        return {};
    }
    if (const QString noted = reply->property(ProblemProperty).toString(); !noted.isEmpty()) {
        return noted;
    }
    if (reply->error() != QNetworkReply::SslHandshakeFailedError) {
        return {};
    }
    // A handshake the network layer ended itself names the certificate's problem in its own words.
    static const QList<QSslError::SslError> Known{QSslError::CertificateExpired,
                                                  QSslError::CertificateNotYetValid,
                                                  QSslError::HostNameMismatch,
                                                  QSslError::CertificateRevoked,
                                                  QSslError::SelfSignedCertificate,
                                                  QSslError::SelfSignedCertificateInChain,
                                                  QSslError::UnableToGetLocalIssuerCertificate,
                                                  QSslError::UnableToGetIssuerCertificate,
                                                  QSslError::UnableToVerifyFirstCertificate,
                                                  QSslError::CertificateUntrusted,
                                                  QSslError::InvalidCaCertificate,
                                                  QSslError::NoPeerCertificate};
    const QString said = reply->errorString();
    for (const QSslError::SslError error : Known) {
        const QString words = QSslError(error).errorString();
        if (said.contains(words)) {
            return ProblemWords(error) + u'（' + words.left(120) + u'）';
        }
    }
    return {};
}

int TrustCertificatesOfTheEnvironment()
{
    const QString path = qEnvironmentVariable("SSL_CERT_FILE");
    if (path.isEmpty()) {
        return 0;
    }
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(path, QSsl::Pem);
    if (certificates.isEmpty()) {
        return 0;
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(certificates);
    QSslConfiguration::setDefaultConfiguration(configuration);
    return int(certificates.size());
}

} // namespace Text
