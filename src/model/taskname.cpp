#include "model/taskname.h"

#include <algorithm>

namespace Model {

namespace {

// C0 and C1 control characters and DEL.
bool IsControl(QChar c)
{
    return c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f);
}

} // namespace

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
    // A line break or tab would end up in file names and in every line that names the task.
    if (std::any_of(name.cbegin(), name.cend(), IsControl)) {
        return QStringLiteral("任务名不能含有换行符、制表符等控制字符");
    }
    if (name.toUtf8().size() > MaxTaskNameBytes) {
        return QStringLiteral("任务名太长（最多%1字节）").arg(MaxTaskNameBytes);
    }
    return QString();
}

QString TaskNameRefusal(const QString& name)
{
    // A hostile name is shown cut short and without its line breaks and other control characters.
    QString shown = name.left(40);
    std::replace_if(shown.begin(), shown.end(), IsControl, QChar(u' '));
    return QStringLiteral("任务名“%1”不能使用：%2").arg(shown, TaskNameProblem(name));
}

} // namespace Model
