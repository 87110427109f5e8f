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

// Keeps the context of a fetch until the fetch has ended, also when nobody awaits it any more.
template <class Context>
QCoro::Task<QString> Keeping([[maybe_unused]] std::shared_ptr<Context> context, QCoro::Task<QString> fetch)
{
    co_return co_await std::move(fetch);
}

} // namespace

struct PagesAhead::Context
{
    Text::RequestStop stop;
    Text::HttpContext http;
};

PagesAhead::PagesAhead(const Text::HttpContext& http, qint64 first, qint64 last, int atOnce, Fetch fetch)
    : m_context(std::make_shared<Context>()), m_fetch(std::move(fetch)), m_first(first), m_last(last),
      m_atOnce(std::max(1, atOnce)), m_taken(first - 1), m_started(first - 1)
{
    m_context->http = http;
    m_context->http.stop = &m_context->stop;
}

PagesAhead::~PagesAhead()
{
    // Fetches nobody will read lose their requests rather than wait for the answers.
    m_context->stop.stop();
}

void PagesAhead::startUpTo(qint64 page)
{
    for (const qint64 end = std::min(page, m_last); m_started < end;) {
        ++m_started;
        try {
            m_underWay.push_back(Keeping(m_context, m_fetch(m_context->http, m_started)));
        } catch (...) {
            m_underWay.push_back(FailedFetch(std::current_exception()));
        }
    }
}

QCoro::Task<QString> PagesAhead::next()
{
    if (m_taken >= m_last) {
        throw Text::Failure(QStringLiteral("no list page after page %1").arg(m_last));
    }
    ++m_taken;
    // The first page alone; after it, the page taken and those after it up to atOnce in all.
    startUpTo(m_taken == m_first ? m_taken : m_taken + m_atOnce - 1);
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
