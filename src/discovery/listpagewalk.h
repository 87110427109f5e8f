#pragma once

#include "discovery/rowlayouts.h"
#include "text/failure.h"
#include "text/pagefetch.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <functional>
#include <optional>

namespace Model {
class RunState;
}

// The loop shared by the finders of platforms that publish their articles as numbered list pages. Each
// platform is described as data (addresses, patterns, marker pairs); the few places where a platform
// departs from the common loop are small hooks of the same description.
namespace Discovery {

// What a walk learns before its loop and keeps for every list page.
struct WalkState
{
    QString blogAddress;      // as the finder received it
    QString taskName;         // the task name when the walk began
    QString firstPageAddress; // the page the page count is read from
    QString firstPage;
    QString key;          // a value read from the first page for later use (fragment key, user number)
    QString previousPage; // the list page read last, as it was fetched
    qint64 firstPageNumber = 1;
    qint64 lastPageNumber = 0; // inclusive; below the first page number no page is read
    qint64 pageCount = 0;      // shown in the status line
    // The number of articles the blog announces, when readPages found one that the walk's rows match.
    std::optional<qint64> announcedArticles;
};

// One cut: the text between the first start marker and the end marker found skip characters after it.
struct Cut
{
    QString start;
    QString end;
    int skip = 0;
};

// Which list of a page a field is cut from. Index j of every list belongs to the same article.
enum class FieldSource {
    Entry,    // the entry list (the matches of the entry pattern, or the pieces of a pattern-free page)
    Title,    // the matches of the title pattern
    Date,     // the matches of the date pattern
    Category, // the matches of the category pattern
    Block,    // the category read from the page's blocks, taken as it is
    Fixed,    // the same text for every entry
};

struct FieldRule
{
    FieldSource source = FieldSource::Entry;
    QList<Cut> cuts;   // applied in turn, each to what the one before left
    bool trim = false; // blanks removed from both ends after the cuts
    QString suffix;    // appended after the cuts
    QString fixed;     // the field when the source is Fixed
    // The last step, after the cuts, the trim and the suffix (a field without cuts gets its whole
    // element): a file-name clean-up, a default for an empty text, a choice made from the element.
    std::function<QString(const QString&)> finish;
};

using Replacements = QList<QPair<QString, QString>>;

// One platform of the walk. Patterns, markers and replacements are stored with '#' for a double quote.
struct ListPagePlatform
{
    QString charset = QStringLiteral("GB2312"); // of every page

    // First page: the blog address unless firstPageAddress says otherwise, fetched until it answers (a
    // 404 or 410 is an answer: the blog does not exist) or until it answers with a page. With firstPageFile
    // set, its text is also written to that file of the program folder.
    bool firstPageUntilOk = false;
    std::function<QString(const WalkState&)> firstPageAddress;
    QString firstPageFile;

    // Reads the page count and loop bounds (and the key, and the blog's article total when it shows one)
    // from the first page. A count that is not a number throws Text::Failure.
    std::function<void(WalkState&)> readPages;

    // The address of list page i. With firstPageIsListPage, the first list page is the first page
    // itself and is not fetched again.
    std::function<QString(const WalkState&, qint64 page)> pageAddress;
    bool firstPageIsListPage = false;
    // A list page must answer with a 2xx status; anything else is tried again and then interrupts the
    // search. With IsAnswer a list page that is gone (404, 410) is read as it is: a walk whose stop rule
    // ends it at a page without the list takes such a page for the end of the blog.
    Text::WhenGone listPageGone = Text::WhenGone::Fails;
    // Fetches list page i in place of the plain fetch of pageAddress (a list page that only names the
    // data script holding its articles, for instance).
    std::function<QCoro::Task<QString>(Text::HttpContext&, WalkState, qint64 page)> fetchListPage;
    // Up to ListPagesAtOnce list pages are fetched at once, ahead of the page whose rows are appended.
    // Only where the address of every list page is known once the first page is read: never where it
    // depends on the page before (previousPage), nor where a page that ends the walk must be the last
    // one requested.
    bool fetchAhead = false;

    // "查找文章：" + page + "页/" + count + "页" unless set.
    std::function<QString(const WalkState&, qint64 page)> statusText;

    Replacements cleanUp; // applied to every list page, in order
    // A last clean-up step after the replacements (unescaping, for instance).
    std::function<QString(const QString& page)> finishCleanUp;
    QString stopUnless; // when set, the walk ends at the first cleaned page without this text

    QString entryPattern; // the entry list; entryPieces replaces it for pages read without a pattern
    QString titlePattern;
    QString datePattern;
    QString categoryPattern;
    // The entry list of a page read without a pattern: the pieces, of which the last is no entry.
    std::function<QStringList(const QString& page)> entryPieces;
    Replacements entryCleanUp; // applied to every entry element before its fields are cut
    int entryDropChars = 0;    // characters dropped from the front of every entry element after that

    // The page split at blockSeparator: block k (all but the last) gives the category of entry k.
    QString blockSeparator;
    std::function<QString(const QString& block)> blockCategory;

    FieldRule title;
    FieldRule category;
    FieldRule link;
    FieldRule date;

    // Layouts the site's list pages took on later, read when the entry pattern finds no entry. A row
    // without a category of its own takes the category rule's fixed text.
    QList<RowLayout> laterRows;

    bool letEventsRunPerEntry = false;
    // An entry whose link is already in the article list when the walk begins (rows loaded for a
    // resumed search) is not appended again.
    bool skipListedLinks = false;

    // Runs after every list page whose entries were all appended (a checkpoint, for instance).
    std::function<void(Model::RunState&, const WalkState&, qint64 page)> afterPage;

    // Runs when the page loop is over, also when a failure ended it (not when the page count failed).
    std::function<void(Model::RunState&, const WalkState&)> afterWalk;
};

// One article as read from a list page.
struct ListEntry
{
    QString title;
    QString category;
    QString link;
    QString date;
};

// The articles of one list page in order. A page that cannot be read to its end keeps the entries
// before the failure.
struct ListPageEntries
{
    QList<ListEntry> entries;
    std::optional<Text::Failure> failure;
};

// A list page after the platform's clean-up replacements.
QString CleanListPage(const ListPagePlatform& platform, const QString& page);

// The articles of a cleaned list page.
ListPageEntries ReadListPage(const ListPagePlatform& platform, const QString& page);

// Splits text at every separator and cuts each piece between start and end; the largest whole number
// found, or 0 when no piece holds one. Throws Text::Failure for a cut that is not a number.
int MaxNumberBetween(const QString& text, const QString& start, const QString& end, const QString& separator);

// "查找文章：" + page + "页/" + count + "页".
QString SearchStatus(qint64 page, qint64 count);

// Reads every list page of the platform and appends its articles to the article list. A failure ends
// the walk (the rows appended so far stay) and travels on as Text::Failure.
QCoro::Task<> ListPageWalk(Model::RunState& state, ListPagePlatform platform, QString address);

} // namespace Discovery
