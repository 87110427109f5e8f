#pragma once

#include "text/failure.h"

#include <QString>

namespace Text {

// A file that could not be written because of its folder rather than itself: the disk is full, the file
// system is read-only, or the folder may not be written. Every further file there would fail alike, so a
// run that meets one stops writing and says so once.
class WriteFailure : public Failure
{
public:
    WriteFailure(QString message, QString cause) : Failure(std::move(message)), m_cause(std::move(cause)) {}
    // The cause in words with the system's reason: "磁盘已满（No space left on device）".
    const QString& cause() const noexcept { return m_cause; }

private:
    QString m_cause;
};

// The cause in words of a system error number that makes a whole folder unwritable ("磁盘已满" for
// ENOSPC), followed by the system's reason; empty for an error that concerns only one file.
QString FolderWriteCause(int error);

// Throws WriteFailure when error makes the folder unwritable, else Failure; message names the file.
[[noreturn]] void ThrowWriteError(const QString& message, int error);

// The one message of a run that stopped writing: the cause and the folder it could not write.
QString WriteStoppedText(const QString& cause, const QString& folder);

// Why the task folder cannot be made or written (a file stands at its name, the folder above is
// read-only, the disk is full), with the path and the system's reason; empty when it can. A missing task
// folder is made and removed again, an existing one gets a probe file that is removed at once.
QString TaskFolderProblem(const QString& taskFolder);

} // namespace Text
