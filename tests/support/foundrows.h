#pragma once

#include "fakeui.h"
#include "model/runstate.h"
#include "render/laterlayouts.h"
#include "text/failure.h"
#include "text/matching.h"
#include "text/pagefetch.h"
#include "text/textprimitives.h"
#include "wait.h"

#include "pagekit.h"

#include <QCoro/QCoroTask>
#include <QStringList>

// Running a finder in a test and reading what it found.
namespace FoundRows {

// The task as Start hands it to a finder.
inline void SetTask(Model::RunState& state, int platform, const QString& name, const QString& address)
{
    state.task.PlatformCode = platform;
    state.task.TaskName = name;
    state.task.BlogAddress = address;
}

inline QCoro::Task<QString> FailureOf(QCoro::Task<> finder)
{
    QString message;
    try {
        co_await std::move(finder);
    } catch (const Text::Failure& failure) {
        message =
            failure.message().isEmpty() ? QStringLiteral("(a failure without message)") : failure.message();
    }
    co_return message;
}

// Runs a finder to its end: the message of the failure that ended it, or "" when it finished.
inline QString Run(QCoro::Task<> finder)
{
    return TestSupport::Wait(FailureOf(std::move(finder)));
}

// Hands the finder the task (platform, name, address) and runs it over the address, as Start does.
template <class Finder>
QString RunFinder(Model::RunState& state, Finder finder, int platform, const QString& name,
                  const QString& address)
{
    SetTask(state, platform, name, address);
    return Run(finder(state, address));
}

inline QString Line(const QString& title, const QString& category, const QString& link, const QString& date)
{
    return title + u'|' + category + u'|' + link + u'|' + date;
}

// The rows of the article list as "title|category|link|date".
inline QStringList Of(const Model::RunState& state)
{
    QStringList lines;
    for (int row = 1; row <= state.articles.articleCount(); ++row) {
        lines.append(Line(state.articles.title(row), state.articles.category(row), state.articles.link(row),
                          state.articles.date(row)));
    }
    return lines;
}

// A generated blog's articles in the same form.
inline QStringList Of(const QList<FakeWeb::PageKit::ListedArticle>& articles)
{
    QStringList lines;
    for (const auto& a : articles)
        lines.append(Line(a.title, a.category, a.link, a.date));
    return lines;
}

// Where the download fetches each row's article.
inline QStringList FetchAddresses(const Model::RunState& state)
{
    QStringList addresses;
    for (int row = 1; row <= state.articles.articleCount(); ++row)
        addresses.append(state.articleFetchAddress(row));
    return addresses;
}

// The statuses a list-page walk shows, one a list page ("查找文章：1页/3页").
inline QStringList SearchStatuses(const FakeUserInterface& ui)
{
    QStringList statuses;
    for (const QString& text : ui.statusHistory) {
        if (text.startsWith(QStringLiteral("查找文章：")))
            statuses.append(text);
    }
    return statuses;
}

// A page's text, or "" when no answer arrived.
inline QCoro::Task<QString> PageOrNothing(Text::HttpContext& http, QString address, QString charset)
{
    QString page;
    try {
        page = co_await Text::FetchPage(http, address, charset);
    } catch (const Text::Failure&) {
        page.clear();
    }
    co_return page;
}

// Rows whose page, fetched from the article's download address, holds no body of at least ten characters
// between the platform's markers or in the element of one of its later layouts (the same cut the download
// makes, after the same corrections of the page), each as "row: address". Empty when every page is complete.
inline QStringList PagesWithoutBody(Model::RunState& state)
{
    QStringList problems;
    const Model::PlatformProfile& profile = state.profile();
    for (int row = 1; row <= state.articles.articleCount(); ++row) {
        QString page =
            TestSupport::Wait(PageOrNothing(state.http, state.articleFetchAddress(row), profile.Charset));
        if (state.task.PlatformCode == Model::Cnblogs) {
            page = Text::Replace(page, Text::HashToQuote(QStringLiteral("<div class = #post#>")),
                                 Text::HashToQuote(QStringLiteral("<div class=#post#>")));
        } else if (state.task.PlatformCode == Model::CerspEblog) {
            page = Text::Replace(page, QStringLiteral("STRONG>"), QStringLiteral("strong>"));
            page = Text::Replace(page, QStringLiteral("TD>"), QStringLiteral("td>"));
        }
        const auto later = Render::ReadLaterLayout(state.task.PlatformCode, page);
        if (later && later->body.size() >= 10) {
            continue;
        }
        const QString body = Text::TextBetween(page, profile.BodyStartMarker, profile.BodyEndMarker, 10);
        if (Text::Find(page, profile.BodyEndMarker) <= 1 || body == Text::NotFound || body.size() < 10)
            problems.append(QString::number(row) + QStringLiteral(": ") + state.articleFetchAddress(row));
    }
    return problems;
}

} // namespace FoundRows
