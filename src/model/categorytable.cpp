#include "model/categorytable.h"

#include "text/failure.h"

#include <limits>

namespace Model {

void CategoryTable::reset()
{
    m_names.fill(QString());
    m_counts.fill(0);
    m_slots.clear();
    m_used = 0;
    m_emptyCount = 0;
}

int CategoryTable::slotFor(const QString& category)
{
    auto it = m_slots.constFind(category);
    if (it != m_slots.constEnd()) {
        return it.value();
    }
    if (m_used >= SlotCount) {
        throw Text::Failure(QStringLiteral("too many categories: \"%1\" has no place").arg(category));
    }
    const int slot = m_used++;
    m_names[size_t(slot)] = category;
    m_slots.insert(category, slot);
    return slot;
}

int CategoryTable::countArticle(const QString& category)
{
    constexpr int maxCount = std::numeric_limits<qint16>::max();
    if (category.isEmpty()) {
        if (m_emptyCount >= maxCount) {
            throw Text::Failure(QStringLiteral("too many articles without a category"));
        }
        return ++m_emptyCount;
    }
    const int known = slotOf(category);
    if (known >= 0 && m_counts[size_t(known)] >= maxCount) {
        throw Text::Failure(QStringLiteral("too many articles in category \"%1\"").arg(category));
    }
    return ++m_counts[size_t(slotFor(category))];
}

QString CategoryTable::name(int slot) const
{
    return slot >= 0 && slot < SlotCount ? m_names[size_t(slot)] : QString();
}

int CategoryTable::count(int slot) const
{
    return slot >= 0 && slot < SlotCount ? m_counts[size_t(slot)] : 0;
}

int CategoryTable::slotOf(const QString& category) const
{
    return m_slots.value(category, -1);
}

int CategoryTable::countOf(const QString& category) const
{
    if (category.isEmpty()) {
        return m_emptyCount;
    }
    const int slot = slotOf(category);
    return slot < 0 ? 0 : count(slot);
}

} // namespace Model
