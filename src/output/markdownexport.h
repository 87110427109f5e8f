#pragma once

#include <QString>

#include <QCoro/QCoroTask>

namespace Model {
class RunState;
}

namespace Output {

// Where the Markdown of a task goes: "<task>-markdown" beside the task folder.
QString MarkdownFolder(const Model::RunState& state);

// The 转Markdown command: one Markdown file (UTF-8, YAML front matter) per saved article in the export
// folder, the article's comments after its text, its pictures copied into the folder's "images" folder and
// linked relatively. Articles whose page only points to the web (the download failed, the article was
// deleted) are left out and counted. Markdown files of an earlier export go first; nothing is written
// outside the export folder. True when every saved article was written.
QCoro::Task<bool> ExportMarkdown(Model::RunState& state);

// A YAML double-quoted scalar holding the text exactly: quotes, backslashes, control characters and
// characters YAML cannot hold escaped.
QString YamlQuoted(const QString& text);

// An article list date as an RFC 3339 time in China's time zone ("2011-05-03T12:30:00+08:00"); empty when
// the text holds no valid date.
QString FrontMatterDate(const QString& date);

// The name (without extension) of an article's Markdown file: the date and the letters and digits of the
// title joined by "-", nothing a path, a shell or a site generator needs quoted. Never empty.
QString MarkdownStem(const QString& title, const QString& date);

} // namespace Output
