#pragma once

#include <QtGlobal>

namespace Model {
class RunState;
}

// The number of articles a blog announces (a total on its pages, the count of a list service): finders
// record it, and the end of a search holds it against the rows found.
namespace Discovery {

// Records count as the blog's announced number of articles. A count no blog can have (negative, or
// beyond any list) is not recorded.
void AnnounceArticles(Model::RunState& state, qint64 count);

// How many articles the blog announces beyond the rows the search found: the announced count minus the
// rows of the article list when that is positive, else 0 (also when the blog announced no count).
int DiscoveryShortfall(const Model::RunState& state);

// How many rows the search found beyond the count the blog announces, else 0. More rows than the blog
// has articles is no loss but a sign that something was read wrongly or twice.
int DiscoverySurplus(const Model::RunState& state);

} // namespace Discovery
