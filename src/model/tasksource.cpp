#include "model/tasksource.h"

#include "model/runstate.h"
#include "model/sitesettings.h"
#include "text/webarchive.h"

#include <memory>

namespace Model {

QString UseTaskSource(RunState& state)
{
    Text::SitePolicy& policy = state.http.gates->policy;
    if (!state.task.FromArchive) {
        state.http.archive.reset();
        policy.requestsPerSecond = SettingsRequestRate(state.programFolder).value_or(0);
        policy.connectionsPerSite = 0;
        return {};
    }
    auto archive = std::make_shared<Text::WebArchive>();
    archive->base = SettingsArchiveBase(state.programFolder);
    archive->timestamp = Text::ArchiveTimestamp(ArchiveDay(state.task.ArchiveDate));
    state.http.archive = std::move(archive);
    policy.requestsPerSecond = SettingsArchiveRate(state.programFolder);
    policy.connectionsPerSite = SettingsArchiveConnections(state.programFolder);
    return QStringLiteral("从网页存档下载：%1（%2）")
        .arg(state.http.archive->base, ArchiveSourceText(state.task.ArchiveDate));
}

QDate ArchiveDay(const QString& text)
{
    const QString written = text.trimmed();
    QDate day = QDate::fromString(written, QStringLiteral("yyyyMMdd"));
    if (!day.isValid()) {
        day = QDate::fromString(written, QStringLiteral("yyyy-MM-dd"));
    }
    return day;
}

QString ArchiveDateProblem(const QString& text)
{
    if (text.trimmed().isEmpty()) {
        return {};
    }
    const QDate day = ArchiveDay(text);
    if (!day.isValid()) {
        return QStringLiteral("存档日期“%1”不是日期（应为YYYYMMDD或YYYY-MM-DD）").arg(text.trimmed().left(40));
    }
    if (day.year() < 1996) {
        return QStringLiteral("存档日期%1早于网页存档开始收录的1996年").arg(day.toString(Qt::ISODate));
    }
    if (day > QDate::currentDate()) {
        return QStringLiteral("存档日期%1还没有到").arg(day.toString(Qt::ISODate));
    }
    return {};
}

QString ArchiveSourceText(const QString& archiveDate)
{
    const QDate day = ArchiveDay(archiveDate);
    if (!day.isValid()) {
        return QStringLiteral("网页存档，最新");
    }
    return QStringLiteral("网页存档 ") + day.toString(Qt::ISODate);
}

} // namespace Model
