#include "assets/assetfetcher.h"

#include "model/runstate.h"

namespace Assets {

AssetFetcher::AssetFetcher(Model::RunState& state, QObject* parent) : QObject(parent), m_state(state)
{
    m_state.assetFetcher = this;
}

AssetFetcher::~AssetFetcher()
{
    if (m_state.assetFetcher == this) {
        m_state.assetFetcher = nullptr;
    }
}

void AssetFetcher::StartAssetDownloads()
{
    m_state.setStatus(QStringLiteral("图片或评论全部下载完成！"));
    m_state.setStatus(QStringLiteral("全部完成，请按“生成CHM”打包成CHM以便浏览"));
    m_state.SetCommandStates(false, false, true, true, true, false);
    Q_EMIT allDone();
}

void AssetFetcher::FetchAgain()
{
    StartAssetDownloads();
}

bool AssetFetcher::busy() const
{
    return false;
}

void StartAssetDownloads(Model::RunState& state)
{
    if (state.assetFetcher != nullptr) {
        state.assetFetcher->StartAssetDownloads();
    }
}

} // namespace Assets
