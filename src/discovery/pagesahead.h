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

// Hands out the pages first to last strictly in order while keeping up to `atOnce` of them under way.
// A fetch that ends starts the next page at once, whether or not the walk has taken the pages before
// it, as long as fewer than `atOnce` fetched pages wait to be taken: the connections stay busy while
// the walk reads. Unless told otherwise the first page is fetched alone, so a walk whose first list
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

    enum class FirstPage { Alone, WithTheRest };

    PagesAhead(const Text::HttpContext& http, qint64 first, qint64 last, int atOnce, Fetch fetch,
               FirstPage firstPage = FirstPage::Alone);
    ~PagesAhead();

    // The next page, from first on; throws what its fetch threw. Not called beyond the last page.
    QCoro::Task<QString> next();

    // Calls off the fetches still under way and waits until each has ended; then throws the failure
    // that ended the walk, if there is one.
    QCoro::Task<> stop(std::exception_ptr failure = nullptr);

private:
    // Starts pages while fewer than atOnce are under way and the walk may have them fetched.
    void startMore();
    qint64 lastPageToStart() const;

    // The context of the fetches, kept alive by each of them.
    struct Context;
    std::shared_ptr<Context> m_context;
    Fetch m_fetch;
    std::deque<QCoro::Task<QString>> m_underWay; // pages started and not handed out, in order
    qint64 m_first;
    qint64 m_last;
    int m_atOnce;
    FirstPage m_firstPage;
    qint64 m_taken;   // the last page handed out, m_first - 1 before the first
    qint64 m_started; // the last page whose fetch was started
    bool m_starting = false;
};

} // namespace Discovery
