#include "ui/opentargets.h"

#include "model/runstate.h"
#include "text/safefilename.h"
#include "text/textfiles.h"

namespace Ui {

namespace {

const QString Saved = QStringLiteral("●");

// Images are stored under the first 100 characters of their safe name, comment pages under the whole.
constexpr int ImageNameLength = 100;

} // namespace

OpenTarget ListEntryTarget(const QString& entry)
{
    const QString lineBreak = QStringLiteral("\r\n");
    const qsizetype at = entry.indexOf(lineBreak);
    if (at >= 0) {
        return {OpenTarget::Kind::WebAddress, entry.mid(at + lineBreak.size())};
    }
    if (entry.contains(QStringLiteral("http"))) {
        return {OpenTarget::Kind::WebAddress, entry};
    }
    return {};
}

OpenTarget ArticleTarget(const Model::RunState& state, int row)
{
    if (row < 1 || row > state.articles.articleCount()) {
        return {};
    }
    if (state.articles.mark(row) == Saved) {
        return {OpenTarget::Kind::LocalFile, state.articlePagePath(row)};
    }
    return {OpenTarget::Kind::WebAddress, state.articleFetchAddress(row)};
}

OpenTarget AssetTarget(const Model::RunState& state, int row)
{
    const Model::AssetQueue& assets = state.assets;
    if (row < 1 || row > assets.jobCount()) {
        return {};
    }
    if (assets.result(row) != Saved) {
        return {OpenTarget::Kind::WebAddress, assets.address(row)};
    }
    QString name = Text::SafeFileName(assets.address(row));
    if (assets.kind(row) < Model::AssetQueue::CommentKind) {
        name = name.left(ImageNameLength);
    }
    const QString folder = Text::JoinPath(state.taskFolder(), Text::SafeFileName(assets.folder(row)));
    return {OpenTarget::Kind::LocalFile, Text::JoinPath(folder, name)};
}

} // namespace Ui
