#include "discovery/cnblogslayout.h"

#include "model/endpoints.h"
#include "model/layoutfiles.h"
#include "model/runstate.h"
#include "text/failure.h"
#include "text/pagefetch.h"
#include "text/starttags.h"
#include "text/textprimitives.h"

#include <QRegularExpression>
#include <QSet>

namespace Discovery::CnblogsLayout {

namespace {

const QString Charset = QStringLiteral("UTF-8");

// No blog has this many list pages: a page that keeps naming a next one ends the walk here.
constexpr int MostListPages = 5000;

// "http://" and the cnblogs host before the path of an address the page wrote with either scheme.
QString OnOurHost(const QString& href)
{
    const qsizetype host = href.indexOf(QStringLiteral("//"));
    const qsizetype path = href.indexOf(u'/', host < 0 ? 0 : host + 2);
    if (path < 0) {
        return {};
    }
    return QStringLiteral("http://") + Model::Endpoints::CnblogsHost() + Text::TrimWhiteSpace(href.mid(path));
}

bool NamesPage(const QString& page, qint64 number)
{
    return page.contains(QStringLiteral("page=") + Text::Num(number) + u'"');
}

bool IsPost(const QString& link)
{
    return link.startsWith(QStringLiteral("p/"));
}

} // namespace

bool IsLaterHome(const QString& home)
{
    return home.contains(QStringLiteral("id=\"blog-sidecolumn\"")) || !Rows(home).isEmpty() ||
           !CategoryLinks(home).isEmpty();
}

QList<CategoryLink> CategoryLinks(const QString& sidebar)
{
    const Model::PlatformDescription& description = Model::LayoutDescription(Model::Cnblogs);
    const QRegularExpression categoryAddress(description.categoryLink);
    static const QRegularExpression count(QStringLiteral("\\(\\d+\\)$"));
    QList<CategoryLink> links;
    for (const Model::CategoryBlock& kind : description.categoryBlocks) {
        const std::optional<QString> block = Text::ElementContent(sidebar, kind.block);
        if (!block) {
            continue;
        }
        qsizetype from = 0;
        while (const auto link = Text::FindElement(*block, {QStringLiteral("a"), {}, {}}, from)) {
            from = link->end;
            const auto tag = Text::ReadStartTag(*block, link->start);
            const Text::TagAttribute* href = tag ? tag->attribute(u"href") : nullptr;
            if (href == nullptr || !categoryAddress.match(href->value).hasMatch()) {
                continue;
            }
            QString name = Text::PlainText(
                QStringView(*block).mid(link->contentStart, link->contentEnd - link->contentStart));
            name = name.remove(count).trimmed();
            links.append({name, OnOurHost(href->value), kind.articles});
        }
    }
    return links;
}

QList<LayoutRow> Rows(const QString& page)
{
    // The home pages list posts in "postTitle2" links, the category pages in "entrylistItemTitle" links.
    return ReadRows(Model::LayoutDescription(Model::Cnblogs).rows, page);
}

QCoro::Task<> FindArticles(Model::RunState& state, QString home)
{
    const QString account = state.task.TaskName;
    const QString blog = QStringLiteral("http://") + Model::Endpoints::CnblogsHost() + u'/' + account;
    QList<CategoryLink> categories = CategoryLinks(home);
    if (categories.isEmpty()) {
        const QString sidebar = co_await Text::FetchPageAnswered(
            state.http, blog + QStringLiteral("/ajax/sidecolumn.aspx"), Charset, Text::WhenGone::IsAnswer);
        categories = CategoryLinks(sidebar);
    }
    QSet<QString> seen;
    for (qsizetype k = 0; k < categories.size(); ++k) {
        const CategoryLink& category = categories.at(k);
        const QString kind = category.articles ? QStringLiteral("[文章]") : QStringLiteral("[随笔]");
        // Each page of the coroutine has a name of its own: the compiler's coroutine frames are not to be
        // trusted with two locals of one name.
        QString categoryPage;
        for (qint64 i = 1; i <= MostListPages && (i == 1 || NamesPage(categoryPage, i)); ++i) {
            co_await Text::LetEventsRun();
            state.setStatus(QStringLiteral("查找分类：") + Text::Num(k + 1) + QStringLiteral("页"));
            QString pageAddress = category.address;
            if (i > 1) {
                pageAddress += QStringLiteral("?page=") + Text::Num(i);
            }
            categoryPage = co_await Text::FetchPageAnswered(state.http, pageAddress, Charset);
            for (const LayoutRow& row : Rows(categoryPage)) {
                state.addArticleRow(row.title, kind + category.name, row.link, row.date);
                seen.insert(row.link);
            }
        }
    }

    // The home pages list every post and article, newest first.
    QString homePage = home;
    for (qint64 i = 1; i <= MostListPages; ++i) {
        co_await Text::LetEventsRun();
        state.setStatus(QStringLiteral("查找未分类：") + Text::Num(i) + QStringLiteral("页"));
        if (i > 1) {
            const QString homeAddress = blog + QStringLiteral("/default.html?page=") + Text::Num(i);
            homePage = co_await Text::FetchPageAnswered(state.http, homeAddress, Charset);
        }
        for (const LayoutRow& row : Rows(homePage)) {
            if (!seen.contains(row.link)) {
                seen.insert(row.link);
                state.addArticleRow(row.title,
                                    IsPost(row.link) ? QStringLiteral("[随笔]默认分类")
                                                     : QStringLiteral("[文章]默认分类"),
                                    row.link, row.date);
            }
        }
        if (!NamesPage(homePage, i + 1)) {
            break;
        }
    }
}

} // namespace Discovery::CnblogsLayout
