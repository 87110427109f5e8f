#pragma once

#include "response.h"

#include <QHash>
#include <QIODevice>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSslCertificate>
#include <QSslKey>
#include <QStringList>
#include <QTcpServer>

#include <functional>
#include <optional>

namespace FakeWeb {

namespace detail {
class Connection;

// Takes every connection as a socket that can turn secure once a client asks for a tunnel.
class TunnelingTcpServer : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override;
};
} // namespace detail

// A small HTTP/1.1 server on 127.0.0.1 that plays the web for tests, the demo and the benchmarks.
// It answers proxy-style requests ("GET http://host/path HTTP/1.1") and origin-form requests with a
// Host header, keeps connections alive and runs entirely on the event loop of its thread.
class Server : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Server)

public:
    using Handler = std::function<std::optional<Response>(const Request&)>;

    explicit Server(QObject* parent = nullptr);
    ~Server() override;

    bool listen(quint16 port = 0); // 127.0.0.1 only; 0 picks a free port
    quint16 port() const;

    // Serves `r` at the exact "http://host/path?query" (the query is optional); replaces an existing
    // route for the same address.
    void addRoute(const QString& url, const Response& r);
    // Handlers are consulted in the order they were added when no fixed route matches; the first
    // that returns a response answers. Unmatched requests get 404 with the body "not found".
    void addHandler(Handler h);
    // A handler consulted before all others and before the fixed routes (a failing part of the web,
    // say); the one added last goes first.
    void addFirstHandler(Handler h);
    // Every answer without a delay of its own waits this long (a slow network); 0 answers at once.
    void setLatency(int ms);
    // Writes a line for every request into `device`: the arrival time in milliseconds since the epoch,
    // the method and the address, separated by tabs. Null stops it.
    void logRequestsTo(QIODevice* device);
    // A server that runs for long keeps no requests in memory; requestCount() and the logs stay empty.
    void setKeepRequests(bool keep);
    // Answers CONNECT requests (the way a client asks a proxy for an https site) with a tunnel in which
    // this server itself plays the https site with the certificate and key given; its requests arrive
    // with "https://" addresses. Without it a CONNECT gets 400.
    void setTls(const QSslCertificate& certificate, const QSslKey& key);
    // The addresses the sites hold, for a web archive's index: every fixed route and the addresses
    // `lister` names (for sites that answer through handlers). Listers are asked when the index is made.
    void addSiteAddresses(std::function<QStringList()> lister);
    // A site's first page (a blog's address, where a backup starts), which an archive always holds.
    void addFirstPage(const QString& url);
    QStringList siteAddresses() const; // normalised, without duplicates
    bool isFirstPage(const QString& url) const;
    // The sites' own answer to a GET of `url`: the fixed routes and the handlers, none of the first
    // handlers (a failing part of the web, an archive). The request carries the header CaptureHeader:
    // an archive's captures were made years ago, so a site may answer as it did then.
    Response siteAnswer(const QString& url) const;
    static constexpr char CaptureHeader[] = "X-Fakeweb-Capture";
    void clear();    // routes, handlers, site addresses and the request log
    void clearLog(); // the request log only

    int requestCount() const; // every request received, answered or not
    int requestCount(const QString& urlPrefix) const;
    QStringList requestLog() const;  // "GET http://host/path?query" in arrival order
    QList<Request> requests() const; // the same, with the bodies of POST requests

    // The key under which a route for `url` is stored, and the form Request::url takes.
    static QString normalizedUrl(const QString& url);

private:
    friend class detail::Connection;
    void record(const Request& request);
    Response resolve(const Request& request) const;
    Response siteAnswer(const Request& request) const;

    detail::TunnelingTcpServer m_tcp;
    QSslCertificate m_certificate;
    QSslKey m_key;
    QHash<QString, Response> m_routes;
    QList<Handler> m_firstHandlers;
    QList<Handler> m_handlers;
    QList<std::function<QStringList()>> m_siteListers;
    QSet<QString> m_firstPages;
    QList<Request> m_log;
    QIODevice* m_logDevice = nullptr;
    bool m_keepRequests = true;
    QSet<detail::Connection*> m_connections;
    int m_latencyMs = 0;
};

} // namespace FakeWeb
