#pragma once

#include <QString>

namespace Model {
class RunState;
}

namespace Assets {

// Local name of an image (a raw-byte job): the first 100 characters of its safe address. Image
// references in pages are rewritten to exactly this name.
QString LocalImageName(const QString& address);

// Local name of a job: LocalImageName for raw-byte jobs (kind below 100), the whole safe address for
// text pages.
QString LocalAssetName(int kind, const QString& address);

// Where a job's file goes: the task folder, the safe folder name (none when empty), the local name.
QString AssetTargetPath(const Model::RunState& state, int kind, const QString& address,
                        const QString& folder);

} // namespace Assets
