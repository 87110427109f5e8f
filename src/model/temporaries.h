#pragma once

#include <QString>

namespace Model {

// The temporary files of a run carry the process id of the run that made them, ".qvlrx-<pid>-XXXXXX"
// followed by a suffix, so that another run can tell whether they are still in use. The template for
// QTemporaryFile in folder.
QString OwnedTemporaryTemplate(const QString& folder, const QString& suffix);

// Removes the temporary files of folder that end in suffix and whose run has ended (or that name no run:
// an earlier version made them); with own, this run's own as well.
void RemoveTemporaries(const QString& folder, const QString& suffix, bool own = false);

// Removes what runs of a task that have ended left behind: the compiler's copies of the project and
// its unfinished CHMs, and the unfinished EPUB with its spool folder. Only for the run that holds the
// task's lock, since nothing tells to whom the EPUB's part files belong. With own, also this run's own
// (it is ending).
void RemoveTaskLeftovers(const QString& programFolder, const QString& taskName, bool own = false);

} // namespace Model
