#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Discovery {

// Where a platform keeps a blog's articles, for asking a web archive's index: every captured address
// that starts with `prefix` and whose rest matches `pattern` is an article; its row link is `linkPrefix`
// followed by the pattern's first group that matched.
struct ArchivedArticleLayout
{
    QString prefix; // without the scheme: "blog.sina.com.cn/s/blog_4abd5fba"
    QString linkPrefix;
    QString pattern;
};

// The layout of the current task's articles; none for a platform whose article pages have no address of
// their own in the blog (their text comes from a service), or a blog address the layout cannot be read
// from.
std::optional<ArchivedArticleLayout> ArchivedArticlesOf(const Model::RunState& state);

// One captured article address of the index.
struct ArchivedArticle
{
    QString link;      // as the article list holds it
    QString original;  // the address the archive captured
    QString timestamp; // of its first capture
};

// The rows of a CDX answer in JSON (`output=json`): the articles among its captured addresses, and the
// key that asks for the next page when there is one. Throws Text::Failure naming the trouble when the
// answer is no CDX answer (not JSON, cut off, rows without the fields).
struct CdxPage
{
    QList<ArchivedArticle> articles;
    QString resumeKey;
};
CdxPage ReadCdxPage(const QByteArray& answer, const ArchivedArticleLayout& layout);

// The title an article page shows in its window title, without the blog's and the site's names.
QString CapturedTitle(int platformCode, const QString& page);
// The category an article page names, where the platform shows it there; empty otherwise.
QString CapturedCategory(int platformCode, const QString& page);
// When the article was written, as its list rows give it ("2011-12-31 23:10"), where the page shows it;
// empty otherwise.
QString CapturedDate(int platformCode, const QString& page);

// For a blog from a web archive: asks the archive's index for every captured article of the blog and adds
// those the list pages missed, oldest first, reading each one's title from its capture. Notes the counts
// in state.archiveFinding. Throws nothing: an index that cannot be read is noted there too.
QCoro::Task<> FindArchivedArticles(Model::RunState& state);

} // namespace Discovery
