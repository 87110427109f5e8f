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
    const int row =
        appendNumberedRow({title, category, link, date, QString::number(position)}, listScrolling);
    m_rowsByArticle.insert(articleKey(category, link), row);
    return row;
}

QString ArticleList::articleKey(const QString& category, const QString& link)
{
    return category + QChar(0) + link;
}

int ArticleList::rowOf(const QString& category, const QString& link) const
{
    const auto holds = [&](int row) {
        return row >= 1 && row <= articleCount() && this->link(row) == link &&
               this->category(row) == category;
    };
    const QString key = articleKey(category, link);
    const auto found = m_rowsByArticle.constFind(key);
    if (found == m_rowsByArticle.cend()) {
        return 0;
    }
    if (holds(*found)) {
        return *found;
    }
    // Rows were removed or moved since the article was added.
    m_rowsByArticle.clear();
    for (int row = 1; row <= articleCount(); ++row) {
        m_rowsByArticle.insert(articleKey(this->category(row), this->link(row)), row);
    }
    const int row = m_rowsByArticle.value(key);
    return holds(row) ? row : 0;
}

} // namespace Model
