#include "model/archivesource.h"

#include "model/blogtask.h"
#include "text/webarchive.h"

#include <QRegularExpression>

namespace Model {

namespace {

// The first year the public web archives hold captures of.
constexpr int FirstArchiveYear = 1996;

QDate DayDate(const QString& day)
{
    return QDate::fromString(day, QStringLiteral("yyyyMMdd"));
}

} // namespace

std::optional<QString> ArchiveDay(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{4})-?(\\d{2})-?(\\d{2})$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    // One dash without the other is a typing slip, not a day.
    if (text.trimmed().count(u'-') == 1) {
        return std::nullopt;
    }
    const QString day = match.captured(1) + match.captured(2) + match.captured(3);
    if (!DayDate(day).isValid()) {
        return std::nullopt;
    }
    return day;
}

QString ArchiveDayProblem(const QString& day, const QDate& today)
{
    const QDate date = DayDate(day);
    if (!date.isValid()) {
        return QStringLiteral("存档日期“") + day + QStringLiteral("”不是日期");
    }
    if (date.year() < FirstArchiveYear) {
        return QStringLiteral("存档日期不能早于%1年，网页存档从那时才有").arg(FirstArchiveYear);
    }
    if (date > today) {
        return QStringLiteral("存档日期") + Text::CaptureDay(day) +
               QStringLiteral("还没到，请选今天或以前的日期");
    }
    return QString();
}

QString ArchiveSourceNote(const BlogTask& task)
{
    if (!task.FromArchive) {
        return QString();
    }
    if (task.ArchiveDate.isEmpty()) {
        return QStringLiteral("（网页存档，最新）");
    }
    return QStringLiteral("（网页存档 ") + Text::CaptureDay(task.ArchiveDate) + QStringLiteral("）");
}

} // namespace Model
