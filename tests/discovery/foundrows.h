#pragma once

#include "model/runstate.h"
#include "text/failure.h"
#include "text/matching.h"
#include "text/pagefetch.h"

#include "pagekit.h"

#include <QCoro/QCoroTask>
#include <QStringList>

// Running a finder in a test and reading what it found.
namespace FoundRows {

inline QCoro::Task<QString> FailureOf(QCoro::Task<> finder)
{
    QString message;
    try {
        co_await std::move(finder);
    } catch (const Text::Failure& failure) {
        message = failure.message();
    }
    co_return message;
}

// Runs a finder to its end: the message of the failure that ended it, or "" when it finished.
inline QString Run(QCoro::Task<> finder)
{
    return QCoro::waitFor(FailureOf(std::move(finder)));
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

// Rows whose page, fetched from the article's download address, holds no body between the platform's
// markers (the same cut the download makes), each as "row: reason". Empty when every page is complete.
inline QStringList PagesWithoutBody(Model::RunState& state)
{
    QStringList problems;
    const Model::PlatformProfile& profile = state.profile();
    for (int row = 1; row <= state.articles.articleCount(); ++row) {
        QString page =
            QCoro::waitFor(PageOrNothing(state.http, state.articleFetchAddress(row), profile.Charset));
        page.replace(Text::HashToQuote(QStringLiteral("<div class = #post#>")),
                     Text::HashToQuote(QStringLiteral("<div class=#post#>")));
        const QString body = Text::TextBetween(page, profile.BodyStartMarker, profile.BodyEndMarker, 10);
        if (body == Text::NotFound || body.size() < 5)
            problems.append(QString::number(row) + QStringLiteral(": ") + state.articleFetchAddress(row));
    }
    return problems;
}

} // namespace FoundRows
