#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Model {
class ArticleList;
class CategoryTable;
} // namespace Model

namespace Output {

// The help project (blog.hhp) and its contents file (blog.hhc), built line by line from the article list
// and the category table. Paths inside them use "/" and are relative to the task folder.

// blog.hhp: options, the help window, one [Files] line per article row (downloaded or not).
QStringList ProjectFileLines(const QString& taskName, bool fullText, const Model::ArticleList& articles,
                             int platform);

// blog.hhc: the header line, per used category a line and one nested line per article (numbered from the
// bottom row up), the footer and a last empty line.
QStringList ContentsFileLines(const Model::ArticleList& articles, const Model::CategoryTable& categories,
                              int platform);

// The file contents: every line followed by CR LF, in the local code page.
QByteArray ProjectFileBytes(const QStringList& lines);

} // namespace Output
