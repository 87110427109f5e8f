#include "discovery/announcedarticles.h"

#include "discovery/entrylists.h"
#include "model/runstate.h"

#include <algorithm>

namespace Discovery {

void AnnounceArticles(Model::RunState& state, qint64 count)
{
    if (count >= 0 && count <= MaxListArticles) {
        state.announcedArticles = int(count);
    }
}

int DiscoveryShortfall(const Model::RunState& state)
{
    if (!state.announcedArticles) {
        return 0;
    }
    return std::max(0, *state.announcedArticles - state.articles.articleCount());
}

int DiscoverySurplus(const Model::RunState& state)
{
    if (!state.announcedArticles) {
        return 0;
    }
    return std::max(0, state.articles.articleCount() - *state.announcedArticles);
}

} // namespace Discovery
