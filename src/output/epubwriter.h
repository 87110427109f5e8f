#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Output {

// Where the book of the task goes: "<task>.epub" in the program folder, beside the CHM.
QString EpubPath(const Model::RunState& state);

// Where volume n (from 1) of a book too large for one goes: "<task> 第n卷.epub" beside it.
QString EpubVolumePath(const Model::RunState& state, int volume);

// The files of the task's book as they are now: the one book, or its volumes in order.
QStringList EpubFiles(const Model::RunState& state);

// The 生成EPUB command: makes an EPUB 3 book of the task folder: a cover, the contents, the index pages
// as its front matter and one chapter per saved article (its comment pages right after it), its contents
// ordered as the CHM's. A book larger than the volume limits of the run state is written as volumes, each
// a book of its own with its cover, contents and index pages. Each file is written under a temporary
// name and put in place only when complete, then the (first) book is opened; a single book made before
// from the same files is kept as it is. True when the book is there; the status line tells how it went.
QCoro::Task<bool> PackEpub(Model::RunState& state, QDateTime backedUp = QDateTime::currentDateTime());

} // namespace Output
