#pragma once

#include <QString>

#include <algorithm>

namespace Model {

// Whether a 51cto account name is of the later form "u_" and a number, whose blog lives under the site's
// blog host ("blog.51cto.com/u_<number>/<article>") instead of a sub-domain of its own (a host name
// cannot hold the "_").
inline bool IsCto51UserPath(const QString& taskName)
{
    return taskName.size() > 2 && taskName.startsWith(QStringLiteral("u_")) &&
           std::all_of(taskName.begin() + 2, taskName.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace Model
