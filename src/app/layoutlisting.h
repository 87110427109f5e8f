#pragma once

#include <QString>

namespace App {

// qvlrx --layouts: every platform with the layouts it knows and where they come from on the standard
// output, each layout file of the program folder that was refused on the error output. Returns 0.
int ListLayouts(const QString& programFolder);

} // namespace App
