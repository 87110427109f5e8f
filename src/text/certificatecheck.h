#pragma once

#include <QString>

class QNetworkReply;

namespace Text {

// Notes what is wrong with the certificate of a reply's secure (https) connection. Nothing wrong with a
// certificate is ever ignored: the request fails, and CertificateFailure names the problem.
void WatchCertificate(QNetworkReply* reply);

// Why the reply failed for its site's certificate, in the user's words with the detail in brackets
// ("证书不受信任（The certificate is self-signed, and untrusted）"); empty when it did not.
QString CertificateFailure(const QNetworkReply* reply);

// Trusts, besides the system's authorities, the certificates of the PEM file that the environment
// variable SSL_CERT_FILE names, as other programs do: an archive or a site with a certificate of its own
// authority (a library's own web archive). Returns how many were added; a file that holds none is
// passed over.
int TrustCertificatesOfTheEnvironment();

} // namespace Text
