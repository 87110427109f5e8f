#include "model/temporaries.h"

#include "text/textfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <signal.h>

namespace Model {

namespace {

const QString Prefix = QStringLiteral(".qvlrx-");

// The EPUB is written as "<task>.epub.part", which the zip library writes under "<part>.XXXXXX", with
// its pages waiting in the folder "<part>.files-XXXXXX".
const QString EpubPart = QStringLiteral(".epub.part");
const QString SpoolMark = QStringLiteral(".files-");
constexpr qsizetype RandomLength = 6;

bool RunHasEnded(qint64 pid)
{
    // A process of another user answers EPERM: it is alive.
    return pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH);
}

} // namespace

QString OwnedTemporaryTemplate(const QString& folder, const QString& suffix)
{
    return Text::JoinPath(folder, Prefix + QString::number(QCoreApplication::applicationPid()) +
                                      QStringLiteral("-XXXXXX") + suffix);
}

void RemoveTemporaries(const QString& folder, const QString& suffix, bool own)
{
    const QRegularExpression name(QStringLiteral("^") + QRegularExpression::escape(Prefix) +
                                  QStringLiteral("(?:(\\d+)-)?[^/]{6}") + QRegularExpression::escape(suffix) +
                                  u'$');
    QDir dir(folder);
    const qint64 self = QCoreApplication::applicationPid();
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = name.match(entry);
        if (!match.hasMatch()) {
            continue;
        }
        const qint64 pid = match.captured(1).toLongLong();
        if ((own && pid == self) || (pid != self && RunHasEnded(pid))) {
            dir.remove(entry);
        }
    }
}

void RemoveTaskLeftovers(const QString& programFolder, const QString& taskName, bool own)
{
    RemoveTemporaries(Text::JoinPath(programFolder, taskName), QStringLiteral(".hhp"), own);
    RemoveTemporaries(programFolder, QStringLiteral(".chm"), own);

    // The task name may hold wildcards: the names are compared, not matched.
    const QString part = taskName + EpubPart;
    QDir dir(programFolder);
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                              QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& entry : entries) {
        if (!entry.startsWith(part)) {
            continue;
        }
        const QString rest = entry.mid(part.size());
        const QString path = dir.filePath(entry);
        if (rest.isEmpty() || (rest.size() == 1 + RandomLength && rest.startsWith(u'.'))) {
            if (QFileInfo(path).isFile()) {
                QFile::remove(path);
            }
        } else if (rest.size() == SpoolMark.size() + RandomLength && rest.startsWith(SpoolMark) &&
                   QFileInfo(path).isDir()) {
            QDir(path).removeRecursively();
        }
    }
}

} // namespace Model
