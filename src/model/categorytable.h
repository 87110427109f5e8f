#pragma once

#include <QHash>
#include <QString>

#include <array>

namespace Model {

// Counts the articles of each category in the order the categories were first met.
class CategoryTable
{
public:
    static constexpr int SlotCount = 501;

    CategoryTable() = default;

    void reset();

    // Counts one more article of the category and returns its new count, the article's position in its
    // category. Throws Text::Failure, before changing anything, when all slots are taken by other
    // categories or the count would overflow. Articles without a category are counted apart.
    int countArticle(const QString& category);

    QString name(int slot) const;
    int count(int slot) const;
    // Slots in use: up to the first free slot.
    int usedSlots() const { return m_used; }
    // Slot of a category, or -1.
    int slotOf(const QString& category) const;
    int countOf(const QString& category) const;
    // Articles whose category is the empty text.
    int uncategorisedCount() const { return m_emptyCount; }

private:
    // The slot of a category, taking the lowest free one for a new category.
    int slotFor(const QString& category);

    std::array<QString, SlotCount> m_names;
    std::array<qint16, SlotCount> m_counts{};
    QHash<QString, int> m_slots;
    int m_used = 0;
    int m_emptyCount = 0;
};

} // namespace Model
