#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace Model {
class ArticleList;
class CategoryTable;
} // namespace Model

namespace Output {

// The help project (blog.hhp) and its contents file (blog.hhc), built line by line from the article list
// and the category table. Paths inside them use "/" and are relative to the task folder.

// Each file is produced a line at a time, so that the contents of 100,000 articles are never held whole.
using LineSink = std::function<void(const QString& line)>;

// blog.hhp: options, the help window, one [Files] line per article row (downloaded or not).
void ForEachProjectFileLine(const QString& taskName, bool fullText, const Model::ArticleList& articles,
                            int platform, const LineSink& sink);
QStringList ProjectFileLines(const QString& taskName, bool fullText, const Model::ArticleList& articles,
                             int platform);

// blog.hhc: the header line, per used category a line and one nested line per article (numbered from the
// bottom row up), the footer and a last empty line.
void ForEachContentsFileLine(const Model::ArticleList& articles, const Model::CategoryTable& categories,
                             int platform, const LineSink& sink);
QStringList ContentsFileLines(const Model::ArticleList& articles, const Model::CategoryTable& categories,
                              int platform);

// The file contents: every line followed by CR LF, in the local code page.
QByteArray ProjectFileBytes(const QStringList& lines);

// Writes the lines that produce hands its sink to the file as ProjectFileBytes would have them, as they
// come; the file is put in place whole at the end. Throws Text::Failure when it cannot be written.
void WriteProjectFile(const QString& path, const std::function<void(const LineSink& sink)>& produce);

} // namespace Output
