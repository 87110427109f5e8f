#include "model/taskname.h"

namespace Model {

QString TaskNameProblem(const QString& name)
{
    if (name.isEmpty()) {
        return QStringLiteral("任务名为空");
    }
    if (name == QLatin1String(".") || name == QLatin1String("..")) {
        return QStringLiteral("“.”和“..”不是文件夹名");
    }
    if (name.contains(u'/') || name.contains(QChar(u'\0'))) {
        return QStringLiteral("任务名不能含有“/”或空字符");
    }
    if (name.toUtf8().size() > MaxTaskNameBytes) {
        return QStringLiteral("任务名太长（最多%1字节）").arg(MaxTaskNameBytes);
    }
    return QString();
}

QString TaskNameRefusal(const QString& name)
{
    // A hostile name is shown cut short and without its line breaks.
    QString shown = name.left(40);
    shown.replace(QChar(u'\0'), u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    return QStringLiteral("任务名“%1”不能使用：%2").arg(shown, TaskNameProblem(name));
}

} // namespace Model
