#include "text/pagecharset.h"

#include "text/charset.h"
#include "text/starttags.h"

#include <QStringDecoder>

#include <array>

namespace Text {

namespace {

const QString Utf8 = QStringLiteral("UTF-8");
const QString GbFamily = QStringLiteral("GB18030");

// How the bytes read as UTF-8: the characters of two to four bytes, and the bytes that start or continue
// no valid sequence. A sequence cut off by the end of the bytes is neither (a page may be cut off).
struct Utf8Shape
{
    qsizetype multibyte = 0;
    qsizetype invalid = 0;
};

Utf8Shape ReadUtf8Shape(const QByteArray& bytes)
{
    Utf8Shape shape;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        qsizetype length = 0;
        unsigned char low = 0x80; // the range of the second byte
        unsigned char high = 0xbf;
        if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            low = lead == 0xe0 ? 0xa0 : 0x80;
            high = lead == 0xed ? 0x9f : 0xbf;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            low = lead == 0xf0 ? 0x90 : 0x80;
            high = lead == 0xf4 ? 0x8f : 0xbf;
        }
        qsizetype k = 1;
        while (length > 0 && k < length && i + k < size) {
            const unsigned char next = data[i + k];
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xbf)) {
                break;
            }
            ++k;
        }
        if (length > 0 && k == length) {
            ++shape.multibyte;
            i += length;
        } else if (length > 0 && i + k == size) {
            break; // cut off at the end
        } else {
            ++shape.invalid;
            ++i;
        }
    }
    return shape;
}

// The value of "charset=" in a Content-Type header or a <meta content> ("text/html; charset=gbk").
QString CharsetParameter(const QString& value)
{
    const qsizetype at = value.indexOf(QLatin1String("charset"), 0, Qt::CaseInsensitive);
    if (at < 0) {
        return {};
    }
    qsizetype i = at + 7;
    while (i < value.size() && value.at(i).isSpace()) {
        ++i;
    }
    if (i >= value.size() || value.at(i) != u'=') {
        return {};
    }
    ++i;
    while (i < value.size() && value.at(i).isSpace()) {
        ++i;
    }
    if (i < value.size() && (value.at(i) == u'"' || value.at(i) == u'\'')) {
        ++i;
    }
    const qsizetype start = i;
    while (i < value.size() && value.at(i) != u'"' && value.at(i) != u'\'' && value.at(i) != u';' &&
           !value.at(i).isSpace()) {
        ++i;
    }
    return value.mid(start, i - start);
}

// The page's first bytes with their comments blanked, so that a declaration that was commented out
// does not count.
QString HeadWithoutComments(const QByteArray& page)
{
    QString head = QString::fromLatin1(page.left(CharsetDeclarationBytes));
    qsizetype from = 0;
    while (true) {
        const qsizetype open = head.indexOf(QLatin1String("<!--"), from);
        if (open < 0) {
            break;
        }
        qsizetype close = head.indexOf(QLatin1String("-->"), open + 4);
        close = close < 0 ? head.size() : close + 3;
        head.replace(open, close - open, QString(close - open, u' '));
        from = close;
    }
    return head;
}

QString MetaCharset(const QByteArray& page)
{
    const QString head = HeadWithoutComments(page);
    for (const StartTag& meta : StartTags(head, u"meta")) {
        QString name;
        if (const TagAttribute* charset = meta.attribute(u"charset"); charset != nullptr) {
            name = charset->value;
        } else if (const TagAttribute* equiv = meta.attribute(u"http-equiv");
                   equiv != nullptr &&
                   equiv->value.trimmed().compare(QLatin1String("content-type"), Qt::CaseInsensitive) == 0) {
            if (const TagAttribute* content = meta.attribute(u"content"); content != nullptr) {
                name = CharsetParameter(content->value);
            }
        }
        QString known = KnownCharset(name);
        if (known.startsWith(QLatin1String("UTF-16"), Qt::CaseInsensitive)) {
            known = Utf8; // a page readable enough to declare UTF-16 in ASCII is no UTF-16 page
        }
        if (!known.isEmpty()) {
            return known;
        }
    }
    return {};
}

QString ByteOrderCharset(const QByteArray& page)
{
    if (page.startsWith("\xef\xbb\xbf")) {
        return Utf8;
    }
    if (page.startsWith("\xff\xfe")) {
        return QStringLiteral("UTF-16LE");
    }
    if (page.startsWith("\xfe\xff")) {
        return QStringLiteral("UTF-16BE");
    }
    return {};
}

} // namespace

QString KnownCharset(const QString& name)
{
    QString key = name.trimmed().toLower();
    if (key.size() >= 2 && (key.front() == u'"' || key.front() == u'\'') && key.back() == key.front()) {
        key = key.mid(1, key.size() - 2).trimmed();
    }
    if (key.isEmpty()) {
        return {};
    }
    static const std::array<const char*, 15> gbNames{
        "gb2312", "gbk",   "gb18030",   "x-gbk",    "cp936",    "ms936",    "windows-936",     "gb_2312-80",
        "gb_2312", "gb-2312", "csgb2312", "chinese", "euc-cn", "x-euc-cn", "csiso58gb231280"};
    for (const char* gb : gbNames) {
        if (key == QLatin1String(gb)) {
            return GbFamily;
        }
    }
    if (key == QLatin1String("utf-8") || key == QLatin1String("utf8") ||
        key == QLatin1String("unicode-1-1-utf-8")) {
        return Utf8;
    }
    const QByteArray latin = key.toLatin1();
    if (key.size() > 40 || QString::fromLatin1(latin) != key || !QStringDecoder(latin.constData()).isValid()) {
        return {};
    }
    return name.trimmed();
}

QString DeclaredCharset(const QByteArray& page, const QByteArray& contentType)
{
    if (QString bom = ByteOrderCharset(page); !bom.isEmpty()) {
        return bom;
    }
    if (QString header = KnownCharset(CharsetParameter(QString::fromLatin1(contentType))); !header.isEmpty()) {
        return header;
    }
    return MetaCharset(page);
}

QString DecodePage(const QByteArray& page, const QString& fallback, const QByteArray& contentType)
{
    if (const QString bom = ByteOrderCharset(page); !bom.isEmpty()) {
        const qsizetype markLength = bom == Utf8 ? 3 : 2;
        return DecodeBytes(page.mid(markLength), bom);
    }
    QString charset = DeclaredCharset(page, contentType);
    if (charset.isEmpty()) {
        charset = KnownCharset(fallback);
    }
    if (charset.isEmpty()) {
        charset = fallback;
    }
    // The bytes themselves outweigh a declaration they contradict: Chinese text in GBK holds far more
    // bytes that no UTF-8 sequence allows than it holds sequences that UTF-8 allows, UTF-8 text none. A
    // few GBK characters can pass for UTF-8 by chance, a handful hardly.
    constexpr qsizetype PlainlyUtf8 = 4;
    const Utf8Shape shape = ReadUtf8Shape(page);
    const bool utf8 = charset.compare(Utf8, Qt::CaseInsensitive) == 0;
    if (!utf8 && shape.invalid == 0 && shape.multibyte >= PlainlyUtf8) {
        charset = Utf8;
    } else if (utf8 && shape.invalid > shape.multibyte) {
        const QString platform = KnownCharset(fallback);
        charset = platform.isEmpty() || platform == Utf8 ? GbFamily : platform;
    }
    return DecodeBytes(page, charset);
}

} // namespace Text
