#pragma once

#include "discovery/rowlayouts.h"

#include <QList>
#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

// cnblogs as the site has served it since about 2019: posts at /p/NUMBER.html, the sidebar with the
// category links loaded by script from /ajax/sidecolumn.aspx, the home pages "default.html?page=N"
// listing every post.
namespace Discovery::CnblogsLayout {

struct CategoryLink
{
    QString name; // without the post count the sidebar adds
    QString address;
    bool articles = false; // a category of articles ("[文章]"), not of posts ("[随笔]")
};

// Whether a blog's home page is of this layout.
bool IsLaterHome(const QString& home);

// The category links of a sidebar (a home page that holds one, or the sidecolumn answer).
QList<CategoryLink> CategoryLinks(const QString& sidebar);

// The rows of a home page or a category page: link "p/NUMBER.html" (or "p/NUMBER") for a post,
// "NUMBER.html" for an article; no category.
QList<LayoutRow> Rows(const QString& page);

// Every category, then the posts and articles that no category lists, from the home page at hand.
QCoro::Task<> FindArticles(Model::RunState& state, QString home);

} // namespace Discovery::CnblogsLayout
