#pragma once

#include "discovery/listpagewalk.h"

#include <optional>

// The descriptions of the platforms read by the list-page walk.
namespace Discovery::ListPages {

// Every list-page address begins with it.
inline const QString Http = QStringLiteral("http://");

// A field cut once from one list.
inline FieldRule From(FieldSource source, QString start, QString end, int skip, bool trim = false)
{
    FieldRule rule;
    rule.source = source;
    rule.cuts = {Cut{std::move(start), std::move(end), skip}};
    rule.trim = trim;
    return rule;
}

// The same text for every entry.
inline FieldRule Fixed(QString text)
{
    FieldRule rule;
    rule.source = FieldSource::Fixed;
    rule.fixed = std::move(text);
    return rule;
}

// Pages 1 to count.
inline void PagesOneTo(WalkState& walk, qint64 count)
{
    walk.firstPageNumber = 1;
    walk.lastPageNumber = count;
    walk.pageCount = count;
}

ListPagePlatform Baidu();
ListPagePlatform Hexun();
ListPagePlatform Sohu();
ListPagePlatform Tianya();
ListPagePlatform Tianya2();
ListPagePlatform Cto51();

// iFeng from startPage on, page 1 without one. A start page resumes an interrupted search: the rows
// loaded for it are not appended again.
ListPagePlatform Ifeng(std::optional<int> startPage);
ListPagePlatform Yaolan();
ListPagePlatform Csdn();
ListPagePlatform ChinaUnix();
ListPagePlatform Cersp();
ListPagePlatform CerspEblog();

// The address of the data script that an iFeng list page names, or "" when it names none.
QString IfengDataScriptAddress(const QString& listPage);

} // namespace Discovery::ListPages
