#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QString>

#include <functional>

#include <QCoro/QCoroTask>

class QUrl;

namespace Text {

class RequestStop;

// How the program treats every site it asks for pages and images.
struct SitePolicy
{
    double requestsPerSecond = 0; // requests that start per second and site; 0: as many as the slots take
    int fallbackWaitMs = 30000;   // the wait when a site asks for one without saying how long
    int shortestWaitMs = 1000;    // a site that asks to come back at once is not asked again in a tight loop
    int longestWaitMs = 10 * 60 * 1000; // the most a site is waited for at a time (at most MaxSiteWaitMs)
    int retriesPerItem = 5;             // times one page or image is asked for again after a wait
    // Waits in a row, with no other answer in between, after which a site counts as refusing for good.
    int waitsInARow = 6;
    int refusalsInARow = 3;     // 403 answers in a row that pause a site
    int refusalPauseMs = 60000; // the first such pause; every further one is twice as long
    int refusalPauses = 3;      // pauses after which a site that still refuses is asked no more
    int connectionsPerSite = 0; // requests under way to one site at once; 0: as many as the slots take
};

class SiteGates;

// A request under way to a site: it holds one of the site's connections until it is released or ends.
class [[nodiscard]] SiteTicket
{
public:
    SiteTicket() = default;
    ~SiteTicket() { release(); }
    SiteTicket(SiteTicket&& other) noexcept;
    SiteTicket& operator=(SiteTicket&& other) noexcept;
    SiteTicket(const SiteTicket&) = delete;
    SiteTicket& operator=(const SiteTicket&) = delete;

    void release();

private:
    friend class SiteGates;
    SiteGates* m_gates = nullptr; // the gates outlive every request made through them
    QString m_site;
};

// Keeps the program polite to the sites it backs up: per site, a request starts only when the site is
// not being waited for and its request rate allows; an answer that asks to wait (429, 503) holds the
// whole site for the time it names (Retry-After), and a run of refusals (403) pauses it. Each wait is
// announced once in the status line. A site that keeps asking to wait, or keeps refusing after its
// pauses, is closed: every further request to it fails at once, naming why.
class SiteGates
{
public:
    SitePolicy policy;
    // Shows a text in the status line (a wait that begins, a site that is closed).
    std::function<void(const QString&)> notify;

    // The site an address belongs to (redirectguard.h SiteOf).
    static QString SiteKey(const QUrl& url);

    // Milliseconds until a request to the site may start; 0 when it may start now.
    qint64 msUntilOpen(const QString& site) const;
    // While any site is waited for: what the status line says of the longest wait, with the seconds left
    // ("网站要求稍候，N秒后继续"). Empty when no site is waited for.
    QString waitText() const;
    // A redirect of a request under way is followed: it takes a turn of the site's request rate.
    void tookTurn(const QString& site);
    // Why the site is asked no more; empty while it is.
    QString closedReason(const QString& site) const;
    // A request to the site starts now: it takes the site's turn of the request rate and one of its
    // connections, which the ticket holds until the request ends.
    SiteTicket started(const QString& site);

    // What becomes of a request after its answer: asked again once the site opens, or failed for the
    // reason given (when it is not empty); otherwise the answer stands.
    struct Verdict
    {
        bool again = false;
        QString failure;
    };
    // Notes the status of an answer from the site (with its Retry-After header) to a request that was
    // asked again `retries` times after waits already.
    Verdict answered(const QString& site, int status, const QByteArray& retryAfter, int retries);

private:
    struct Site
    {
        qint64 openAt = 0;   // no request starts before (ms on the clock)
        qint64 nextTurn = 0; // of the request rate
        int waits = 0;       // waits in a row
        int refusals = 0;    // 403 answers in a row
        int pauses = 0;      // for refusals, since the last answer that was no refusal
        QString closed;
        QString pauseWords; // of its wait, "%1" standing for the seconds left
        int underWay = 0;   // requests holding a ticket
    };
    friend class SiteTicket;
    void ended(const QString& site);
    qint64 now() const;
    void tell(const QString& text) const;

    QHash<QString, Site> m_sites;
    QElapsedTimer m_clock;
};

// Waits, while events run, until a request to the site of the address may start, and takes its turn and
// a connection, which the ticket holds.
// Throws RequestFailure naming why when the site is closed, or when stop is stopped meanwhile (the wait
// then ends early).
QCoro::Task<SiteTicket> EnterSite(SiteGates& gates, QString site, RequestStop* stop);

} // namespace Text
