#pragma once

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Render {

// The 下载 command: fetches every article without a local page over five concurrent requests, saves
// each page, writes the index pages and starts the image and comment fetching. Does nothing while a
// download runs already.
QCoro::Task<> DownloadDriver(Model::RunState& state);

} // namespace Render
