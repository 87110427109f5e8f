#include "model/articlelist.h"

#include "model/categorytable.h"

namespace Model {

ArticleList::ArticleList(QObject* parent)
    : GridTable({QString(), QStringLiteral("标题"), QStringLiteral("分类"), QStringLiteral("链接"),
                 QStringLiteral("日期"), QStringLiteral("页数"), QString(), QString()},
                {700, 4800, 2800, 3200, 2000, 600, 300, 1}, parent)
{
}

int ArticleList::AddArticleRow(CategoryTable& categories, const QString& title, const QString& category,
                               const QString& link, const QString& date, bool listScrolling)
{
    const int position = categories.countArticle(category);
    return appendNumberedRow({title, category, link, date, QString::number(position)}, listScrolling);
}

} // namespace Model
