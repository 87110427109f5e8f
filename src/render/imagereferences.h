#pragma once

#include <QString>

namespace Model {
class RunState;
}

namespace Render {

// Every match of pattern in text after a line break was put behind every ">", each followed by CR LF.
QString ListMatches(const QString& pattern, const QString& text);

// Points the image tags of an article body at local files and queues the images for fetching.
QString RewriteImages(Model::RunState& state, QString body, int row);

} // namespace Render
