#pragma once

#include <QString>

namespace Text {

// Whether path, once "." and ".." are resolved, names folder itself or something below it. Both may be
// relative (to the working folder). A path holding NUL lies nowhere.
bool LiesInside(const QString& folder, const QString& path);

// The path when it lies inside folder; otherwise throws Failure saying the write was refused. Every file
// the program writes is checked this way against the program folder before it is opened, so that no
// name taken from a blog or a task file can make it write elsewhere.
QString RequireInside(const QString& folder, const QString& path);

} // namespace Text
