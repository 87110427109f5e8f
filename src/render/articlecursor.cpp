#include "render/articlecursor.h"

#include "model/localpage.h"
#include "model/pagerecord.h"
#include "model/runstate.h"
#include "text/pagefetch.h"
#include "text/textprimitives.h"

namespace Render {

ArticleCursor::ArticleCursor(Model::RunState& state, const Model::PageRecord* record)
    : m_state(state), m_record(record), m_now(QDateTime::currentDateTime()),
      m_knownCount(state.articles.articleCount())
{
}

void ArticleCursor::revisit(int row)
{
    if (row > 0 && row < m_next) {
        m_revisit.insert(row);
    }
}

QCoro::Task<int> ArticleCursor::NextArticleRow()
{
    for (;;) {
        // Rows removed from or added to the list meanwhile renumber it: look over it again from the top.
        if (m_state.articles.articleCount() != m_knownCount) {
            m_knownCount = m_state.articles.articleCount();
            m_next = 1;
            m_revisit.clear();
        }
        int row = 0;
        if (!m_revisit.empty()) {
            row = *m_revisit.begin();
            m_revisit.erase(m_revisit.begin());
        } else if (m_next <= m_knownCount) {
            row = m_next++;
        } else {
            co_return 0;
        }
        if (co_await takes(row)) {
            co_return row;
        }
    }
}

bool ArticleCursor::wanted(int row) const
{
    // The page on disk decides first; the record cannot make a page of the fallback count as saved.
    const Model::LocalPage page = Model::InspectLocalPage(m_state.articlePagePath(row));
    if (page == Model::LocalPage::Missing) {
        return true;
    }
    if (m_record == nullptr) {
        return page == Model::LocalPage::Fallback;
    }
    const QString name = Model::PageRecord::pageName(m_state, row);
    if (page == Model::LocalPage::Fallback) {
        return !m_record->deleted(name) || m_record->dueForAnotherLook(name, m_now);
    }
    return m_record->failed(name);
}

QCoro::Task<bool> ArticleCursor::takes(int row)
{
    Model::ArticleList& articles = m_state.articles;
    if (row > articles.articleCount() || !articles.mark(row).isEmpty()) {
        co_return false;
    }
    if (row % 100 == 0) {
        co_await Text::LetEventsRun();
        if (row > articles.articleCount()) {
            co_return false;
        }
    }
    if (wanted(row)) {
        co_return true;
    }
    articles.setMark(row, QStringLiteral("●"));
    m_state.setStatus(QStringLiteral("下载文章：") + Text::Num(row) + u'/' +
                      Text::Num(articles.articleCount()));
    co_return false;
}

} // namespace Render
