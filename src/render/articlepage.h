#pragma once

#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Render {

// What became of a downloaded article page.
enum class PageOutcome {
    Written,                // the article's page was written
    WrittenWithoutComments, // written, but its comments could not be counted
    Deleted,  // the blog says the article is deleted or locked: the page that points to its web address
    GaveUp,   // no body after the last attempt: the page that points to the web address was written
    TryAgain, // no body was found: the row's mark was emptied so that it is fetched again
};

// Turns the text of a downloaded article page into the article's local page: cuts out the body, has
// the images rewritten, puts the header in front, lets the comments be appended and writes the page
// into the category folder. Throws Text::Failure when a step fails (nothing is written then).
QCoro::Task<PageOutcome> SaveArticlePage(Model::RunState& state, QString page, int row);

// Writes the page that points to the article's web address, for a row whose download keeps failing.
void SaveFallbackPage(Model::RunState& state, int row);

// The text of that page.
QString FallbackPage(const Model::RunState& state, int row);

} // namespace Render
