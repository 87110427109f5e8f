#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QNetworkCookie>
#include <QString>

namespace Text {

// A cookie file as browsers' export extensions, curl and wget write it (the "Netscape" cookies.txt): a
// cookie a line, seven fields separated by tabs: domain, whether hosts below the domain get it too
// ("TRUE"/"FALSE"), path, whether only https requests carry it, expiry in seconds since 1970 (0 for a
// cookie of the browser session), name and value. Lines starting with '#' are comments, except that
// "#HttpOnly_" in front of a domain marks a cookie that page scripts cannot see. Blank lines and Windows
// line ends do no harm.
//
// What is left out, line by line, rather than sent: a line that is no cookie (too few or too many
// fields, a bad flag or expiry, bytes that no request may carry), a cookie that has expired, one over
// MaxCookieBytes, and one whose domain is "." or a public suffix (".com", ".com.cn"), which every site
// below it would get.
struct CookieFile
{
    QList<QNetworkCookie> cookies;
    int skipped = 0; // cookie lines left out
};

// The longest name and value a cookie may have together, as browsers allow.
constexpr int MaxCookieBytes = 4096;
// What is read of a cookie file at most; a real one of a few sites is a few kilobytes.
constexpr qint64 MaxCookieFileBytes = 4 * 1024 * 1024;
// The most cookies taken from a file (browsers keep a few thousand in all); every request looks through
// them. Further cookie lines are left out.
constexpr int MaxCookies = 10000;

// The cookies of a cookie file's text that may be sent at `now`.
CookieFile ParseCookieFile(const QByteArray& bytes, const QDateTime& now);

// Reads a cookie file from disk (at most MaxCookieFileBytes of it). It is only read, never written.
// Throws Failure naming the file when it cannot be read.
CookieFile ReadCookieFile(const QString& path);

} // namespace Text
