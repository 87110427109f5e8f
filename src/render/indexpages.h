#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Render {

// The size of a page in kilobytes as the index pages show it: one decimal at most, rounded half to
// even, no trailing zeros ("0", "0.2", "2.5", "12").
QString SizeText(qint64 bytes);

// Names of the article pages that lie directly in the task folder (articles without a category).
// They share the folder with the index pages and must never be taken for one.
QSet<QString> ArticlePagesInTaskFolder(const Model::RunState& state);

// Writes the index pages of the task folder: per category its pages of 20 articles and its whole page,
// "all.htm" with every article and the home page "index.html" (dated `now`, as yyyy-M-d and H:mm:ss).
// Each page is written in one piece when complete, so an interrupted run leaves no half page; a page whose
// file already holds the same (the home page: but for its date) keeps its file. Index pages of an earlier
// run that this one no longer has are removed afterwards.
QCoro::Task<> WriteIndexPages(Model::RunState& state, QDateTime now = QDateTime::currentDateTime());

} // namespace Render
