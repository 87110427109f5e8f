#pragma once

#include "text/failure.h"
#include "text/textprimitives.h"

#include <QString>
#include <QStringList>

namespace Discovery {

// Element j of a pattern list. The lists of one page run in step (element j of each belongs to the same
// article), so a list that is shorter than the entry list ends the finder here, like any other failure.
inline const QString& EntryAt(const QStringList& list, qsizetype j)
{
    if (j < 0 || j >= list.size()) {
        throw Text::Failure(
            QStringLiteral("list ends after %1 elements, element %2 wanted").arg(list.size()).arg(j + 1));
    }
    return list.at(j);
}

// No blog has this many articles in one list; a larger count is a damaged page, not a plan.
inline constexpr qint64 MaxListArticles = 1000000;

// prefix + "1.html", prefix + "2.html", ...: one list page for every pageSize articles begun, none for a
// count of 0 or less. Throws Text::Failure for a count above MaxListArticles.
inline QStringList NumberedListPages(const QString& prefix, qint64 count, int pageSize)
{
    if (count > MaxListArticles) {
        throw Text::Failure(QStringLiteral("implausible article count %1").arg(count));
    }
    QStringList pages;
    for (qint64 page = 1; count > 0; ++page, count -= pageSize) {
        pages.append(prefix + Text::Num(page) + QStringLiteral(".html"));
    }
    return pages;
}

} // namespace Discovery
