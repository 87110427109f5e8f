#include "archive.h"

#include "archiveindex.h"
#include "pagekit.h"
#include "server.h"
#include "sinablog.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QLocale>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>

namespace FakeWeb {

namespace {

const QString TimestampFormat = QStringLiteral("yyyyMMddHHmmss");

// A timestamp of 1 to 14 digits made whole: the missing digits are the earliest month, day and time.
QString padTimestamp(const QString& digits)
{
    static const QString earliest = QStringLiteral("00000101000000");
    return digits + earliest.mid(digits.size());
}

QDateTime timeOf(const QString& timestamp)
{
    QDateTime at = QDateTime::fromString(timestamp, TimestampFormat);
    at.setTimeSpec(Qt::UTC);
    return at;
}

// The capture date nearest to the asked one; of two as near, the earlier.
QString nearest(const QStringList& dates, const QString& asked)
{
    const QDateTime wanted = timeOf(padTimestamp(asked));
    QString best = dates.first();
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (const QString& date : dates) {
        const qint64 distance = wanted.isValid()
                                    ? std::abs(wanted.secsTo(timeOf(date)))
                                    : std::abs(date.toLongLong() - padTimestamp(asked).toLongLong());
        if (distance < bestDistance) {
            best = date;
            bestDistance = distance;
        }
    }
    return best;
}

bool matchesAny(const QList<QRegularExpression>& patterns, const QString& url)
{
    return std::any_of(patterns.cbegin(), patterns.cend(),
                       [&](const QRegularExpression& p) { return p.match(url).hasMatch(); });
}

// Archives file an address and its https twin as one.
QString httpForm(const QString& url)
{
    return url.startsWith(QLatin1String("https://")) ? QStringLiteral("http://") + url.mid(8) : url;
}

// The address a replay is for, as the client wrote it after the mode: possibly without scheme, with the
// scheme's slashes merged ("http:/host/..."), or percent-encoded as a whole.
QString originalAddress(QString text)
{
    static const QRegularExpression encoded(QStringLiteral("^https?(?:%3a|:%2f)"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (encoded.match(text).hasMatch()) {
        text = QUrl::fromPercentEncoding(text.toUtf8());
    }
    static const QRegularExpression scheme(QStringLiteral("^(https?):/*"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = scheme.match(text); m.hasMatch()) {
        text = m.captured(1).toLower() + QStringLiteral("://") + text.mid(m.capturedLength());
    } else {
        text.prepend(QStringLiteral("http://"));
    }
    return Server::normalizedUrl(text);
}

Response redirect(const QString& base, const QString& timestamp, const QString& mode, const QString& original)
{
    Response r;
    r.status = 302;
    r.headers = {{"Location", (base + QStringLiteral("/web/") + timestamp + mode + u'/' + original).toUtf8()},
                 {"Content-Type", "text/plain; charset=utf-8"}};
    return r;
}

// What a site answered where it had no such page, as captures of dead addresses hold it.
Response siteErrorPage(const QString& url, const Response& site)
{
    if (QUrl(url).host().endsWith(QLatin1String("sina.com.cn"))) {
        return PageKit::textPage(SinaBlog::loginNoticePage(), "utf-8");
    }
    QByteArray charset = site.header("Content-Type").toLower();
    charset = charset.contains("charset=") ? charset.mid(charset.indexOf("charset=") + 8).trimmed() : "utf-8";
    return PageKit::textPage(
        QStringLiteral("<html><head><title>404 页面不存在</title></head>\n<body><div class=\"error\">"
                       "<h1>抱歉，您访问的页面不存在或已被删除。</h1>\n<p><a href=\"/\">返回首页</a>"
                       "</p></div></body></html>\n"),
        charset);
}

// A text page in the other character set than it was written in (UTF-8 becomes GBK, GBK UTF-8), its
// header and meta tags saying so, as a site that changed its encoding was captured.
Response recoded(Response page)
{
    static const QRegularExpression charset(QStringLiteral("(charset=[\"']?)([\\w-]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString type = QString::fromLatin1(page.header("Content-Type"));
    if (!type.startsWith(QLatin1String("text/"))) {
        return page;
    }
    const QRegularExpressionMatch declared = charset.match(type);
    const bool toUtf8 = declared.hasMatch() && declared.captured(2).toLower().startsWith(QLatin1String("gb"));
    const QString target = toUtf8 ? QStringLiteral("utf-8") : QStringLiteral("gbk");
    QStringDecoder decoder(toUtf8 ? "GB18030" : "UTF-8");
    QString text = decoder.decode(page.body);
    text.replace(charset, QStringLiteral("\\1") + target);
    Response out = PageKit::textPage(text, target.toLatin1());
    out.headers = {
        {"Content-Type", declared.hasMatch()
                             ? QString(type).replace(charset, QStringLiteral("\\1") + target).toLatin1()
                             : type.toLatin1() + "; charset=gbk"}};
    return out;
}

} // namespace

Response notArchivedPage()
{
    Response r;
    r.status = 404;
    r.headers = {{"Content-Type", "text/html; charset=utf-8"}};
    r.body =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head><title>Wayback Machine</title></head>\n<body>\n"
        "<div id=\"positionHome\"><section><div id=\"error\">\n"
        "<h2 class=\"blue\">Hrm.</h2>\n<p class=\"code\">The Wayback Machine has not archived that URL.</p>\n"
        "<p class=\"impatient\">Hrm. The Wayback Machine has not archived that URL.</p>\n"
        "</div></section></div>\n</body>\n</html>\n";
    return r;
}

std::optional<ArchiveOptions> ArchiveOptions::parse(const QString& text, QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<ArchiveOptions> {
        if (error != nullptr) {
            *error = why;
        }
        return std::nullopt;
    };
    ArchiveOptions options;
    // The keys that each add a pattern of addresses to a list.
    const QList<std::pair<QString, QList<QRegularExpression>*>> patternKeys{
        {QStringLiteral("drop"), &options.drop}, {QStringLiteral("notfound"), &options.notFound},
        {QStringLiteral("gone"), &options.gone}, {QStringLiteral("loop"), &options.loop},
        {QStringLiteral("cut"), &options.cut},   {QStringLiteral("recode"), &options.recode}};
    const auto patternsOf = [&patternKeys](const QString& key) -> QList<QRegularExpression>* {
        for (const auto& [name, list] : patternKeys) {
            if (name == key) {
                return list;
            }
        }
        return nullptr;
    };
    static const QRegularExpression keyStart(
        QStringLiteral(",(?=(?:host|dates|missing|seed|drop|notfound|gone|loop|cut|recode|cdx)=)"));
    for (const QString& item : text.split(keyStart, Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(u'=');
        const QString key = item.left(equals).trimmed();
        const QString value = equals < 0 ? QString() : item.mid(equals + 1);
        const auto pattern = [&](QList<QRegularExpression>& list) {
            const QRegularExpression p(value);
            if (!p.isValid() || value.isEmpty()) {
                return false;
            }
            list.append(p);
            return true;
        };
        bool ok = true;
        if (key == QStringLiteral("host")) {
            options.host = value.trimmed().toLower();
            ok = !options.host.isEmpty();
        } else if (key == QStringLiteral("dates")) {
            options.dates.clear();
            static const QRegularExpression digits(QStringLiteral("^\\d{1,14}$"));
            for (const QString& date : value.split(u';', Qt::SkipEmptyParts)) {
                const QString padded = padTimestamp(date.trimmed());
                if (!digits.match(date.trimmed()).hasMatch() || !timeOf(padded).isValid()) {
                    return fail(QStringLiteral("dates: not a date YYYYMMDDhhmmss: \"%1\"").arg(date));
                }
                if (!options.dates.contains(padded)) {
                    options.dates.append(padded);
                }
            }
            std::sort(options.dates.begin(), options.dates.end());
            ok = !options.dates.isEmpty();
        } else if (key == QStringLiteral("missing")) {
            options.missing = value.toDouble(&ok);
            ok = ok && options.missing >= 0 && options.missing <= 1;
        } else if (key == QStringLiteral("seed")) {
            options.seed = value.toUInt(&ok);
        } else if (QList<QRegularExpression>* patterns = patternsOf(key)) {
            ok = pattern(*patterns);
        } else if (key == QStringLiteral("cdx")) {
            if (value == QStringLiteral("broken")) {
                options.index = Index::Broken;
            } else if (value == QStringLiteral("truncated")) {
                options.index = Index::Truncated;
            } else if (value == QStringLiteral("none")) {
                options.index = Index::None;
            } else {
                ok = value == QStringLiteral("ok");
            }
        } else {
            return fail(QStringLiteral("unknown key \"%1\"").arg(key));
        }
        if (!ok) {
            return fail(QStringLiteral("%1: bad value \"%2\"").arg(key, value));
        }
    }
    return options;
}

WebArchive::WebArchive(const Server& server, ArchiveOptions options)
    : m_server(server), m_options(std::move(options))
{
}

WebArchive::~WebArchive() = default;

bool WebArchive::holds(const QString& url) const
{
    const QString address = httpForm(url);
    if (matchesAny(m_options.drop, address)) {
        return false;
    }
    if (m_options.missing <= 0 || m_server.isFirstPage(address) || matchesAny(m_options.notFound, address) ||
        matchesAny(m_options.gone, address) || matchesAny(m_options.loop, address) ||
        matchesAny(m_options.cut, address) || matchesAny(m_options.recode, address)) {
        return true;
    }
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray::number(m_options.seed) + ' ' + address.toUtf8(), QCryptographicHash::Md5);
    const quint32 bits = (quint32(quint8(digest[0])) << 24) | (quint32(quint8(digest[1])) << 16) |
                         (quint32(quint8(digest[2])) << 8) | quint32(quint8(digest[3]));
    return double(bits) / 4294967296.0 >= m_options.missing;
}

const QList<IndexEntry>& WebArchive::index() const
{
    if (!m_index) {
        m_index = std::make_unique<QList<IndexEntry>>();
        for (const QString& url : m_server.siteAddresses()) {
            if (holds(url)) {
                m_index->append(IndexEntry{urlKey(url), url});
            }
        }
        std::sort(m_index->begin(), m_index->end(), [](const IndexEntry& a, const IndexEntry& b) {
            return a.key != b.key ? a.key < b.key : a.original < b.original;
        });
        m_index->erase(std::unique(m_index->begin(), m_index->end(),
                                   [](const IndexEntry& a, const IndexEntry& b) { return a.key == b.key; }),
                       m_index->end());
    }
    return *m_index;
}

std::optional<Response> WebArchive::answer(const Request& request) const
{
    const QString hostName = request.host.section(u':', 0, 0);
    if (request.host != m_options.host && hostName != QStringLiteral("127.0.0.1") &&
        hostName != QStringLiteral("localhost")) {
        return std::nullopt;
    }
    if (request.path == QStringLiteral("/cdx/search/cdx") || request.path == QStringLiteral("/cdx/search")) {
        return indexAnswer(*this, request.query);
    }
    static const QRegularExpression replayPath(QStringLiteral("^/web/(\\d{1,14})([a-z]{2}_)?/(.+)$"));
    if (const QRegularExpressionMatch m = replayPath.match(request.path); m.hasMatch()) {
        if (request.method != "GET" && request.method != "HEAD") {
            return notArchivedPage(); // captures are of GET requests; a form's POST has none
        }
        const QString base =
            request.url.left(request.url.indexOf(u'/', request.url.indexOf(QLatin1String("://")) + 3));
        const QString original = m.captured(3) + (request.query.isEmpty() ? QString() : u'?' + request.query);
        return replay(base, m.captured(1), m.captured(2), originalAddress(original));
    }
    if (request.host == m_options.host) {
        return notArchivedPage();
    }
    return std::nullopt;
}

Response WebArchive::replay(const QString& base, const QString& timestamp, const QString& mode,
                            const QString& original) const
{
    const QString address = httpForm(original);
    if (!holds(address)) {
        return notArchivedPage();
    }
    Response site = m_server.siteAnswer(original);
    if (site.status == 404 && address != original) {
        site = m_server.siteAnswer(address);
    }
    if (site.status == 404 && address.endsWith(u'/')) {
        // The archive files an address and its twin without the closing slash under one key.
        site = m_server.siteAnswer(address.chopped(1));
    }
    const bool moved = site.status / 100 == 3 && !site.header("Location").isEmpty();
    if (site.status != 200 && !moved) {
        return notArchivedPage();
    }
    const QStringList& dates = m_options.dates;
    if (matchesAny(m_options.loop, address)) {
        // The two captures are redirects to each other.
        const QString other =
            dates.size() > 1 ? dates.at(1) : timeOf(dates.first()).addSecs(1).toString(TimestampFormat);
        return redirect(base, timestamp == dates.first() ? other : dates.first(), mode, original);
    }
    if (!dates.contains(timestamp)) {
        return redirect(base, nearest(dates, timestamp), mode, original);
    }
    if (moved) {
        const QUrl target = QUrl(original).resolved(QUrl::fromEncoded(site.header("Location")));
        return redirect(base, timestamp, mode, target.toString(QUrl::FullyEncoded));
    }
    Response capture;
    if (matchesAny(m_options.gone, address)) {
        capture = notArchivedPage();
        capture.status = 200;
    } else if (matchesAny(m_options.notFound, address)) {
        capture = siteErrorPage(address, site);
    } else {
        capture.body = site.body;
        if (const QByteArray type = site.header("Content-Type"); !type.isEmpty()) {
            capture.headers.append({"Content-Type", type});
        }
        if (matchesAny(m_options.recode, address)) {
            capture = recoded(capture);
        }
        if (matchesAny(m_options.cut, address)) {
            capture.body.truncate(capture.body.size() / 2);
        }
    }
    capture.headers.append(
        {"Memento-Datetime",
         QLocale::c()
             .toString(timeOf(timestamp), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"))
             .toLatin1()});
    capture.headers.append({"Link", "<" + original.toUtf8() + ">; rel=\"original\""});
    return capture;
}

void installArchive(Server& server, const ArchiveOptions& options)
{
    auto archive = std::make_shared<const WebArchive>(server, options);
    server.addFirstHandler([archive](const Request& request) { return archive->answer(request); });
}

void installArchiveOption(Server& server, const QString& arg)
{
    QString error;
    const std::optional<ArchiveOptions> options = ArchiveOptions::parse(arg, &error);
    if (!options) {
        std::fprintf(stderr, "fakeweb: --archive: %s\n", qPrintable(error));
        std::exit(2);
    }
    installArchive(server, *options);
    std::fprintf(stderr, "web archive at http://%s/web/ and /cdx/search/cdx (also on this address)\n",
                 qPrintable(options->host));
}

} // namespace FakeWeb
