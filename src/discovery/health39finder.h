#pragma once

#include <QString>

namespace Model {
class RunState;
}

namespace Discovery {

// 39 health lists 25 articles a page. Queues prefix + "1.html", prefix + "2.html", ... in the list box, one
// page for every 25 articles begun: 26 articles give two pages, 25 one, 0 none.
void AddListPages(Model::RunState& state, qint64 count, const QString& prefix);

// The category number of a queued list page (".../ArticleList_" + number + "_" + page + ".html"); 0 stands
// for the all-articles list.
int Health39CategoryNumber(const QString& listPageAddress);

} // namespace Discovery
