#pragma once

#include <QString>

namespace Model {

// What decides an article's local name and web addresses.
struct ArticleKey
{
    int platform = 0;
    QString taskName;
    QString link;
    bool neteasePathForm = false;
};

// File name (no folder) of the article's local page.
QString LocalFileName(int platform, const QString& link);

// The page of an article relative to the task folder, as index pages and the help project link to it:
// the category's folder, "/", the local name. An article without a category lies directly in the task
// folder.
QString ArticlePageReference(int platform, const QString& category, const QString& link);

// Web address shown in pages.
QString ArticleAddress(const ArticleKey& key);

// Address the download requests.
QString ArticleFetchAddress(const ArticleKey& key);

// Replaces every "\uXXXX" escape (four hexadecimal digits) by its character; a backslash and "u" without
// four hexadecimal digits stay as they are.
QString UnescapeUnicode(QString& text);

} // namespace Model
