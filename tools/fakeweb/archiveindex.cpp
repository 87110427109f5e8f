#include "archiveindex.h"

#include "archive.h"
#include "server.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

namespace FakeWeb {

namespace {

const QStringList Fields = {QStringLiteral("urlkey"),     QStringLiteral("timestamp"),
                            QStringLiteral("original"),   QStringLiteral("mimetype"),
                            QStringLiteral("statuscode"), QStringLiteral("digest"),
                            QStringLiteral("length")};

// A content digest in the archive's style: 32 characters of base 32.
QString digestOf(const QString& original, const QString& timestamp)
{
    const QByteArray sha =
        QCryptographicHash::hash((original + u' ' + timestamp).toUtf8(), QCryptographicHash::Sha1);
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
    QString out;
    quint64 buffer = 0;
    int bits = 0;
    for (const char c : sha) {
        buffer = (buffer << 8) | quint8(c);
        bits += 8;
        while (bits >= 5) {
            bits -= 5;
            out += QLatin1Char(alphabet[(buffer >> bits) & 31]);
        }
    }
    return out;
}

struct Filter
{
    int field = 0; // index into Fields
    QRegularExpression pattern;
    bool negated = false;
};

// "urlkey timestamp" of the row after which the next page starts. A key that was encoded once more on
// its way back is decoded again.
std::pair<QString, QString> readResumeKey(QString text)
{
    for (int round = 0; round < 2 && !text.contains(u' '); ++round) {
        text = QUrl::fromPercentEncoding(text.replace(u'+', u' ').toUtf8());
    }
    const qsizetype space = text.lastIndexOf(u' ');
    return space < 0 ? std::make_pair(text, QString())
                     : std::make_pair(text.left(space), text.mid(space + 1));
}

Response plain(int status, const QByteArray& body)
{
    Response r;
    r.status = status;
    r.body = body;
    r.headers = {{"Content-Type", "text/plain; charset=utf-8"}};
    return r;
}

} // namespace

QString urlKey(const QString& url)
{
    const QUrl u(url.contains(QLatin1String("://")) ? url : QStringLiteral("http://") + url,
                 QUrl::TolerantMode);
    QString host = u.host(QUrl::FullyEncoded).toLower();
    static const QRegularExpression www(QStringLiteral("^www\\d*\\."));
    host.remove(www);
    QStringList labels = host.split(u'.', Qt::SkipEmptyParts);
    std::reverse(labels.begin(), labels.end());
    QString key = labels.join(u',');
    const int defaultPort = u.scheme() == QStringLiteral("https") ? 443 : 80;
    if (u.port() != -1 && u.port() != defaultPort) {
        key += u':' + QString::number(u.port());
    }
    const QString path = u.path(QUrl::FullyEncoded);
    key += u')' + (path.isEmpty() ? QStringLiteral("/") : path);
    if (QStringList items = u.query(QUrl::FullyEncoded).split(u'&', Qt::SkipEmptyParts); !items.isEmpty()) {
        std::sort(items.begin(), items.end());
        key += u'?' + items.join(u'&');
    }
    return key.toLower();
}

Response indexAnswer(const WebArchive& archive, const QString& query)
{
    switch (archive.options().index) {
    case ArchiveOptions::Index::None:
        return notArchivedPage();
    case ArchiveOptions::Index::Broken: {
        Response r;
        r.body = "<!DOCTYPE html>\n<html><head><title>Internet Archive: Error</title></head>\n<body>\n"
                 "<h1>Internet Archive services are temporarily offline.</h1>\n"
                 "<p>Please check our official blog for updates.</p>\n</body></html>\n";
        r.headers = {{"Content-Type", "text/html; charset=utf-8"}};
        return r;
    }
    case ArchiveOptions::Index::Normal:
    case ArchiveOptions::Index::Truncated:
        break;
    }
    const QUrlQuery q(query);
    const auto value = [&q](const QString& key) { return q.queryItemValue(key, QUrl::FullyDecoded); };
    QString url = value(QStringLiteral("url")).trimmed();
    if (url.isEmpty()) {
        return plain(400, "Request Invalid: url param missing\n");
    }
    QString matchType = value(QStringLiteral("matchType"));
    if (url.endsWith(u'*')) {
        url.chop(1);
        matchType = matchType.isEmpty() ? QStringLiteral("prefix") : matchType;
    }
    if (url.startsWith(QLatin1String("*."))) {
        url = url.mid(2);
        matchType = QStringLiteral("domain");
    }
    const QString key = urlKey(url);
    const QString hostPart = key.left(key.indexOf(u')'));
    // Matching keys lie together in the sorted index, from the first one that starts with `range`.
    QString range = key;
    if (matchType == QStringLiteral("host")) {
        range = hostPart + u')';
    } else if (matchType == QStringLiteral("domain")) {
        range = hostPart;
    } else if (!matchType.isEmpty() && matchType != QStringLiteral("prefix") &&
               matchType != QStringLiteral("exact")) {
        return plain(400, "Request Invalid: unknown matchType\n");
    }
    const bool exact = matchType.isEmpty() || matchType == QStringLiteral("exact");
    const auto matches = [&](const QString& k) {
        if (exact) {
            return k == key;
        }
        if (matchType == QStringLiteral("domain")) {
            return k.size() > range.size() && (k[range.size()] == u')' || k[range.size()] == u',');
        }
        return true;
    };

    const bool collapse = q.allQueryItemValues(QStringLiteral("collapse")).contains(QStringLiteral("urlkey"));
    QList<Filter> filters;
    for (QString text : q.allQueryItemValues(QStringLiteral("filter"), QUrl::FullyDecoded)) {
        Filter f;
        f.negated = text.startsWith(u'!');
        text = text.mid(f.negated ? 1 : 0);
        f.field = int(Fields.indexOf(text.section(u':', 0, 0)));
        f.pattern.setPattern(QStringLiteral("^(?:") + text.section(u':', 1) + QStringLiteral(")$"));
        if (f.field < 0 || !f.pattern.isValid()) {
            return plain(400, "Request Invalid: bad filter\n");
        }
        filters.append(f);
    }
    const QString from = value(QStringLiteral("from"));
    const QString to = value(QStringLiteral("to"));
    bool limited = false;
    const int limit = value(QStringLiteral("limit")).toInt(&limited);
    const bool json = value(QStringLiteral("output")) == QStringLiteral("json");
    const bool showResumeKey = value(QStringLiteral("showResumeKey")) == QStringLiteral("true");
    const auto [resumeKey, resumeTime] = readResumeKey(value(QStringLiteral("resumeKey")));

    const QList<IndexEntry>& index = archive.index();
    auto it = std::lower_bound(index.cbegin(), index.cend(), std::max(range, resumeKey),
                               [](const IndexEntry& e, const QString& k) { return e.key < k; });
    QList<QStringList> rows;
    QString lastRow;
    bool more = false;
    for (; it != index.cend() && it->key.startsWith(range) && !more; ++it) {
        if (!matches(it->key) || (collapse && it->key == resumeKey)) {
            continue;
        }
        const Response site = archive.server().siteAnswer(it->original);
        const QString mime =
            QString::fromLatin1(site.header("Content-Type")).section(u';', 0, 0).trimmed().toLower();
        const bool loops =
            std::any_of(archive.options().loop.cbegin(), archive.options().loop.cend(),
                        [&](const QRegularExpression& p) { return p.match(it->original).hasMatch(); });
        const QString status = QString::number(loops ? 302 : site.status);
        for (const QString& date : archive.options().dates) {
            if ((!from.isEmpty() && date < from) || (!to.isEmpty() && date.left(to.size()) > to) ||
                (it->key == resumeKey && date <= resumeTime)) {
                continue;
            }
            const QStringList row = {it->key,
                                     date,
                                     it->original,
                                     mime.isEmpty() ? QStringLiteral("unk") : mime,
                                     status,
                                     digestOf(it->original, date),
                                     QString::number(site.body.size())};
            const bool kept = std::all_of(filters.cbegin(), filters.cend(), [&row](const Filter& f) {
                return f.pattern.match(row.at(f.field)).hasMatch() != f.negated;
            });
            if (!kept) {
                continue;
            }
            if (limited && limit > 0 && rows.size() >= limit) {
                more = true;
                break;
            }
            rows.append(row);
            lastRow = it->key + u' ' + date;
            if (collapse) {
                break;
            }
        }
    }
    const QString resume = QString::fromLatin1(QUrl::toPercentEncoding(lastRow));

    QByteArray body;
    if (json) {
        QByteArrayList lines;
        for (const QStringList& row : rows) {
            lines.append(QJsonDocument(QJsonArray::fromStringList(row)).toJson(QJsonDocument::Compact));
        }
        if (!lines.isEmpty()) {
            lines.prepend(QJsonDocument(QJsonArray::fromStringList(Fields)).toJson(QJsonDocument::Compact));
        }
        if (archive.options().index == ArchiveOptions::Index::Truncated) {
            // Cut in the middle of the last row.
            body = '[' + lines.join(",\n");
            const qsizetype start = lines.size() < 2 ? 0 : body.size() - lines.last().size();
            body.truncate(start + (body.size() - start) / 2);
            return plain(200, body);
        }
        if (!lines.isEmpty() && more && showResumeKey) {
            lines.append("[]");
            lines.append(QJsonDocument(QJsonArray{resume}).toJson(QJsonDocument::Compact));
        }
        body = '[' + lines.join(",\n") + "]\n";
    } else {
        for (const QStringList& row : rows) {
            body += row.join(u' ').toUtf8() + '\n';
        }
        if (more && showResumeKey) {
            body += '\n' + resume.toUtf8() + '\n';
        }
        if (archive.options().index == ArchiveOptions::Index::Truncated) {
            body.truncate(body.size() / 2);
        }
    }
    return plain(200, body);
}

} // namespace FakeWeb
