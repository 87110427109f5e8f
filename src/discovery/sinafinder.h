#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Model {
class RunState;
}

// The parts of the Sina finder (FindSinaArticles in discovery/finders.h) that work on one page.
namespace Discovery {

// Sina list pages show 50 articles each.
inline constexpr int SinaPageSize = 50;

// The addresses of the list pages that hold count articles: the first-page address without its last six
// characters ("1.html"), then the page number and ".html". Throws Text::Failure for a count no blog can
// have or an address shorter than six characters.
QStringList SinaListPageAddresses(qint64 count, const QString& firstPageAddress);

// Appends those addresses to the list box, the finder's queue.
void AddSinaListPages(Model::RunState& state, qint64 count, const QString& firstPageAddress);

// Plans the walk from the blog's first article-list page: queues the list pages of every category, of
// the favourites and of all articles, in the order their lines appear, and announces the rows a complete
// walk appends (all articles plus the favourites). Throws Text::Failure when a count is not a whole
// number; the pages planned before stay queued, and no count is announced.
void PlanSinaListPages(Model::RunState& state, const QString& page);

// One article as a list page shows it; the title is as on the page (not yet made a safe name).
struct SinaListEntry
{
    QString title;
    QString link; // "blog_" + identifier + ".html"
    QString date;
};

struct SinaListPage
{
    bool favourites = false;
    // The list the page shows: "全部博文" for the all-articles pages, else the category's name.
    QString category;
    QList<SinaListEntry> entries;
    // A title or date was missing, or a field could not be cut: entries ends before that article.
    bool incomplete = false;
};

// Reads the articles of a list page (favourites, all articles or one category).
SinaListPage ReadSinaListPage(const QString& page);

} // namespace Discovery
