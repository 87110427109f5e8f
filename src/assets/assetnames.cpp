#include "assets/assetnames.h"

#include "model/assetqueue.h"
#include "model/runstate.h"
#include "text/safefilename.h"
#include "text/textfiles.h"

namespace Assets {

namespace {
constexpr int LocalImageNameLength = 100;
}

QString LocalImageName(const QString& address)
{
    return Text::SafeFileName(address).left(LocalImageNameLength);
}

QString LocalAssetName(int kind, const QString& address)
{
    return kind < Model::AssetQueue::CommentKind ? LocalImageName(address) : Text::SafeFileName(address);
}

QString AssetTargetPath(const Model::RunState& state, int kind, const QString& address, const QString& folder)
{
    return Text::JoinPath(state.categoryFolder(folder), LocalAssetName(kind, address));
}

} // namespace Assets
