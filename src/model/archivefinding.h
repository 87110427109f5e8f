#pragma once

#include <QString>

namespace Model {

// How the rows of a blog taken from a web archive were found: from its captured list pages, and from the
// archive's index of captured addresses (the articles the list pages missed).
struct ArchiveFinding
{
    int fromLists = 0;
    int fromIndex = 0;
    QString indexProblem; // why the index could not be read (whole); empty when it could
    // A list page the archive holds no capture of, which ended the list pages' search (the index stood in).
    QString missingList;

    // "列表页找到N篇，存档索引补充M篇" and, where the index failed, why.
    QString describe() const
    {
        QString text = QStringLiteral("列表页找到%1篇，存档索引补充%2篇").arg(fromLists).arg(fromIndex);
        if (!missingList.isEmpty()) {
            text += QStringLiteral("（") + missingList + QStringLiteral("）");
        }
        if (!indexProblem.isEmpty()) {
            text += QStringLiteral("（存档索引：") + indexProblem + QStringLiteral("）");
        }
        return text;
    }
};

} // namespace Model
