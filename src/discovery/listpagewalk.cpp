#include "discovery/listpagewalk.h"

#include "discovery/announcedarticles.h"
#include "discovery/pagesahead.h"
#include "model/runstate.h"
#include "text/charset.h"
#include "text/matching.h"
#include "text/pagefetch.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"
#include "text/unrecognisedpage.h"

#include <QSet>

#include <exception>

namespace Discovery {

namespace {

const QString LineBreak = QStringLiteral("\r\n");

// A page at hand, handed out like one fetched.
QCoro::Task<QString> Ready(QString page)
{
    co_return page;
}

QString ApplyReplacements(QString text, const Replacements& replacements)
{
    for (const auto& [from, to] : replacements) {
        text = Text::Replace(text, Text::HashToQuote(from), Text::HashToQuote(to));
    }
    return text;
}

// A pattern's matches split at CR LF: N matches give N + 1 elements, the last one empty; no match gives
// no element at all.
QStringList PatternList(const QString& pattern, const QString& page)
{
    if (pattern.isEmpty()) {
        return {};
    }
    return Text::Split(Text::MatchAll(Text::HashToQuote(pattern), page), LineBreak);
}

const QString& Element(const QStringList& list, qsizetype j, const char* name)
{
    if (j >= list.size()) {
        throw Text::Failure(QStringLiteral("the %1 list of a list page ends before entry %2")
                                .arg(QString::fromLatin1(name))
                                .arg(j + 1));
    }
    return list.at(j);
}

// The lists of one page; index j of each belongs to entry j.
struct PageLists
{
    QStringList entries;
    QStringList titles;
    QStringList dates;
    QStringList categories;
    QStringList blocks;
};

QStringList BlockCategories(const ListPagePlatform& platform, const QString& page, qsizetype slotCount)
{
    // One slot per element of the entry list; block k fills slot k.
    QStringList table(slotCount);
    const QStringList blocks = Text::Split(page, Text::HashToQuote(platform.blockSeparator));
    for (qsizetype k = 0; k + 1 < blocks.size(); ++k) {
        if (k >= table.size()) {
            throw Text::Failure(QStringLiteral("a list page has more entry blocks than entries"));
        }
        table[k] = platform.blockCategory(blocks.at(k));
    }
    return table;
}

// A field that goes into an address (the link) loses white space of every kind, not only blanks.
QString CutField(const FieldRule& rule, const PageLists& lists, const QString& entry, qsizetype j,
                 bool address = false)
{
    QString text;
    switch (rule.source) {
    case FieldSource::Fixed:
        return rule.fixed;
    case FieldSource::Block:
        return Element(lists.blocks, j, "category block");
    case FieldSource::Entry:
        text = entry;
        break;
    case FieldSource::Title:
        text = Element(lists.titles, j, "title");
        break;
    case FieldSource::Date:
        text = Element(lists.dates, j, "date");
        break;
    case FieldSource::Category:
        text = Element(lists.categories, j, "category");
        break;
    }
    for (const Cut& cut : rule.cuts) {
        text = Text::TextBetween(text, Text::HashToQuote(cut.start), Text::HashToQuote(cut.end), cut.skip);
    }
    if (address) {
        text = Text::TrimWhiteSpace(text);
    } else if (rule.trim) {
        text = Text::Trim(text);
    }
    text += rule.suffix;
    return rule.finish ? rule.finish(text) : text;
}

} // namespace

QString CleanListPage(const ListPagePlatform& platform, const QString& page)
{
    const QString cleaned = ApplyReplacements(page, platform.cleanUp);
    return platform.finishCleanUp ? platform.finishCleanUp(cleaned) : cleaned;
}

ListPageEntries ReadListPage(const ListPagePlatform& platform, const QString& page)
{
    ListPageEntries result;
    try {
        PageLists lists;
        lists.entries =
            platform.entryPieces ? platform.entryPieces(page) : PatternList(platform.entryPattern, page);
        lists.titles = PatternList(platform.titlePattern, page);
        lists.dates = PatternList(platform.datePattern, page);
        lists.categories = PatternList(platform.categoryPattern, page);
        if (platform.blockCategory) {
            lists.blocks = BlockCategories(platform, page, lists.entries.size());
        }
        if (lists.entries.isEmpty() && !platform.laterRows.isEmpty()) {
            for (const LayoutRow& row : ReadRows(platform.laterRows, page)) {
                const QString category = row.category.isEmpty() ? platform.category.fixed : row.category;
                result.entries.append({row.title, category, row.link, row.date});
            }
            return result;
        }
        const qsizetype count = lists.entries.size() - 1; // the last element is no entry
        for (qsizetype j = 0; j < count; ++j) {
            const QString entry =
                ApplyReplacements(lists.entries.at(j), platform.entryCleanUp).mid(platform.entryDropChars);
            ListEntry article;
            article.title = CutField(platform.title, lists, entry, j);
            article.category = CutField(platform.category, lists, entry, j);
            article.link = CutField(platform.link, lists, entry, j, true);
            article.date = CutField(platform.date, lists, entry, j);
            result.entries.append(article);
        }
    } catch (const Text::Failure& failure) {
        result.failure = failure;
    }
    return result;
}

int MaxNumberBetween(const QString& text, const QString& start, const QString& end, const QString& separator)
{
    int largest = 0;
    for (const QString& piece : Text::Split(text, separator)) {
        const QString number = Text::TextBetween(piece, start, end, 0);
        if (number == Text::NotFound) {
            continue;
        }
        largest = std::max(largest, Text::ToInt(number));
    }
    return largest;
}

QString SearchStatus(qint64 page, qint64 count)
{
    return QStringLiteral("查找文章：") + Text::Num(page) + QStringLiteral("页/") + Text::Num(count) +
           QStringLiteral("页");
}

QCoro::Task<> ListPageWalk(Model::RunState& state, ListPagePlatform platform, QString address)
{
    WalkState walk;
    walk.blogAddress = address;
    walk.taskName = state.task.TaskName;
    walk.firstPageAddress = platform.firstPageAddress ? platform.firstPageAddress(walk) : address;
    if (platform.firstPageUntilOk) {
        walk.firstPage = co_await Text::FetchPageUntilOk(state.http, walk.firstPageAddress, platform.charset);
    } else {
        walk.firstPage = co_await Text::FetchPageAnswered(state.http, walk.firstPageAddress, platform.charset,
                                                          Text::WhenGone::IsAnswer);
    }
    if (!platform.firstPageFile.isEmpty()) {
        Text::WriteTextFile(state.programFolder, platform.firstPageFile, Text::DeclaredPage(walk.firstPage));
    }
    try {
        platform.readPages(walk);
    } catch (const Text::UnrecognisedPage&) {
        throw;
    } catch (const Text::Failure&) {
        // The page answered, but what the page count is read from is not on it.
        throw Text::UnrecognisedPage(walk.firstPageAddress, QStringLiteral("页数"));
    }
    if (walk.announcedArticles) {
        AnnounceArticles(state, *walk.announcedArticles);
    }

    QSet<QString> listed;
    if (platform.skipListedLinks) {
        for (int row = 1; row <= state.articles.articleCount(); ++row) {
            listed.insert(state.articles.link(row));
        }
    }

    // Without fetching ahead, page i is requested only after page i - 1 has been read, so its address
    // may take what that page shows (walk.previousPage).
    PagesAhead pages(state.http, walk.firstPageNumber, walk.lastPageNumber,
                     platform.fetchAhead ? ListPagesAtOnce : 1,
                     [&platform, &walk](Text::HttpContext& http, qint64 i) -> QCoro::Task<QString> {
                         if (platform.firstPageIsListPage && i == walk.firstPageNumber) {
                             return Ready(walk.firstPage);
                         }
                         if (platform.fetchListPage) {
                             return platform.fetchListPage(http, walk, i);
                         }
                         return Text::FetchPageAnswered(http, platform.pageAddress(walk, i), platform.charset,
                                                        platform.listPageGone);
                     });
    std::exception_ptr failure;
    bool walkFailed = false; // a failure of the walk's own kind, after which afterWalk still runs
    // List pages that answered, and the entries read from them: pages without any entry at all are
    // pages of a layout the walk does not know.
    qint64 pagesRead = 0;
    qint64 entriesRead = 0;
    QString firstListPage;
    try {
        for (qint64 i = walk.firstPageNumber; i <= walk.lastPageNumber; ++i) {
            co_await Text::LetEventsRun();
            state.setStatus(platform.statusText ? platform.statusText(walk, i)
                                                : SearchStatus(i, walk.pageCount));
            QString page = co_await pages.next();
            if (pagesRead++ == 0) {
                firstListPage = platform.pageAddress ? platform.pageAddress(walk, i) : walk.firstPageAddress;
            }
            walk.previousPage = page;
            page = CleanListPage(platform, page);
            if (!platform.stopUnless.isEmpty() &&
                Text::Find(page, Text::HashToQuote(platform.stopUnless)) == 0) {
                break;
            }
            const ListPageEntries read = ReadListPage(platform, page);
            entriesRead += read.entries.size();
            for (const ListEntry& entry : read.entries) {
                if (platform.letEventsRunPerEntry) {
                    co_await Text::LetEventsRun();
                }
                if (listed.contains(entry.link)) {
                    continue;
                }
                state.addArticleRow(entry.title, entry.category, entry.link, entry.date);
            }
            if (read.failure) {
                throw *read.failure;
            }
            if (platform.afterPage) {
                platform.afterPage(state, walk, i);
            }
        }
    } catch (const Text::Failure&) {
        failure = std::current_exception();
        walkFailed = true;
    } catch (...) {
        failure = std::current_exception();
    }
    if (platform.afterWalk && (!failure || walkFailed)) {
        platform.afterWalk(state, walk);
    }
    // Pages fetched beyond the end of the walk are never read.
    co_await pages.stop(failure);
    if (pagesRead > 0 && entriesRead == 0) {
        const QString entries = platform.entryPattern.isEmpty()
                                    ? QStringLiteral("文章列表")
                                    : QStringLiteral("文章列表“") + Text::HashToQuote(platform.entryPattern) +
                                          QStringLiteral("”");
        throw Text::UnrecognisedPage(firstListPage, entries);
    }
}

} // namespace Discovery
