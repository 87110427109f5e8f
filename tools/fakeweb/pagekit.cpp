#include "pagekit.h"

#include <QDateTime>
#include <QStringEncoder>
#include <QUrlQuery>

#include <algorithm>

namespace FakeWeb::PageKit {

BlogSize parseBlogSize(const QString& arg, int defaultArticles, int defaultCategories)
{
    const QStringList parts = arg.split(QLatin1Char(':'));
    BlogSize size;
    size.name = parts.value(0).trimmed();
    bool ok = false;
    size.articles = parts.value(1).toInt(&ok);
    if (!ok || size.articles < 0)
        size.articles = defaultArticles;
    size.categories = parts.value(2).toInt(&ok);
    if (!ok || size.categories < 0)
        size.categories = defaultCategories;
    return size;
}

Response textPage(const QString& text, const QByteArray& charset)
{
    Response r;
    if (charset.compare("utf-8", Qt::CaseInsensitive) == 0) {
        r.body = text.toUtf8();
    } else {
        QStringEncoder encoder("GB18030");
        r.body = encoder.encode(text);
    }
    r.headers = {{"Content-Type", "text/html; charset=" + charset}};
    return r;
}

Response gifImage()
{
    static const unsigned char gif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80,
                                        0x00, 0x00, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04,
                                        0x01, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x01,
                                        0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3b};
    Response r;
    r.body = QByteArray(reinterpret_cast<const char*>(gif), sizeof gif);
    r.headers = {{"Content-Type", "image/gif"}};
    return r;
}

QString categoryName(const QStringList& names, int c)
{
    return c < names.size() ? names.at(c) : QStringLiteral("分类") + QString::number(c + 1);
}

int pageCount(int entries, int perPage)
{
    return std::max(1, (entries + perPage - 1) / perPage);
}

QString publishTime(int index)
{
    const QDateTime newest(QDate(2012, 6, 30), QTime(21, 45));
    return newest.addSecs(-qint64(index) * (26 * 3600 + 17 * 60))
        .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString articleText(const QString& title, int index, const QString& imageTag)
{
    QString text = QStringLiteral("<p>") + title + QStringLiteral("。这是第") + QString::number(index + 1) +
                   QStringLiteral("篇文章的正文，写于一个安静的晚上。</p>\n");
    text +=
        QStringLiteral("<p>早睡早起身体好，多喝开水少熬夜。读书、散步、与朋友聊天，都是生活里的小事。</p>\n");
    if (!imageTag.isEmpty())
        text += QStringLiteral("<p>") + imageTag + QStringLiteral("</p>\n");
    text += QStringLiteral("<p>Plain ASCII text keeps its place too: 1 + 1 = 2.</p>\n");
    return text;
}

QString escapeUnicode(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            out += c;
        } else {
            out += QStringLiteral("\\u") +
                   QStringLiteral("%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0')).toUpper();
        }
    }
    return out;
}

QString queryValue(const QString& query, const QString& key)
{
    return QUrlQuery(query).queryItemValue(key, QUrl::FullyDecoded);
}

} // namespace FakeWeb::PageKit
