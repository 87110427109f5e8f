#pragma once

#include "text/failure.h"

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

} // namespace Discovery
