#pragma once

#include <QObject>

namespace Model {
class RunState;
}

namespace Assets {

// Fetches the jobs of the asset queue (images and comment pages) over five request slots.
class AssetFetcher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AssetFetcher)

public:
    explicit AssetFetcher(Model::RunState& state, QObject* parent = nullptr);
    ~AssetFetcher() override;

    // Starts the queue on all five slots.
    void StartAssetDownloads();
    // The 再次下载图片 command: every job that did not end in success waits again; then the queue starts.
    void FetchAgain();
    // True while any slot is fetching.
    bool busy() const;

Q_SIGNALS:
    // Every slot is idle and no job waits.
    void allDone();

private:
    Model::RunState& m_state;
};

// Starts the asset fetching of the run (the fetcher of the state, when there is one).
void StartAssetDownloads(Model::RunState& state);

} // namespace Assets
