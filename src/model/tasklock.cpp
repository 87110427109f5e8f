#include "model/tasklock.h"

#include "model/runstate.h"
#include "model/temporaries.h"
#include "text/textfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace Model {

TaskLock::TaskLock() = default;

TaskLock::~TaskLock()
{
    release();
}

TaskLock::Result TaskLock::hold(const QString& taskFolder)
{
    Result result;
    const QString folder = QDir::cleanPath(taskFolder);
    if (m_lock != nullptr && m_folder == folder) {
        result.outcome = Outcome::Held;
        return result;
    }
    const bool existed = QFileInfo(folder).isDir();
    if (!existed && !QDir().mkpath(folder)) {
        release();
        return result;
    }
    auto lock = std::make_unique<QLockFile>(Text::JoinPath(folder, QString::fromLatin1(FileName)));
    // Held for hours by a long backup: only a run that has ended leaves a stale lock.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        release();
        m_lock = std::move(lock);
        m_folder = folder;
        m_madeFolder = !existed;
        result.outcome = Outcome::Held;
        result.taken = true;
        return result;
    }
    if (lock->error() != QLockFile::LockFailedError) {
        if (!existed) {
            QDir().rmdir(folder);
        }
        release();
        return result;
    }
    result.outcome = Outcome::Busy;
    result.text = QStringLiteral("另一个备份正在运行：") + QDir::toNativeSeparators(folder);
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock->getLockInfo(&pid, &host, &application) && pid > 0) {
        result.text += QStringLiteral("（进程%1）").arg(pid);
    }
    return result;
}

void TaskLock::release()
{
    if (m_lock == nullptr) {
        return;
    }
    m_lock->unlock();
    m_lock.reset();
    if (m_madeFolder) {
        QDir().rmdir(m_folder); // only when empty
    }
    m_folder.clear();
    m_madeFolder = false;
}

TaskLock::Result HoldTask(RunState& state, const QString& taskName)
{
    const TaskLock::Result result = state.taskLock.hold(state.pathInProgramFolder(taskName));
    if (result.taken) {
        RemoveTaskLeftovers(state.programFolder, taskName);
    }
    return result;
}

} // namespace Model
