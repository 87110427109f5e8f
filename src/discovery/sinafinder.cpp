#include "discovery/sinafinder.h"

#include "discovery/announcedarticles.h"
#include "discovery/entrylists.h"
#include "discovery/finders.h"
#include "discovery/listpagewalk.h"
#include "discovery/pagesahead.h"
#include "model/endpoints.h"
#include "model/runstate.h"
#include "text/failure.h"
#include "text/matching.h"
#include "text/pagefetch.h"
#include "text/safefilename.h"
#include "text/textprimitives.h"
#include "text/unrecognisedpage.h"

#include <QSet>

#include <algorithm>
#include <array>
#include <exception>
#include <optional>

namespace Discovery {

namespace {

using Text::HashToQuote;
using Text::TextBetween;

const QString Charset = QStringLiteral("UTF-8");
const QString AllArticles = QStringLiteral("全部博文");
const QString Favourites = QStringLiteral("博文收藏");
const QString Uncategorised = QStringLiteral("未分类");

QString ArticlePrefix()
{
    return QStringLiteral("http://") + Model::Endpoints::SinaBlogHost() + QStringLiteral("/s/");
}

qint64 Count(const QString& text)
{
    return Text::ToWholeNumber(text);
}

// The layouts of the list pages, the first as the blog serves it, then as a browser saves it (entities
// in attributes, category entries without blanks in their tags, empty title attributes).
struct SinaHeading
{
    QString pattern; // '#' for a double quote
    QString end;     // what follows the list's name in the match
};
const std::array<SinaHeading, 2> Headings{{
    {QStringLiteral("<span comp_title=#.*<em>.*</em># class=#title#>"), QStringLiteral("<em>")},
    {QStringLiteral("<span comp_title=#[^#]*&lt;em&gt;"), QStringLiteral("&lt;em&gt;")},
}};
// What opens each category of the category list; a later separator only counts for pieces that name a
// category's list page.
const std::array<QString, 2> CategorySeparators{QStringLiteral("<li  >"), QStringLiteral("<li>")};
const QString CategoryListPage = QStringLiteral("/s/articlelist_");

// The title of an entry: its anchor's title attribute, else (a saved page leaves the attribute empty)
// the anchor's text.
QString EntryTitle(const QString& anchor)
{
    const QString title = TextBetween(anchor, QStringLiteral("<a title=\""), QStringLiteral("\" target="), 0);
    if (!title.isEmpty() && title != Text::NotFound) {
        return title;
    }
    const qsizetype textEnd = anchor.lastIndexOf(QStringLiteral("</a>"));
    const qsizetype textStart = textEnd < 0 ? -1 : anchor.lastIndexOf(QStringLiteral("\">"), textEnd);
    if (textStart < 0) {
        return title;
    }
    return Text::TrimWhiteSpace(anchor.mid(textStart + 2, textEnd - textStart - 2));
}

// Appends the articles of lists that run in step: article j's link is cut from links.at(j), its title from
// titles.at(j), its date from dates.at(j) between dateStart and dateEnd. A missing title or date, or a
// field that cannot be cut, ends the page there; the articles before it still count.
void ReadEntries(SinaListPage& list, const QStringList& links, const QStringList& titles,
                 const QStringList& dates, const QString& dateStart, const QString& dateEnd)
{
    const QString prefix = ArticlePrefix();
    for (qsizetype j = 0; j < links.size(); ++j) {
        if (j >= titles.size() || j >= dates.size()) {
            list.incomplete = true;
            return;
        }
        try {
            const QString link = Text::TrimWhiteSpace(TextBetween(links.at(j), prefix, QStringLiteral("\">"), 5));
            const QString title = EntryTitle(titles.at(j));
            const QString date = TextBetween(dates.at(j), dateStart, dateEnd, 5);
            list.entries.append(SinaListEntry{title, link, date});
        } catch (const Text::Failure&) {
            list.incomplete = true;
            return;
        }
    }
}

} // namespace

QStringList SinaListPageAddresses(qint64 count, const QString& firstPageAddress)
{
    if (count <= 0) {
        return {};
    }
    if (firstPageAddress.size() < 6) {
        throw Text::Failure(QStringLiteral("not a list page address: \"%1\"").arg(firstPageAddress));
    }
    return NumberedListPages(Text::Left(firstPageAddress, int(firstPageAddress.size()) - 6), count,
                             SinaPageSize);
}

void AddSinaListPages(Model::RunState& state, qint64 count, const QString& firstPageAddress)
{
    for (const QString& address : SinaListPageAddresses(count, firstPageAddress)) {
        state.ui.addListLine(address);
    }
}

void PlanSinaListPages(Model::RunState& state, const QString& page)
{
    const QString blogAddress = state.task.BlogAddress;
    const QStringList lines = Text::Split(page, QStringLiteral("\n"));
    // The walk appends every article of the blog once (under its category, or as uncategorised from the
    // all-articles pages) and every favourite once more: the total and the favourites add up to the rows.
    std::optional<qint64> total;
    qint64 favourites = 0;
    for (const QString& line : lines) {
        // The category list: one "<li  >" piece per category, with its count and first list page.
        if (line.contains(QStringLiteral("<strong>全部博文</strong>"))) {
            QStringList pieces;
            bool later = false;
            for (const QString& separator : CategorySeparators) {
                pieces = Text::Split(line, separator);
                if (pieces.size() > 1) {
                    break;
                }
                later = true;
            }
            for (qsizetype i = 1; i < pieces.size(); ++i) {
                const QString& piece = pieces.at(i);
                if (later && !piece.contains(CategoryListPage)) {
                    continue; // the all-articles entry, say, which has no list page of its own
                }
                const QString count =
                    TextBetween(piece, QStringLiteral("<em>("), QStringLiteral(")</em>"), 1);
                const QString first = QStringLiteral("http") +
                                      TextBetween(piece, QStringLiteral("http"), QStringLiteral(".html"), 1) +
                                      QStringLiteral(".html");
                AddSinaListPages(state, Count(count), first);
            }
        }
        // The favourites: their pages are named like the article list with "favourites" for
        // "articlelist", and the page number follows the "_0" directly.
        if (line.contains(QStringLiteral("博文收藏</a><em>"))) {
            const QString count =
                TextBetween(line, QStringLiteral("博文收藏</a><em>("), QStringLiteral(")</em></"), 1);
            const QString renamed =
                Text::Replace(blogAddress, QStringLiteral("articlelist"), QStringLiteral("favourites"));
            const qint64 favouriteCount = Count(count);
            AddSinaListPages(state, favouriteCount, Text::Left(renamed, int(blogAddress.size()) - 2));
            favourites += std::max<qint64>(0, favouriteCount);
        }
        // All articles of the blog.
        if (line.contains(QStringLiteral("comp_title=\"全部博文"))) {
            const QString count =
                TextBetween(line, QStringLiteral("全部博文<em>("), QStringLiteral(")</em>"), 1);
            const qint64 allArticles = Count(count);
            AddSinaListPages(state, allArticles, blogAddress);
            // The all-articles pages add no article twice, however often they are queued.
            total = std::max(total.value_or(0), allArticles);
        }
    }
    if (total) {
        AnnounceArticles(state, *total + favourites);
    } else if (state.ui.listLines().isEmpty()) {
        throw Text::UnrecognisedPage(blogAddress, QStringLiteral("文章数“全部博文<em>(…)</em>”"));
    }
}

SinaListPage ReadSinaListPage(const QString& page)
{
    const QString host = Model::Endpoints::SinaBlogHost();
    SinaListPage list;
    if (page.contains(QStringLiteral("<strong>博文收藏</strong><em>("))) {
        list.favourites = true;
        list.category = Favourites;
        const QStringList titles =
            Text::MatchList(HashToQuote(QStringLiteral("class=#text#><a title=#.*# target=#_blank")), page);
        const QStringList dates =
            Text::MatchList(HashToQuote(QStringLiteral("class=#time SG_txtc#>.*</div></li>")), page);
        const QStringList links = Text::MatchList(
            HashToQuote(QStringLiteral("http://") + host + QStringLiteral("/s/blog_.*.html#>")), page);
        ReadEntries(list, links, titles, dates, QStringLiteral("SG_txtc\">"), QStringLiteral("</div></li>"));
        return list;
    }
    // Link and title stand in the same anchor.
    const QStringList anchors = Text::MatchList(
        HashToQuote(QStringLiteral("<a title=.*target=#_blank# href=.*>.*</a></span>")), page);
    const QStringList dates =
        Text::MatchList(HashToQuote(QStringLiteral("<span class=#atc_tm SG_txtc#>.*</span>")), page);
    for (const SinaHeading& layout : Headings) {
        const QString heading = Text::MatchAll(HashToQuote(layout.pattern), page);
        list.category = TextBetween(heading, QStringLiteral("<span comp_title=\""), layout.end, 0);
        if (list.category != Text::NotFound) {
            break;
        }
    }
    ReadEntries(list, anchors, anchors, dates, QStringLiteral("atc_tm SG_txtc\">"),
                QStringLiteral("</span>"));
    return list;
}

QCoro::Task<> FindSinaArticles(Model::RunState& state, QString address)
{
    const QString firstPage = co_await Text::FetchPageUntilOk(state.http, address, Charset);
    PlanSinaListPages(state, firstPage);

    // The walk reads the queue as planned; the list box only shows it. Every address is known from a page
    // already read, so the pages, the first among them, are fetched ahead of the one being read.
    const QStringList queue = state.ui.listLines();
    const int pageCount = int(queue.size());
    PagesAhead pages(
        state.http, 0, pageCount - 1, ListPagesAtOnce,
        [queue](Text::HttpContext& http, qint64 k) {
            return Text::FetchPageUntilOk(http, queue.at(k), Charset);
        },
        PagesAhead::FirstPage::WithTheRest);
    // Links read from category and all-articles pages. An article of the all-articles pages that was
    // already met under its category is not appended again.
    QSet<QString> seenLinks;
    std::exception_ptr failure;
    try {
        for (int k = 0; k < pageCount; ++k) {
            const QString page = co_await pages.next();
            co_await Text::LetEventsRun();
            state.setStatus(SearchStatus(k + 1, pageCount));
            const SinaListPage list = ReadSinaListPage(page);
            if (list.entries.isEmpty() && !list.incomplete) {
                throw Text::UnrecognisedPage(queue.at(k),
                                             QStringLiteral("文章列表“<a title=… target=\"_blank\" "
                                                            "href=…>…</a></span>”"));
            }
            for (const SinaListEntry& entry : list.entries) {
                const QString title = Text::SafeFileName(entry.title);
                if (list.favourites) {
                    state.addArticleRow(title, Favourites, entry.link, entry.date);
                    continue;
                }
                if (list.category == AllArticles) {
                    if (!seenLinks.contains(entry.link)) {
                        state.addArticleRow(title, Uncategorised, entry.link, entry.date);
                    }
                } else {
                    state.addArticleRow(title, list.category, entry.link, entry.date);
                }
                seenLinks.insert(entry.link);
            }
            if (list.incomplete) {
                throw Text::Failure(
                    QStringLiteral("list page %1 lacks a title, link or date").arg(queue.at(k).left(200)));
            }
        }
    } catch (...) {
        failure = std::current_exception();
    }
    co_await pages.stop(failure);
}

} // namespace Discovery
