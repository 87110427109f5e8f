#include "discovery/pagesahead.h"

#include "text/failure.h"
#include "text/requeststop.h"

#include <algorithm>
#include <exception>

namespace Discovery {

namespace {

// A fetch that failed before it could start: its failure reaches the walk at its page, in order.
QCoro::Task<QString> FailedFetch(std::exception_ptr failure)
{
    std::rethrow_exception(failure);
    co_return QString();
}

// Keeps the context of a fetch until the fetch has ended, also when nobody awaits it any more, and tells
// the context when it has ended.
template <class Context>
QCoro::Task<QString> Keeping(std::shared_ptr<Context> context, QCoro::Task<QString> fetch)
{
    QString page;
    std::exception_ptr failure;
    try {
        page = co_await std::move(fetch);
    } catch (...) {
        failure = std::current_exception();
    }
    context->ended();
    if (failure) {
        std::rethrow_exception(failure);
    }
    co_return page;
}

} // namespace

struct PagesAhead::Context
{
    Text::RequestStop stop;
    Text::HttpContext http;
    PagesAhead* owner = nullptr; // none once the walk has gone
    int underWay = 0;            // fetches started and not yet ended

    void ended()
    {
        --underWay;
        if (owner != nullptr && !stop.isStopped()) {
            owner->startMore();
        }
    }
};

PagesAhead::PagesAhead(const Text::HttpContext& http, qint64 first, qint64 last, int atOnce, Fetch fetch,
                       FirstPage firstPage)
    : m_context(std::make_shared<Context>()), m_fetch(std::move(fetch)), m_first(first), m_last(last),
      m_atOnce(std::max(1, atOnce)), m_firstPage(firstPage), m_taken(first - 1), m_started(first - 1)
{
    m_context->http = http;
    m_context->http.stop = &m_context->stop;
    m_context->owner = this;
}

PagesAhead::~PagesAhead()
{
    // Fetches nobody will read lose their requests rather than wait for the answers.
    m_context->owner = nullptr;
    m_context->stop.stop();
}

qint64 PagesAhead::lastPageToStart() const
{
    if (m_atOnce == 1 || (m_firstPage == FirstPage::Alone && m_taken <= m_first)) {
        return m_taken;
    }
    // Up to atOnce pages under way and about as many fetched, waiting to be read.
    return m_taken + 2 * qint64(m_atOnce) - 1;
}

void PagesAhead::startMore()
{
    // A fetch that ends at once starts no page of its own: the loop below goes on instead.
    if (m_starting || m_context->stop.isStopped()) {
        return;
    }
    m_starting = true;
    while (m_context->underWay < m_atOnce && m_started < std::min(lastPageToStart(), m_last)) {
        ++m_started;
        ++m_context->underWay;
        try {
            m_underWay.push_back(Keeping(m_context, m_fetch(m_context->http, m_started)));
        } catch (...) {
            --m_context->underWay;
            m_underWay.push_back(FailedFetch(std::current_exception()));
        }
    }
    m_starting = false;
}

QCoro::Task<QString> PagesAhead::next()
{
    if (m_taken >= m_last) {
        throw Text::Failure(QStringLiteral("no list page after page %1").arg(m_last));
    }
    ++m_taken;
    startMore();
    QCoro::Task<QString> page = std::move(m_underWay.front());
    m_underWay.pop_front();
    co_return co_await std::move(page);
}

QCoro::Task<> PagesAhead::stop(std::exception_ptr failure)
{
    m_context->stop.stop();
    while (!m_underWay.empty()) {
        QCoro::Task<QString> fetch = std::move(m_underWay.front());
        m_underWay.pop_front();
        try {
            co_await std::move(fetch);
        } catch (...) {
            // Called off, or failed: nobody reads this page.
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace Discovery
