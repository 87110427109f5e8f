#include "text/writefailure.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Text {

namespace {

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString FolderWriteCause(int error)
{
    QString words;
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: // the file size limit of the process: as good as full for this run
        words = QStringLiteral("磁盘已满");
        break;
    case EROFS:
        words = QStringLiteral("只读文件系统");
        break;
    case EACCES:
    case EPERM:
        words = QStringLiteral("没有写入权限");
        break;
    default:
        return {};
    }
    return words + QStringLiteral("（") + SystemReason(error) + QStringLiteral("）");
}

void ThrowWriteError(const QString& message, int error)
{
    const QString reason = error != 0 ? SystemReason(error) : QStringLiteral("未知错误");
    if (const QString cause = FolderWriteCause(error); !cause.isEmpty()) {
        throw WriteFailure(message + QStringLiteral("：") + reason, cause);
    }
    throw Failure(message + QStringLiteral("：") + reason);
}

QString WriteStoppedText(const QString& cause, const QString& folder)
{
    return QStringLiteral("无法写入%1：%2，备份已停止").arg(QDir::toNativeSeparators(folder), cause);
}

QString TaskFolderProblem(const QString& taskFolder)
{
    const QByteArray path = QFile::encodeName(taskFolder);
    const auto problem = [&taskFolder](const QString& what, int error) {
        const QString cause = FolderWriteCause(error);
        return QStringLiteral("无法%1任务文件夹%2：%3")
            .arg(what, QDir::toNativeSeparators(taskFolder), cause.isEmpty() ? SystemReason(error) : cause);
    };
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0) {
        if (errno != ENOENT) {
            return problem(QStringLiteral("访问"), errno);
        }
        if (::mkdir(path.constData(), 0777) != 0) {
            return problem(QStringLiteral("创建"), errno);
        }
        ::rmdir(path.constData());
        return {};
    }
    if (!S_ISDIR(info.st_mode)) {
        return QStringLiteral("无法创建任务文件夹%1：已有同名的文件").arg(QDir::toNativeSeparators(taskFolder));
    }
    const QByteArray probe = path + "/.qvlrx-probe-" + QByteArray::number(::getpid());
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) {
        return problem(QStringLiteral("写入"), errno);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    ::unlink(probe.constData());
    return {};
}

} // namespace Text
