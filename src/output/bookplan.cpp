#include "output/bookplan.h"

#include "model/localpage.h"
#include "model/pagerecord.h"
#include "model/runstate.h"
#include "output/markdownexport.h"
#include "render/indexpages.h"
#include "text/safefilename.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace Output {

namespace {

constexpr int ArticlesPerIndexPage = 20;

bool Saved(const QString& path)
{
    return QFileInfo(path).isFile();
}

// What the contents say after the title of an article whose page only points to the web.
QString MarkOf(const QString& path, const QString& name, const Model::PageRecord& record)
{
    if (Model::InspectLocalPage(path) != Model::LocalPage::Fallback) {
        return {};
    }
    return record.deleted(name) ? QStringLiteral("（已删除或受限）") : QStringLiteral("（未能下载）");
}

} // namespace

BookPlan PlanBook(const Model::RunState& state)
{
    BookPlan plan;
    const QString folder = state.taskFolder();
    const Model::ArticleList& articles = state.articles;
    const Model::CategoryTable& categories = state.categories;
    const QSet<QString> articlePages = Render::ArticlePagesInTaskFolder(state);
    const Model::PageRecord record(folder);

    QSet<QString> planned;
    const auto indexPage = [&](QList<BookPage>& pages, const QString& name, const QString& title,
                               const QString& navLabel = {}, int firstArticle = 0, bool listsAll = false) {
        const QString path = Text::JoinPath(folder, name);
        if (!articlePages.contains(name) && !planned.contains(path) && Saved(path)) {
            planned.insert(path);
            pages.append({path, title, navLabel, {}, firstArticle, {}, listsAll});
        }
    };
    indexPage(plan.frontMatter, QStringLiteral("index.html"), state.task.TaskName, QStringLiteral("首页"));
    indexPage(plan.frontMatter, QStringLiteral("all.htm"), QStringLiteral("全部清单"),
              QStringLiteral("全部清单"), 0, true);

    // Rows of each category, from the last data row up; rows of no counted category go last.
    QHash<QString, QList<int>> rowsOf;
    QList<int> homeless;
    for (int row = articles.articleCount(); row >= 1; --row) {
        const QString category = articles.category(row);
        if (categories.slotOf(category) < 0) {
            homeless.append(row);
        } else {
            rowsOf[category].append(row);
        }
    }

    const auto addSection = [&](BookSection section, const QList<int>& rows) {
        int number = 0;
        for (const int row : rows) {
            ++number;
            const QString path = state.articlePagePath(row);
            // Two rows with one page (a link listed twice) share its chapter.
            if (!Saved(path) || planned.contains(path)) {
                continue;
            }
            planned.insert(path);
            section.indexes.append(int(plan.chapters.size()));
            section.numbers.append(number);
            plan.chapters.append({path,
                                  articles.title(row),
                                  {},
                                  FrontMatterDate(articles.date(row)).left(10),
                                  0,
                                  MarkOf(path, Model::PageRecord::pageName(state, row), record)});
        }
        plan.sections.append(section);
    };

    for (int slot = 0; slot < Model::CategoryTable::SlotCount; ++slot) {
        const QString category = categories.name(slot);
        if (category.isEmpty()) {
            break;
        }
        const QString safe = Text::SafeFileName(category);
        BookSection section;
        section.label = category + u'(' + Text::Num(categories.count(slot)) + u')';
        indexPage(section.pages, safe + QStringLiteral(".htm"), category, {}, 0, true);
        if (!section.pages.isEmpty()) {
            section.page = section.pages.constFirst().source;
        }
        const int pages = (categories.count(slot) + ArticlesPerIndexPage - 1) / ArticlesPerIndexPage;
        for (int p = 1; p <= pages; ++p) {
            indexPage(section.pages, safe + Text::Num(p) + QStringLiteral(".htm"), category + Text::Num(p),
                      {}, (p - 1) * ArticlesPerIndexPage + 1);
        }
        addSection(section, rowsOf.value(category));
    }
    if (!homeless.isEmpty()) {
        addSection(BookSection{QStringLiteral("未分类"), {}, {}, {}, {}}, homeless);
    }
    return plan;
}

} // namespace Output
