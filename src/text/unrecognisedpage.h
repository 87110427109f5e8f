#pragma once

#include "text/failure.h"

#include <QString>

namespace Text {

// The opening of every text that says a page was served but matches no layout the program knows: the
// site has changed (or the address leads to a page of another kind). It is followed by what was missing.
inline QString UnrecognisedPageText()
{
    return QStringLiteral("页面格式无法识别：缺少");
}

// Whether a failure reason says that (as against a network fault).
inline bool IsUnrecognisedPage(const QString& reason)
{
    return reason.startsWith(UnrecognisedPageText());
}

// A page that answered but holds none of what the reader looks for: a list page without any of the
// expected rows, or the page a count is read from without it. It ends a search.
class UnrecognisedPage : public Failure
{
public:
    // The page at address lacks what missing names (a marker, a pattern, in the user's words).
    UnrecognisedPage(QString address, QString missing)
        : Failure(UnrecognisedPageText() + missing + QStringLiteral("（") + address + QStringLiteral("）")),
          m_address(std::move(address)), m_missing(std::move(missing))
    {
    }
    const QString& address() const noexcept { return m_address; }
    const QString& missing() const noexcept { return m_missing; }

private:
    QString m_address;
    QString m_missing;
};

} // namespace Text
