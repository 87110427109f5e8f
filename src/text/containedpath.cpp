#include "text/containedpath.h"

#include "text/failure.h"

#include <QDir>
#include <QFileInfo>

namespace Text {

namespace {

QString Resolved(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

bool LiesInside(const QString& folder, const QString& path)
{
    if (folder.isEmpty() || path.isEmpty() || path.contains(QChar(u'\0')) || folder.contains(QChar(u'\0'))) {
        return false;
    }
    const QString root = Resolved(folder);
    const QString target = Resolved(path);
    if (target == root) {
        return true;
    }
    return target.startsWith(root.endsWith(u'/') ? root : root + u'/');
}

QString RequireInside(const QString& folder, const QString& path)
{
    if (!LiesInside(folder, path)) {
        throw Failure(QStringLiteral("拒绝写入程序文件夹以外的位置：") +
                      QString(path).replace(QChar(u'\0'), u'?'));
    }
    return path;
}

} // namespace Text
