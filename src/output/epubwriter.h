#pragma once

#include <QDateTime>
#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Output {

// Where the book of the task goes: "<task>.epub" in the program folder, beside the CHM.
QString EpubPath(const Model::RunState& state);

// The 生成EPUB command: makes an EPUB 3 book of the task folder, with the index pages as its front
// matter and one chapter per saved article (its comment pages right after it), its contents ordered as
// the CHM's. The book is written under a temporary name and put in place only when complete, then opened; a
// book made before from the same files is kept as it is. True when the book is there; the status line tells
// how it went.
QCoro::Task<bool> PackEpub(Model::RunState& state, QDateTime backedUp = QDateTime::currentDateTime());

} // namespace Output
