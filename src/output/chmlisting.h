#pragma once

#include <QString>

namespace Output {

// Walking a CHM's directory listing starts at the listing chunk that the directory header names. The Free
// Pascal help compiler names chunk 1 there as soon as the listing takes more than one chunk (a task of a
// few dozen articles with images), so readers that walk the listing (chmlib, and with it the usual CHM
// viewers on Linux) miss every page of chunk 0. Sets the header's first listing chunk to the listing chunk
// that has no predecessor. Returns false when the file is no CHM this can read; a right header is left as
// it is.
bool RepairListingStart(const QString& chmPath);

} // namespace Output
