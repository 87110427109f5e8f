#include "text/sitegate.h"

#include "text/failure.h"
#include "text/networkfailure.h"
#include "text/pagefetch.h"
#include "text/redirectguard.h"
#include "text/requeststop.h"
#include "text/retryafter.h"

#include <QDateTime>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <utility>

namespace Text {

namespace {

constexpr int ConnectionPollMs = 50;

QString Seconds(qint64 milliseconds)
{
    return QString::number((milliseconds + 999) / 1000);
}

} // namespace

QString SiteGates::SiteKey(const QUrl& url)
{
    return SiteOf(url.host());
}

qint64 SiteGates::now() const
{
    return m_clock.isValid() ? m_clock.elapsed() : 0;
}

void SiteGates::tell(const QString& text) const
{
    if (notify) {
        notify(text);
    }
}

SiteTicket::SiteTicket(SiteTicket&& other) noexcept
    : m_gates(std::exchange(other.m_gates, nullptr)), m_site(std::move(other.m_site))
{
}

SiteTicket& SiteTicket::operator=(SiteTicket&& other) noexcept
{
    if (this != &other) {
        release();
        m_gates = std::exchange(other.m_gates, nullptr);
        m_site = std::move(other.m_site);
    }
    return *this;
}

void SiteTicket::release()
{
    if (SiteGates* gates = std::exchange(m_gates, nullptr)) {
        gates->ended(m_site);
    }
}

qint64 SiteGates::msUntilOpen(const QString& site) const
{
    const auto it = m_sites.constFind(site);
    if (it == m_sites.cend()) {
        return 0;
    }
    const qint64 wait = std::max<qint64>(0, std::max(it->openAt, it->nextTurn) - now());
    if (wait == 0 && policy.connectionsPerSite > 0 && it->underWay >= policy.connectionsPerSite) {
        // Every connection is taken: look again soon (a request ends unannounced to the waiters).
        return ConnectionPollMs;
    }
    return wait;
}

void SiteGates::tookTurn(const QString& site)
{
    if (!m_clock.isValid()) {
        m_clock.start();
    }
    if (policy.requestsPerSecond > 0) {
        Site& state = m_sites[site];
        // A little over the interval, so that requests that reach the site late or early by a few
        // milliseconds still keep to the rate there.
        const auto gap = qint64(std::ceil(1000.0 / policy.requestsPerSecond * 1.02));
        state.nextTurn = std::max(state.nextTurn, now()) + gap;
    }
}

QString SiteGates::waitText() const
{
    const qint64 time = now();
    const Site* longest = nullptr;
    for (const Site& site : m_sites) {
        if (site.openAt > time && (longest == nullptr || site.openAt > longest->openAt)) {
            longest = &site;
        }
    }
    return longest == nullptr ? QString() : longest->pauseWords.arg(Seconds(longest->openAt - time));
}

QString SiteGates::closedReason(const QString& site) const
{
    return m_sites.value(site).closed;
}

SiteTicket SiteGates::started(const QString& site)
{
    if (!m_clock.isValid()) {
        m_clock.start();
    }
    ++m_sites[site].underWay;
    SiteTicket ticket;
    ticket.m_gates = this;
    ticket.m_site = site;
    tookTurn(site);
    return ticket;
}

void SiteGates::ended(const QString& site)
{
    const auto it = m_sites.find(site);
    if (it != m_sites.end() && it->underWay > 0) {
        --it->underWay;
    }
}

SiteGates::Verdict SiteGates::answered(const QString& site, int status, const QByteArray& retryAfter,
                                       int retries)
{
    if (!m_clock.isValid()) {
        m_clock.start();
    }
    Site& state = m_sites[site];
    Verdict verdict;
    if (status == 429 || status == 503) {
        if (!state.closed.isEmpty()) {
            verdict.failure = state.closed;
            return verdict;
        }
        const qint64 asked =
            RetryAfterMs(retryAfter, QDateTime::currentDateTimeUtc()).value_or(policy.fallbackWaitMs);
        const qint64 wait = std::clamp<qint64>(
            asked, policy.shortestWaitMs,
            std::max(policy.shortestWaitMs, std::min(policy.longestWaitMs, MaxSiteWaitMs)));
        if (state.openAt <= now()) {
            // A new wait; answers to requests that were under way when it began belong to it.
            if (++state.waits > policy.waitsInARow) {
                state.closed = QStringLiteral("网站一直要求稍候（%1），已等待%2次")
                                   .arg(HttpStatusWords(status))
                                   .arg(policy.waitsInARow);
                tell(state.closed + QStringLiteral("（") + site + QStringLiteral("）"));
                verdict.failure = state.closed;
                return verdict;
            }
        }
        if (now() + wait > state.openAt) {
            state.openAt = now() + wait;
            state.pauseWords = QStringLiteral("网站要求稍候，%1秒后继续（") + site + QStringLiteral("）");
            tell(state.pauseWords.arg(Seconds(wait)));
        }
        if (retries >= policy.retriesPerItem) {
            verdict.failure =
                retries == 0
                    ? HttpStatusWords(status)
                    : QStringLiteral("%1，等待%2次后仍是如此").arg(HttpStatusWords(status)).arg(retries);
        } else {
            verdict.again = true;
        }
        return verdict;
    }
    if (status == 403) {
        // Refusals to requests that were under way when a pause began belong to that pause.
        if (state.closed.isEmpty() && state.openAt <= now() && ++state.refusals >= policy.refusalsInARow) {
            state.refusals = 0;
            if (++state.pauses > policy.refusalPauses) {
                state.closed =
                    QStringLiteral("网站一直拒绝访问（%1），不再向它请求").arg(HttpStatusWords(status));
                tell(state.closed + QStringLiteral("（") + site + QStringLiteral("）"));
            } else {
                const qint64 pause = qint64(policy.refusalPauseMs) << (state.pauses - 1);
                state.openAt = now() + pause;
                state.pauseWords = QStringLiteral("网站连续拒绝访问（") + HttpStatusWords(status) +
                                   QStringLiteral("），暂停%1秒后继续（") + site + QStringLiteral("）");
                tell(state.pauseWords.arg(Seconds(pause)));
            }
        }
        return verdict;
    }
    if (status > 0) {
        state.waits = 0;
        state.refusals = 0;
        if (status >= 200 && status < 300) {
            state.pauses = 0;
        }
    }
    return verdict;
}

QCoro::Task<SiteTicket> EnterSite(SiteGates& gates, QString site, RequestStop* stop)
{
    for (;;) {
        if (const QString closed = gates.closedReason(site); !closed.isEmpty()) {
            throw RequestFailure(closed);
        }
        if (stop != nullptr && stop->isStopped()) {
            throw RequestFailure(QStringLiteral("已取消"));
        }
        const qint64 wait = gates.msUntilOpen(site);
        if (wait <= 0) {
            co_return gates.started(site);
        }
        if (stop != nullptr) {
            co_await PauseUnlessStopped(*stop, int(wait));
        } else {
            co_await Pause(int(wait));
        }
    }
}

} // namespace Text
