#pragma once

#include "support/files.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace TestSupport {

// A program folder of its own with a copy of the real program and an auto.cfg for the blog. Only for
// tests that know the program's path (QVLRX_EXECUTABLE).
class ProgramFolder
{
public:
    static inline const QString DefaultTaskName = QStringLiteral("trust");

    // prepare may turn the folder into something else first (a mount of its own).
    explicit ProgramFolder(const QString& blogAddress, const QString& platform = QStringLiteral("0"),
                           const QString& taskName = DefaultTaskName,
                           const std::function<void(const QString&)>& prepare = {})
        : m_taskName(taskName)
    {
        if (prepare) {
            prepare(m_folder.path());
        }
        QFile::copy(QStringLiteral(QVLRX_EXECUTABLE), program());
        WriteAutoConfig(m_folder.path(), {platform, taskName, blogAddress});
    }

    QString path() const { return m_folder.path(); }
    QString program() const { return m_folder.filePath(QStringLiteral("qvlrx")); }
    QString taskFolder() const { return m_folder.filePath(m_taskName); }
    QString chm() const { return m_folder.filePath(m_taskName + QStringLiteral(".chm")); }

private:
    QTemporaryDir m_folder;
    QString m_taskName;
};

} // namespace TestSupport
