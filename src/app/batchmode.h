#pragma once

#include <QString>

class QNetworkAccessManager;

namespace App {

// Runs the automatic backup that auto.cfg in the program folder describes, without a window and without
// questions, printing every status text as a line. Returns the process exit code: 0 when the CHM was
// packed, non-zero (with a message on standard error) otherwise.
int RunBatch(const QString& programFolder, QNetworkAccessManager& network);

} // namespace App
