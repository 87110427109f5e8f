#pragma once

#include <QByteArray>
#include <QString>

namespace Text {

// Character sets are named "GB2312" or "UTF-8". "GB2312" pages and files are decoded as GB18030, its
// superset, so nothing a page holds is lost. Invalid bytes become replacement characters.
QString DecodeBytes(const QByteArray& bytes, const QString& charset);

// The multibyte code page every text file of the program is written in (GB18030: GBK-identical for every
// character GBK has, and able to hold every other character too).
QByteArray EncodeLocal(const QString& text);
QString DecodeLocal(const QByteArray& bytes);

// The declaration that opens every HTML page the program writes: it names the character set EncodeLocal
// writes, without which browsers and CHM readers outside a Chinese locale take the pages for Latin-1.
QString LocalCharsetDeclaration();
// A page as it goes to disk: the declaration on a line of its own, then the page.
QString DeclaredPage(const QString& page);

} // namespace Text
