#include "ui/autostart.h"

#include "model/archivesource.h"
#include "model/autoconfig.h"
#include "model/blogtask.h"
#include "model/runstate.h"
#include "model/taskname.h"

namespace Ui {

AutomaticStart ReadAutomaticStart(const Model::RunState& state)
{
    AutomaticStart start;
    const QString platformField = state.readAutoConfigField(0);
    if (platformField.isEmpty()) {
        return start;
    }
    const std::optional<int> platform = Model::AutomaticPlatformCode(state.programFolder);
    if (!platform) {
        start.kind = AutomaticStart::Kind::Invalid;
        start.question = QStringLiteral("auto.cfg 设置有误：<blog> 应为 0 到 16 的博客编号，现为“") +
                         platformField + QStringLiteral("”，未执行全自动备份");
        return start;
    }
    start.name = state.readAutoConfigField(1);
    if (!Model::TaskNameProblem(start.name).isEmpty()) {
        start.kind = AutomaticStart::Kind::Invalid;
        start.question = QStringLiteral("auto.cfg 设置有误：") + Model::TaskNameRefusal(start.name) +
                         QStringLiteral("，未执行全自动备份");
        return start;
    }
    start.address = state.readAutoConfigField(2).trimmed();
    if (const QString problem = Model::BlogAddressProblem(*platform, start.address); !problem.isEmpty()) {
        start.kind = AutomaticStart::Kind::Invalid;
        start.question =
            QStringLiteral("auto.cfg 设置有误：") + problem + QStringLiteral("，未执行全自动备份");
        return start;
    }
    const Model::ArchiveSetting archive = Model::AutoConfigArchive(state.programFolder);
    if (!archive.problem.isEmpty()) {
        start.kind = AutomaticStart::Kind::Invalid;
        start.question =
            QStringLiteral("auto.cfg 设置有误：") + archive.problem + QStringLiteral("，未执行全自动备份");
        return start;
    }
    start.kind = AutomaticStart::Kind::Ready;
    start.platform = *platform;
    start.fetchImages = Model::ConfigTruth(state.readAutoConfigField(3));
    start.fetchComments = Model::ConfigTruth(state.readAutoConfigField(4));
    start.cookieFile = Model::AutoConfigCookieFile(state.programFolder);
    start.fromArchive = archive.fromArchive;
    start.archiveDate = archive.day;
    Model::BlogTask source;
    source.FromArchive = archive.fromArchive;
    source.ArchiveDate = archive.day;
    start.question = QStringLiteral("即将执行全自动备份，是否继续？") + QStringLiteral("\r\n") +
                     state.profiles[*platform].Name + QStringLiteral("博客：") + start.name +
                     Model::ArchiveSourceNote(source) + QStringLiteral("\r\n");
    return start;
}

} // namespace Ui
