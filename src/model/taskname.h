#pragma once

#include <QString>

namespace Model {

// The longest task name, in UTF-8 bytes: the task folder, the task file "<name>.ini", the book
// "<name>.chm" and the text folder "<name>TXT" must all be names the file system takes.
constexpr int MaxTaskNameBytes = 250;

// Why a text cannot name a task (the task folder lies directly inside the program folder, and nothing
// of a task may land anywhere else): empty, "." or "..", a "/", NUL or another control character (C0,
// DEL, C1) in it, or too long. Empty when the name is usable.
QString TaskNameProblem(const QString& name);

// The sentence that refuses such a name: "任务名“…”不能使用：" and the problem.
QString TaskNameRefusal(const QString& name);

} // namespace Model
