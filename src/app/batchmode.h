#pragma once

#include <QString>

#include <optional>

class QNetworkAccessManager;

namespace App {

class SignalWatcher;

// Runs the automatic backup that auto.cfg in the program folder describes, without a window and without
// questions, printing every status text as a line and, at the end, a summary that names every missing
// item. With epub, the EPUB is made after the CHM and the summary names both. Returns the process exit
// code: 0 when the CHM (and the EPUB) was packed and nothing is missing, 2 for a bad auto.cfg, 3 when
// fewer than 5 articles were found, 4 when packing failed, 5 when packed but articles, images or comment
// pages are missing (listed in failed.txt in the task folder), 6 when another run works on the task.
// With a watcher, a signal ends the program (with 128 and the signal's number) after summing up what
// was saved. cookieFile (--cookies) names the user's cookie file, whose login the requests carry; when
// empty, auto.cfg's optional <cookies> field does. A cookie file that cannot be read ends the run with 2.
// A rate sets the most requests per second to each site, in place of the settings file's.
int RunBatch(const QString& programFolder, QNetworkAccessManager& network, bool epub = false,
             SignalWatcher* watcher = nullptr, const QString& cookieFile = {},
             std::optional<double> rate = std::nullopt);

} // namespace App
