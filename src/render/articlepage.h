#pragma once

#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Render {

// What became of a downloaded article page. The outcomes without the article want the page that points
// to the web address: the caller records the outcome first and then writes that page with
// SaveFallbackPage, so that a kill between the two never leaves a failure unrecorded.
enum class PageOutcome {
    Written,                // the article's page was written
    WrittenWithoutComments, // written, but its comments could not be counted
    Deleted,                // the blog's own notice says the article is deleted, closed or locked
    LoginNeeded,            // the blog's notice says only its author, logged in, may read the article
    SiteMarkOnly, // no body, only a mark that every page of the site carries (its footer, say): deleted,
                  // or a busy or login page served in its place
    Bodiless,     // a page without body and without any mark, where the platform has no marks to look for
    GaveUp,       // no body after the last attempt
    TryAgain,     // no body was found: the row's mark was emptied so that it is fetched again
};

// Whether the outcome wants the page that points to the web address.
bool WantsFallbackPage(PageOutcome outcome);

// Turns the text of a downloaded article page into the article's local page: cuts out the body, has
// the images rewritten, puts the header in front, lets the comments be appended and writes the page
// into the category folder. Throws Text::Failure when a step fails (nothing is written then). A page
// that holds the article already is only ever replaced by a page of the article.
QCoro::Task<PageOutcome> SaveArticlePage(Model::RunState& state, QString page, int row);

// For a row whose page holds its article already: adds the comments it was saved without, when the task
// wants comments and the page has none. The article is not fetched again. Written or
// WrittenWithoutComments; throws Text::Failure when the page cannot be read or written.
QCoro::Task<PageOutcome> CompleteSavedPage(Model::RunState& state, int row);

// Writes the page that points to the article's web address, for a row whose download keeps failing. A
// page that holds the article is left as it is: false then.
bool SaveFallbackPage(Model::RunState& state, int row);

// The text of that page.
QString FallbackPage(const Model::RunState& state, int row);

} // namespace Render
