#pragma once

#include <QString>

#include <optional>

class QNetworkAccessManager;

namespace App {

class SignalWatcher;

// What a batch run makes besides the CHM, and how it fetches.
struct BatchOptions
{
    bool epub = false;     // <task>.epub
    bool markdown = false; // <task>-markdown, for a static site generator
    // A larger EPUB is written as volumes of at most these; when not given, as the settings file says.
    std::optional<int> volumeArticles;
    std::optional<int> volumeMegabytes;
    // The user's cookie file (--cookies), whose login the requests carry; when empty, auto.cfg's optional
    // <cookies> field names it. A cookie file that cannot be read ends the run with 2.
    QString cookieFile;
    // The most requests per second to each site (--rate), in place of the settings file's.
    std::optional<double> rate;
    // From a web archive (--archive[=YYYYMMDD]): the day asked for, empty for the newest captures; when
    // not given, auto.cfg's optional <archive> field says where the pages come from.
    std::optional<QString> archiveDate;
    // The most requests per second to the archive (--archive-rate), in place of the settings file's.
    std::optional<double> archiveRate;
};

// Runs the automatic backup that auto.cfg in the program folder describes, without a window and without
// questions, printing every status text as a line and, at the end, a summary that names every missing
// item. With epub, the EPUB is made after the CHM, with markdown the Markdown export after them, and the
// summary names them all. Returns the process exit code: 0 when the CHM (and what else was asked for) was
// made and nothing is missing, 2 for a bad auto.cfg, 3 when
// fewer than 5 articles were found, 4 when packing failed, 5 when packed but articles, images or comment
// pages are missing (listed in failed.txt in the task folder), 6 when another run works on the task.
// With a watcher, a signal ends the program (with 128 and the signal's number) after summing up what
// was saved.
int RunBatch(const QString& programFolder, QNetworkAccessManager& network, BatchOptions options = {},
             SignalWatcher* watcher = nullptr);

} // namespace App
