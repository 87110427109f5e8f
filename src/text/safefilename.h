#pragma once

#include <QString>

namespace Text {

// Makes any text usable as a file or folder name. Every part of the program that names a file goes
// through it, so that names agree. Never fails; never yields "/" or NUL, and at most 255 bytes.
QString SafeFileName(const QString& text);

} // namespace Text
