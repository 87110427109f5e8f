#pragma once

#include <QByteArray>
#include <QDateTime>

#include <optional>

namespace Text {

// The longest a site is waited for at a time, whatever it asks for.
constexpr int MaxSiteWaitMs = 10 * 60 * 1000;

// The wait, in milliseconds, that a Retry-After header asks for: a number of seconds or an HTTP date
// (which may lie in the past: the wait is then below 0). A count beyond any sensible wait (days, or more
// digits than a number holds) gives MaxSiteWaitMs. None when the header is missing or says neither (a
// negative number, a date that is no date).
std::optional<qint64> RetryAfterMs(const QByteArray& header, const QDateTime& now);

} // namespace Text
