#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace Model {

class RunState;

// Keeps one run at a time on a task: a hidden lock file in the task folder, held while the window or a
// batch run works on the task. A lock that a run left when it ended without letting go (a crash, a
// kill, a power cut) is taken over.
class TaskLock
{
    Q_DISABLE_COPY_MOVE(TaskLock)

public:
    static constexpr const char* FileName = ".qvlrx-lock";

    enum class Outcome {
        Held,       // this run holds the lock
        Busy,       // another run holds it: this one must not touch the task
        Unavailable // no lock file can be made there (the run finds out why when it writes)
    };
    struct Result
    {
        Outcome outcome = Outcome::Unavailable;
        bool taken = false; // held only from now on
        QString text; // for Busy: "另一个备份正在运行：" and the task folder (and the other run)
    };

    TaskLock();
    ~TaskLock();

    // Holds the lock of taskFolder, making the folder when it is missing, and lets go of the lock held
    // before (unless another run holds the new one).
    Result hold(const QString& taskFolder);
    // Lets go; a task folder that the lock alone made and that is still empty goes too.
    void release();
    bool isHeld() const { return m_lock != nullptr; }
    QString folder() const { return m_folder; }

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_folder;
    bool m_madeFolder = false;
};

// Holds the lock of the task named taskName for the run and, when it was not held yet, removes what
// runs of the task that have ended left behind.
TaskLock::Result HoldTask(RunState& state, const QString& taskName);

} // namespace Model
