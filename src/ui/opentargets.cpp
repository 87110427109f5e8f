#include "ui/opentargets.h"

#include "assets/assetnames.h"
#include "model/runstate.h"

namespace Ui {

namespace {

const QString Saved = QStringLiteral("●");

} // namespace

OpenTarget ListEntryTarget(const QString& entry)
{
    const QString lineBreak = QStringLiteral("\r\n");
    const qsizetype at = entry.indexOf(lineBreak);
    if (at >= 0) {
        return {OpenTarget::Kind::WebAddress, entry.mid(at + lineBreak.size())};
    }
    // The lines that name what a backup is missing give the reason after the address, two blanks apart:
    // only the address is opened.
    const QString address = entry.left(entry.indexOf(QStringLiteral("  ")));
    if (address.contains(QStringLiteral("http"))) {
        return {OpenTarget::Kind::WebAddress, address};
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
    return {OpenTarget::Kind::LocalFile,
            Assets::AssetTargetPath(state, assets.kind(row), assets.address(row), assets.folder(row))};
}

} // namespace Ui
