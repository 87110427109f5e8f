#pragma once

#include <QString>

namespace Text {

// Makes any text usable as a file or folder name. Every part of the program that names a file goes
// through it, so that names agree. Never fails; never yields "/" or NUL, and at most 255 bytes.
QString SafeFileName(const QString& text);

// A file name made of a fixed prefix, a free part and a fixed suffix, with the free part shortened (never
// inside a character) so that the whole name stays within the file system's 255 bytes.
QString FitFileName(const QString& prefix, const QString& freePart, const QString& suffix);

} // namespace Text
