#include "discovery/rowlayouts.h"

#include "text/starttags.h"
#include "text/textprimitives.h"

#include <QRegularExpression>
#include <QSet>

namespace Discovery {

QList<LayoutRow> ReadRows(const RowLayout& layout, const QString& page)
{
    QList<LayoutRow> rows;
    qsizetype from = 0;
    if (!layout.scope.isEmpty()) {
        from = page.indexOf(layout.scope);
        if (from < 0) {
            return rows;
        }
    }
    const QStringView text = QStringView(page).mid(from);
    const QRegularExpression linkPattern(layout.linkPattern);
    const QRegularExpression datePattern(layout.datePattern);
    QString category;
    if (!layout.category.tag.isEmpty()) {
        category = Text::PlainText(Text::ElementContent(page, layout.category).value_or(QString()));
    }

    // The row links first, so that each row knows where the next one begins.
    struct Found
    {
        Text::StartTag tag;
        QString link;
    };
    QList<Found> found;
    for (const Text::StartTag& tag : Text::StartTags(text, layout.link.tag)) {
        const Text::TagAttribute* href = tag.attribute(u"href");
        if (href == nullptr || !Text::Picks(layout.link, tag)) {
            continue;
        }
        const QRegularExpressionMatch match = linkPattern.match(href->value);
        if (match.hasMatch()) {
            found.append({tag, Text::TrimWhiteSpace(match.captured(1))});
        }
    }
    QSet<QString> seen;
    for (qsizetype k = 0; k < found.size(); ++k) {
        const Found& row = found.at(k);
        if (seen.contains(row.link)) {
            continue;
        }
        seen.insert(row.link);
        const qsizetype rowEnd = k + 1 < found.size() ? found.at(k + 1).tag.start : text.size();
        const std::optional<Text::ElementSpan> link =
            Text::FindElement(text, {layout.link.tag, {}, {}}, row.tag.start);
        QString inner =
            link ? text.mid(link->contentStart, link->contentEnd - link->contentStart).toString() : QString();
        if (!layout.title.tag.isEmpty()) {
            inner = Text::ElementContent(inner, layout.title).value_or(QString());
        }
        LayoutRow entry;
        entry.title = Text::PlainText(Text::RemoveElements(inner, layout.titleChrome));
        if (entry.title.isEmpty()) {
            const Text::TagAttribute* title = row.tag.attribute(u"title");
            entry.title = title != nullptr ? Text::PlainText(title->value) : QString();
        }
        entry.link = row.link;
        QString after = text.mid(row.tag.end, rowEnd - row.tag.end).toString();
        if (!layout.dateIn.tag.isEmpty()) {
            after = Text::ElementContent(after, layout.dateIn).value_or(QString());
        }
        entry.date = datePattern.match(after).captured(0);
        entry.category = category;
        rows.append(entry);
    }
    return rows;
}

QList<LayoutRow> ReadRows(const QList<RowLayout>& layouts, const QString& page)
{
    for (const RowLayout& layout : layouts) {
        QList<LayoutRow> rows = ReadRows(layout, page);
        if (!rows.isEmpty()) {
            return rows;
        }
    }
    return {};
}

} // namespace Discovery
