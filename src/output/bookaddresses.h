#pragma once

#include <QString>

namespace Output {

// A file's path made absolute and clean, so that two ways of naming one file compare equal.
QString CleanAbsolute(const QString& path);

// An address on the web, written the way a book may hold it (fully encoded); empty when href is none.
QString WebAddress(const QString& href);

} // namespace Output
