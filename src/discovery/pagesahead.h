#pragma once

#include "text/pagefetch.h"

#include <QString>

#include <QCoro/QCoroTask>

#include <deque>
#include <exception>
#include <functional>
#include <memory>

// Fetching the list pages of a walk ahead of the page whose rows are being appended.
namespace Discovery {

// How many list pages a walk fetches at once where every list-page address is known before the walk
// reads its first list page.
inline constexpr int ListPagesAtOnce = 5;

// Hands out the pages first to last strictly in order while keeping up to `atOnce` of them under way:
// the page handed out and those after it. The first page is fetched alone, so a walk whose first list
// page cannot be read asks for no other; from the second page on the fetches run ahead. With atOnce 1
// every page is requested only when it is taken, after the page before it has been read, so `fetch`
// may depend on what the walk read from that page.
//
// fetch(http, page) starts the fetch of one page through the given context, which stop() can call off
// and which lasts as long as any fetch made through it; what fetch returns must hold everything else it
// needs by value. A fetch's failure reaches the walk when it takes that page, never earlier. A walk
// that ends awaits stop(), so that no fetch is left running; a PagesAhead that goes without that calls
// its fetches off.
class PagesAhead
{
    Q_DISABLE_COPY_MOVE(PagesAhead)

public:
    using Fetch = std::function<QCoro::Task<QString>(Text::HttpContext& http, qint64 page)>;

    PagesAhead(const Text::HttpContext& http, qint64 first, qint64 last, int atOnce, Fetch fetch);
    ~PagesAhead();

    // The next page, from first on; throws what its fetch threw. Not called beyond the last page.
    QCoro::Task<QString> next();

    // Calls off the fetches still under way and waits until each has ended; then throws the failure
    // that ended the walk, if there is one.
    QCoro::Task<> stop(std::exception_ptr failure = nullptr);

private:
    void startUpTo(qint64 page);

    // The context of the fetches, kept alive by each of them.
    struct Context;
    std::shared_ptr<Context> m_context;
    Fetch m_fetch;
    std::deque<QCoro::Task<QString>> m_underWay; // pages m_taken + 1 onwards, in order
    qint64 m_first;
    qint64 m_last;
    int m_atOnce;
    qint64 m_taken;   // the last page handed out, m_first - 1 before the first
    qint64 m_started; // the last page whose fetch was started
};

} // namespace Discovery
