#pragma once

#include <QByteArray>
#include <QString>

namespace Text {

// How many bytes of a page are looked at for a <meta> declaration of its character set.
inline constexpr qsizetype CharsetDeclarationBytes = 8 * 1024;

// The name of a character set as DecodeBytes knows it: "GB18030" for every name of the GB family (GB2312,
// GBK and their aliases: GB18030 is their superset), "UTF-8" for UTF-8, another name the converter
// knows as written; empty for a name no converter knows.
QString KnownCharset(const QString& name);

// The character set a page declares, in the order a browser heeds them: a byte order mark, the charset
// of the answer's Content-Type header, then a <meta charset> or <meta http-equiv="Content-Type">
// among the page's first bytes. Empty when the page declares none that is known.
QString DeclaredCharset(const QByteArray& page, const QByteArray& contentType = {});

// A fetched page as text: decoded in the character set it declares, else in the fallback (the one the
// platform is known to use). Bytes that are plainly UTF-8 are read as UTF-8 whatever the page or the
// platform claims, and bytes that are plainly not UTF-8 are not read as UTF-8; a byte order mark is
// dropped.
QString DecodePage(const QByteArray& page, const QString& fallback, const QByteArray& contentType = {});

} // namespace Text
