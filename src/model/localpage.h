#pragma once

#include <QString>

namespace Model {

// What stands at the place of an article's local page.
enum class LocalPage {
    Missing,  // no page file
    Article,  // a page that holds the article
    Fallback, // the program's own page that points to the article's web address instead
};

// The mark that opens the body of every fallback page, so that a later run knows the page for what it is
// whatever the record of the task folder says.
QString FallbackPageMark();

// Looks at the page file: only a small file can be a fallback page, and only its opening is read. Pages
// written before the mark existed are known by the sentence they open with.
LocalPage InspectLocalPage(const QString& path);

} // namespace Model
