#include "server.h"

#include <QDateTime>
#include <QHostAddress>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <deque>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

namespace FakeWeb {

namespace {

constexpr qsizetype MaxHeaderBytes = 1 << 20;
constexpr qsizetype MaxBodyBytes = 64 << 20;

struct Parts
{
    QString host, path, query, url;
};

Parts splitUrl(const QUrl& u)
{
    Parts p;
    const bool https = u.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    const int defaultPort = https ? 443 : 80;
    p.host = u.host(QUrl::FullyEncoded).toLower();
    const int port = u.port(defaultPort);
    if (port != defaultPort)
        p.host += QLatin1Char(':') + QString::number(port);
    p.path = u.path(QUrl::FullyEncoded);
    if (p.path.isEmpty())
        p.path = QStringLiteral("/");
    p.query = u.query(QUrl::FullyEncoded);
    p.url = (https ? QStringLiteral("https://") : QStringLiteral("http://")) + p.host + p.path;
    if (!p.query.isEmpty())
        p.url += QLatin1Char('?') + p.query;
    return p;
}

QByteArray lower(QByteArrayView v)
{
    return v.trimmed().toByteArray().toLower();
}

} // namespace

QByteArray Request::header(QByteArrayView name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QByteArray Response::header(QByteArrayView name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

bool Request::hasHeader(QByteArrayView name) const
{
    return std::any_of(headers.cbegin(), headers.cend(),
                       [name](const auto& h) { return h.first.compare(name, Qt::CaseInsensitive) == 0; });
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 100:
        return "Continue";
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 202:
        return "Accepted";
    case 204:
        return "No Content";
    case 206:
        return "Partial Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 304:
        return "Not Modified";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 410:
        return "Gone";
    case 413:
        return "Payload Too Large";
    case 414:
        return "URI Too Long";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    default:
        return "Unknown";
    }
}

namespace detail {

// One client connection. Requests are parsed as bytes arrive and answered strictly in order, so a
// delayed answer holds back the ones pipelined behind it, as HTTP/1.1 requires.
class Connection : public QObject
{
public:
    Connection(QTcpSocket* socket, Server* server) : QObject(server), m_server(server), m_socket(socket)
    {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, &Connection::onReadyRead);
        connect(socket, &QTcpSocket::disconnected, this, &Connection::finish);
        connect(socket, &QTcpSocket::errorOccurred, this, &Connection::finish);
    }

private:
    struct Pending
    {
        Request request;
        bool keepAlive = true;
        int badStatus = 0; // set when the request could not be understood
    };

    struct Head
    {
        Pending pending;
        qsizetype bodyLength = 0;
    };

    void finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        m_server->m_connections.remove(this);
        deleteLater();
    }

    void onReadyRead()
    {
        if (m_finished || m_closing)
            return;
        m_buf += m_socket->readAll();
        parse();
        if (m_pos > 0) {
            m_buf.remove(0, m_pos);
            m_scan -= m_pos;
            m_pos = 0;
        }
        answerNext();
    }

    void parse()
    {
        while (!m_closing) {
            if (!m_head) {
                const qsizetype end = m_buf.indexOf("\r\n\r\n", qMax(m_pos, m_scan));
                if (end < 0) {
                    m_scan = qMax(m_pos, m_buf.size() - 3);
                    if (m_buf.size() - m_pos > MaxHeaderBytes)
                        reject(431);
                    return;
                }
                m_head = parseHead(QByteArrayView(m_buf).sliced(m_pos, end - m_pos));
                m_pos = end + 4;
                m_scan = m_pos;
                if (m_head->pending.request.method == "CONNECT" && startTunnel(m_head->pending.request)) {
                    m_head.reset();
                    return;
                }
                if (m_head->pending.badStatus) {
                    enqueue(std::move(m_head->pending));
                    m_head.reset();
                    return;
                }
            }
            if (m_buf.size() - m_pos < m_head->bodyLength)
                return;
            m_head->pending.request.body = m_buf.mid(m_pos, m_head->bodyLength);
            m_pos += m_head->bodyLength;
            m_scan = m_pos;
            enqueue(std::move(m_head->pending));
            m_head.reset();
        }
    }

    Head parseHead(QByteArrayView head) const
    {
        Head h;
        Pending& p = h.pending;
        const qsizetype lineEnd = head.indexOf("\r\n");
        const QByteArrayView requestLine = lineEnd < 0 ? head : head.first(lineEnd);
        const QList<QByteArray> words = requestLine.toByteArray().split(' ');
        QByteArray target;
        QByteArray version;
        if (words.size() == 3) {
            p.request.method = words[0];
            target = words[1];
            p.request.target = target;
            version = words[2];
        } else {
            p.badStatus = 400;
        }

        QByteArray host;
        bool chunked = false;
        bool lengthOk = true;
        bool closeAsked = false;
        bool keepAlive = false;
        qsizetype pos = lineEnd < 0 ? head.size() : lineEnd + 2;
        while (pos < head.size()) {
            qsizetype next = head.indexOf("\r\n", pos);
            if (next < 0)
                next = head.size();
            const QByteArrayView line = head.sliced(pos, next - pos);
            pos = next + 2;
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            const QByteArray name = lower(line.first(colon));
            const QByteArrayView value = line.sliced(colon + 1).trimmed();
            p.request.headers.append({line.first(colon).trimmed().toByteArray(), value.toByteArray()});
            if (name == "host") {
                host = value.toByteArray();
            } else if (name == "content-length") {
                h.bodyLength = value.toLongLong(&lengthOk);
                lengthOk = lengthOk && h.bodyLength >= 0;
            } else if (name == "transfer-encoding") {
                chunked = lower(value) != "identity";
            } else if (name == "connection" || name == "proxy-connection") {
                const QByteArray v = lower(value);
                closeAsked = closeAsked || v.contains("close");
                keepAlive = keepAlive || v.contains("keep-alive");
            }
        }
        p.keepAlive = !closeAsked && (version != "HTTP/1.0" || keepAlive);

        QUrl url;
        if (target.startsWith('/'))
            url = QUrl::fromEncoded((m_tunnel ? "https://" : "http://") + host + target, QUrl::TolerantMode);
        else if (target.contains("://"))
            url = QUrl::fromEncoded(target, QUrl::TolerantMode);
        if (url.isValid() && !url.isEmpty()) {
            const Parts parts = splitUrl(url);
            p.request.host = parts.host;
            p.request.path = parts.path;
            p.request.query = parts.query;
            p.request.url = parts.url;
        } else {
            p.request.url = QString::fromUtf8(target);
            p.badStatus = 400;
        }
        if (!lengthOk || chunked)
            p.badStatus = chunked ? 501 : 400;
        else if (h.bodyLength > MaxBodyBytes)
            p.badStatus = 413;
        if (p.badStatus) {
            p.keepAlive = false;
            h.bodyLength = 0;
        }
        return h;
    }

    // A CONNECT to an https site: the connection becomes the site's secure connection, when the server
    // plays https sites and nothing else waits on it.
    bool startTunnel(const Request& request)
    {
        auto* secure = qobject_cast<QSslSocket*>(m_socket);
        if (secure == nullptr || m_server->m_certificate.isNull() || m_tunnel || !m_queue.empty() ||
            m_buf.size() > m_pos) {
            return false;
        }
        m_server->record(request);
        m_tunnel = true;
        m_buf.clear();
        m_pos = 0;
        m_scan = 0;
        secure->write("HTTP/1.1 200 Connection established\r\n\r\n");
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(m_server->m_certificate);
        configuration.setPrivateKey(m_server->m_key);
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        secure->setSslConfiguration(configuration);
        secure->startServerEncryption();
        return true;
    }

    void enqueue(Pending&& p)
    {
        m_server->record(p.request);
        if (!p.keepAlive)
            m_closing = true; // nothing after this request will be read
        m_queue.push_back(std::move(p));
    }

    void reject(int status)
    {
        Pending p;
        p.badStatus = status;
        p.keepAlive = false;
        m_closing = true;
        m_queue.push_back(std::move(p));
    }

    void answerNext()
    {
        while (!m_waiting && !m_finished && !m_queue.empty()) {
            Pending p = std::move(m_queue.front());
            m_queue.pop_front();
            if (p.badStatus) {
                Response r;
                r.status = p.badStatus;
                r.body = reasonPhrase(p.badStatus);
                write(r, p.request.method, false);
                return;
            }
            Response r = m_server->resolve(p.request);
            if (r.delayMs <= 0) {
                r.delayMs = m_server->m_latencyMs;
            }
            switch (r.mode) {
            case Response::Mode::Reset:
                reset();
                return;
            case Response::Mode::NeverAnswer:
                m_waiting = true; // holds this connection until the client gives up
                return;
            case Response::Mode::Trickle:
                m_waiting = true;
                trickle(r);
                return;
            case Response::Mode::HeaderFlood:
                m_waiting = true;
                floodHeaders();
                return;
            case Response::Mode::Normal:
                break;
            }
            if (r.delayMs > 0) {
                m_waiting = true;
                QTimer::singleShot(r.delayMs, this, [this, r, method = p.request.method, k = p.keepAlive] {
                    m_waiting = false;
                    write(r, method, k);
                    answerNext();
                });
                return;
            }
            write(r, p.request.method, p.keepAlive);
        }
    }

    void write(const Response& r, const QByteArray& method, bool keepAlive)
    {
        const bool noBody = method == "HEAD" || r.status == 204 || r.status == 304 || r.status < 200;
        QByteArray out;
        out.reserve(256 + (noBody ? 0 : r.body.size()));
        out += "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + reasonPhrase(r.status) + "\r\n";
        for (const auto& [name, value] : r.headers) {
            const QByteArray n = name.toLower();
            if (n == "content-length" || n == "connection" || n == "transfer-encoding")
                continue; // framing is ours
            out += name + ": " + value + "\r\n";
        }
        if (r.status != 204 && r.status != 304 && r.status >= 200)
            out += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
        out += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
        if (!noBody)
            out += r.body;
        m_socket->write(out);
        if (!keepAlive) {
            m_queue.clear();
            m_waiting = true;
            m_socket->disconnectFromHost();
        }
    }

    // Headers without a length, then the body over and over until the client goes away.
    void trickle(const Response& r)
    {
        QByteArray head = "HTTP/1.1 200 OK\r\n";
        for (const auto& [name, value] : r.headers) {
            head += name + ": " + value + "\r\n";
        }
        m_socket->write(head + "Connection: close\r\n\r\n");
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, piece = r.body.isEmpty() ? QByteArray("x") : r.body] {
            if (m_socket->state() == QAbstractSocket::ConnectedState) {
                m_socket->write(piece);
            }
        });
        timer->start(50);
    }

    // A head that never ends: header lines are written whenever the client has taken the last ones.
    void floodHeaders()
    {
        m_socket->write("HTTP/1.1 200 OK\r\n");
        const QByteArray lines = QByteArray("X-Flood: ").append(QByteArray(1000, 'f')).append("\r\n").repeated(64);
        const auto more = [this, lines] {
            if (m_socket->state() == QAbstractSocket::ConnectedState && m_socket->bytesToWrite() < 4 * lines.size()) {
                m_socket->write(lines);
            }
        };
        connect(m_socket, &QTcpSocket::bytesWritten, this, more);
        more();
    }

    void reset()
    {
#ifdef Q_OS_UNIX
        const qintptr fd = m_socket->socketDescriptor();
        if (fd >= 0) {
            linger l{};
            l.l_onoff = 1;
            l.l_linger = 0;
            ::setsockopt(static_cast<int>(fd), SOL_SOCKET, SO_LINGER, &l, sizeof l);
        }
#endif
        m_queue.clear();
        m_waiting = true;
        m_socket->abort();
        finish();
    }

    Server* m_server;
    QTcpSocket* m_socket;
    QByteArray m_buf;
    qsizetype m_pos = 0;  // start of the unparsed bytes in m_buf
    qsizetype m_scan = 0; // where the search for the end of the head resumes
    std::optional<Head> m_head;
    std::deque<Pending> m_queue;
    bool m_waiting = false; // an answer is delayed, withheld or the connection is closing
    bool m_closing = false; // no further requests are read
    bool m_finished = false;
    bool m_tunnel = false; // the connection is an https site's, inside a CONNECT tunnel
};

void TunnelingTcpServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    addPendingConnection(socket);
}

} // namespace detail

Server::Server(QObject* parent) : QObject(parent)
{
    connect(&m_tcp, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_tcp.nextPendingConnection()) {
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            m_connections.insert(new detail::Connection(socket, this));
        }
    });
}

Server::~Server()
{
    m_tcp.close();
    const auto connections = m_connections;
    m_connections.clear();
    qDeleteAll(connections);
}

bool Server::listen(quint16 port)
{
    return m_tcp.listen(QHostAddress::LocalHost, port);
}

quint16 Server::port() const
{
    return m_tcp.serverPort();
}

void Server::setTls(const QSslCertificate& certificate, const QSslKey& key)
{
    m_certificate = certificate;
    m_key = key;
}

QString Server::normalizedUrl(const QString& url)
{
    return splitUrl(QUrl(url, QUrl::TolerantMode)).url;
}

void Server::addRoute(const QString& url, const Response& r)
{
    m_routes.insert(normalizedUrl(url), r);
}

void Server::addFirstHandler(Handler h)
{
    m_firstHandlers.prepend(std::move(h));
}

void Server::setLatency(int ms)
{
    m_latencyMs = ms;
}

void Server::addHandler(Handler h)
{
    m_handlers.append(std::move(h));
}

void Server::addSiteAddresses(std::function<QStringList()> lister)
{
    m_siteListers.append(std::move(lister));
}

void Server::addFirstPage(const QString& url)
{
    m_firstPages.insert(normalizedUrl(url));
}

QStringList Server::siteAddresses() const
{
    QSet<QString> seen(m_routes.keyBegin(), m_routes.keyEnd());
    QStringList addresses(m_routes.keyBegin(), m_routes.keyEnd());
    for (const auto& lister : m_siteListers) {
        for (const QString& url : lister()) {
            const QString normalized = normalizedUrl(url);
            if (!seen.contains(normalized)) {
                seen.insert(normalized);
                addresses.append(normalized);
            }
        }
    }
    return addresses;
}

bool Server::isFirstPage(const QString& url) const
{
    return m_firstPages.contains(normalizedUrl(url));
}

Response Server::siteAnswer(const QString& url) const
{
    const Parts parts = splitUrl(QUrl(url, QUrl::TolerantMode));
    Request request;
    request.method = "GET";
    request.target = parts.url.toUtf8();
    request.host = parts.host;
    request.path = parts.path;
    request.query = parts.query;
    request.url = parts.url;
    request.headers = {{CaptureHeader, "1"}};
    return siteAnswer(request);
}

void Server::clear()
{
    m_siteListers.clear();
    m_firstPages.clear();
    m_routes.clear();
    m_firstHandlers.clear();
    m_handlers.clear();
    m_log.clear();
}

void Server::clearLog()
{
    m_log.clear();
}

int Server::requestCount() const
{
    return int(m_log.size());
}

int Server::requestCount(const QString& urlPrefix) const
{
    return int(std::count_if(m_log.cbegin(), m_log.cend(),
                             [&](const Request& r) { return r.url.startsWith(urlPrefix); }));
}

QStringList Server::requestLog() const
{
    QStringList lines;
    lines.reserve(m_log.size());
    for (const Request& r : m_log)
        lines.append(QString::fromLatin1(r.method) + QLatin1Char(' ') + r.url);
    return lines;
}

QList<Request> Server::requests() const
{
    return m_log;
}

void Server::logRequestsTo(QIODevice* device)
{
    m_logDevice = device;
}

void Server::setKeepRequests(bool keep)
{
    m_keepRequests = keep;
}

void Server::record(const Request& request)
{
    if (m_logDevice != nullptr) {
        m_logDevice->write(QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + '\t' + request.method +
                           '\t' + request.url.toUtf8() + '\n');
    }
    if (m_keepRequests) {
        m_log.append(request);
    }
}

Response Server::resolve(const Request& request) const
{
    for (const Handler& h : m_firstHandlers) {
        if (std::optional<Response> r = h(request))
            return std::move(*r);
    }
    return siteAnswer(request);
}

Response Server::siteAnswer(const Request& request) const
{
    const auto it = m_routes.constFind(request.url);
    if (it != m_routes.cend())
        return *it;
    for (const Handler& h : m_handlers) {
        if (std::optional<Response> r = h(request))
            return std::move(*r);
    }
    Response notFound;
    notFound.status = 404;
    notFound.body = "not found";
    notFound.headers = {{"Content-Type", "text/plain"}};
    return notFound;
}

} // namespace FakeWeb
