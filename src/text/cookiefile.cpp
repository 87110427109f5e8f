#include "text/cookiefile.h"

#include "text/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkCookieJar>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace Text {

namespace {

// Expiry times beyond this (the last second of the year 9999) stand for "never".
constexpr qint64 LatestExpiry = 253402300799;

// Asks Qt's own jar, which knows the list of public suffixes, whether a site may set a cookie for the
// domain: the jar refuses one for a public suffix from any host below it.
class SuffixCheck final : public QNetworkCookieJar
{
public:
    bool allows(const QString& bareDomain) const
    {
        QNetworkCookie cookie("a", "b");
        cookie.setDomain(u'.' + bareDomain);
        QUrl url;
        url.setScheme(QStringLiteral("http"));
        url.setHost(QStringLiteral("www.") + bareDomain);
        return url.isValid() && validateCookie(cookie, url);
    }
};

// A domain name or address as a request names its host: letters, digits, '-', '.', '_', and ':' with
// brackets for IPv6 addresses.
bool IsHostName(const QByteArray& name)
{
    return !name.isEmpty() && std::all_of(name.cbegin(), name.cend(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
               c == ':' || c == '[' || c == ']';
    });
}

// Bytes that a Cookie header may carry: printable ASCII, and never the ';' that ends a cookie there.
bool IsCookieText(const QByteArray& text, bool isName)
{
    return std::all_of(text.cbegin(), text.cend(), [isName](char c) {
        const auto u = uchar(c);
        return u > 0x20 && u < 0x7f && c != ';' && (!isName || (c != '=' && c != ','));
    });
}

std::optional<bool> Flag(const QByteArray& field)
{
    const QByteArray upper = field.trimmed().toUpper();
    if (upper == "TRUE") {
        return true;
    }
    if (upper == "FALSE") {
        return false;
    }
    return std::nullopt;
}

// Seconds since 1970; a number too long for 64 bits is as good as never.
std::optional<qint64> Expiry(const QByteArray& field)
{
    const QByteArray text = field.trimmed();
    if (text.isEmpty() ||
        !std::all_of(text.cbegin(), text.cend(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    bool ok = false;
    const qint64 seconds = text.toLongLong(&ok);
    return ok ? std::min(seconds, LatestExpiry) : LatestExpiry;
}

// The cookie of one line; none when the line is no usable cookie.
std::optional<QNetworkCookie> CookieOfLine(QByteArray line, const QDateTime& now, const SuffixCheck& check)
{
    static const QByteArray httpOnlyMark("#HttpOnly_");
    const bool httpOnly = line.startsWith(httpOnlyMark);
    if (httpOnly) {
        line.remove(0, httpOnlyMark.size());
    }
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 7) {
        return std::nullopt;
    }
    QByteArray domain = fields.at(0).trimmed().toLower();
    const std::optional<bool> subdomains = Flag(fields.at(1));
    QByteArray path = fields.at(2).trimmed();
    const std::optional<bool> secure = Flag(fields.at(3));
    const std::optional<qint64> expiry = Expiry(fields.at(4));
    const QByteArray& name = fields.at(5);
    const QByteArray& value = fields.at(6);
    if (!subdomains || !secure || !expiry || name.isEmpty() || name.size() + value.size() > MaxCookieBytes ||
        !IsCookieText(name, true) || !IsCookieText(value, false)) {
        return std::nullopt;
    }
    while (domain.startsWith('.')) {
        domain.remove(0, 1);
    }
    if (!IsHostName(domain) || domain.startsWith('.') || domain.endsWith('.')) {
        return std::nullopt;
    }
    if (path.isEmpty()) {
        path = "/";
    }
    if (!path.startsWith('/') || !IsCookieText(path, false)) {
        return std::nullopt;
    }
    QNetworkCookie cookie(name, value);
    const QString bare = QString::fromLatin1(domain);
    // A leading dot lets the hosts below the domain have the cookie too; without one only the host itself.
    cookie.setDomain(*subdomains ? u'.' + bare : bare);
    cookie.setPath(QString::fromLatin1(path));
    cookie.setSecure(*secure);
    cookie.setHttpOnly(httpOnly);
    if (*expiry != 0) {
        const QDateTime expires = QDateTime::fromSecsSinceEpoch(*expiry, Qt::UTC);
        if (expires <= now) {
            return std::nullopt;
        }
        cookie.setExpirationDate(expires);
    }
    if (!check.allows(bare)) {
        return std::nullopt;
    }
    return cookie;
}

} // namespace

CookieFile ParseCookieFile(const QByteArray& bytes, const QDateTime& now)
{
    CookieFile file;
    const SuffixCheck check;
    // Line by line, without splitting the whole file at once: a file of nothing but line breaks stays cheap.
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) {
            end = bytes.size();
        }
        QByteArray line = bytes.mid(start, end - start);
        start = end + 1;
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (line.trimmed().isEmpty() || (line.startsWith('#') && !line.startsWith("#HttpOnly_"))) {
            continue;
        }
        if (file.cookies.size() >= MaxCookies) {
            ++file.skipped;
        } else if (std::optional<QNetworkCookie> cookie = CookieOfLine(line, now, check)) {
            file.cookies.append(*cookie);
        } else {
            ++file.skipped;
        }
    }
    return file;
}

CookieFile ReadCookieFile(const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        throw Failure(QStringLiteral("无法读取登录Cookie文件：%1").arg(path));
    }
    return ParseCookieFile(file.read(MaxCookieFileBytes), QDateTime::currentDateTimeUtc());
}

} // namespace Text
