#pragma once

#include <QString>

namespace Output {

// A file name made of a fixed prefix, a free part and a fixed suffix, with the free part shortened (never
// inside a character) so that the whole name stays within the file system's 255 bytes.
QString FitFileName(const QString& prefix, const QString& freePart, const QString& suffix);

} // namespace Output
