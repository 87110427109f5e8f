#pragma once

#include "response.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace FakeWeb {

class Server;
struct IndexEntry;

// What a web archive of the fake web's sites holds.
struct ArchiveOptions
{
    QString host = QStringLiteral("web.archive.org"); // the archive's host for proxied and https requests
    QStringList dates = {QStringLiteral("20130615080000")}; // every capture's timestamps, oldest first
    double missing = 0; // the fraction of addresses (by a hash of address and seed) without captures
    quint32 seed = 0;
    QList<QRegularExpression> drop;     // addresses without captures
    QList<QRegularExpression> notFound; // captures of the site's own "not found" or login page
    QList<QRegularExpression> gone;     // captures of the archive's own error page, with status 200
    QList<QRegularExpression> loop;     // replays that redirect between two captures for ever
    QList<QRegularExpression> cut;      // captures cut off in the middle
    QList<QRegularExpression> recode;   // captures in the other character set (UTF-8 and GBK swapped)
    enum class Index { Normal, Broken, Truncated, None } index = Index::Normal;

    // Reads "host=web.archive.org,dates=20120101000000;20150601120000,missing=0.2,seed=7,drop=REGEX,
    // notfound=REGEX,gone=REGEX,loop=REGEX,cut=REGEX,recode=REGEX,cdx=broken|truncated|none". Every key is
    // optional; the pattern keys may be given again for further patterns, and a comma ends a value only where
    // the next key follows, so patterns may hold commas. A date may be shorter than 14 digits ("20120101").
    // Empty with *error set when a key or value is wrong.
    static std::optional<ArchiveOptions> parse(const QString& text, QString* error = nullptr);
};

// A web archive of the sites the server plays, answering as the Wayback Machine does: raw replays of
// captures at "/web/<timestamp><mode>/<original address>" ("id_" for pages, "im_" for images) and the
// capture index at "/cdx/search/cdx", for requests to its host (proxied, or https through a tunnel) and to
// the server's own address. A capture holds what the site serves for the address today.
class WebArchive
{
public:
    WebArchive(const Server& server, ArchiveOptions options);
    ~WebArchive();

    // The archive's answer, or none for a request that is not the archive's.
    std::optional<Response> answer(const Request& request) const;

    // Whether the archive has captures of the address ("http://host/path?query").
    bool holds(const QString& url) const;
    const ArchiveOptions& options() const { return m_options; }
    const Server& server() const { return m_server; }
    // Every address with captures, sorted by its key; made when first asked for.
    const QList<IndexEntry>& index() const;

private:
    Response replay(const QString& base, const QString& timestamp, const QString& mode,
                    const QString& original) const;

    const Server& m_server;
    ArchiveOptions m_options;
    mutable std::unique_ptr<QList<IndexEntry>> m_index;
};

// The archive's own page for an address it has no capture of ("Hrm. ...").
Response notArchivedPage();

// Puts the archive before the sites; faults added afterwards still go first, so a burst of 429 answers
// can be aimed at "/web/" or "/cdx/" addresses.
void installArchive(Server& server, const ArchiveOptions& options);

// The fakeweb executable's --archive option: a wrong text ends the program with a message.
void installArchiveOption(Server& server, const QString& arg);

} // namespace FakeWeb
