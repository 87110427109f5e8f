#pragma once

#include "listpageblogs.h"
#include "response.h"

#include <QList>
#include <QString>

// Content shared by the generated list-page blogs of iFeng, Yaolan, CSDN, ChinaUnix and the two CERSP
// areas: titles, categories, times and article bodies, all derived from the article's index, so that
// every run generates the same blog. The blogs of listpageblogs.cpp have titles and categories of their
// own and share the rest.
namespace FakeWeb {

class Server;

namespace ListPageSamples {

// Titles without blanks; the bare form has no character a file name could not hold.
QString title(int i);
// Every seventh title also carries "?" and "/", which discovery turns into "_" on the platforms that
// clean their titles for file names.
QString markedTitle(int i);
// markedTitle as those platforms list it.
QString markedTitleAsListed(int i);
// Some titles stand between blanks on a list page; the platforms that trim titles drop them.
QString padded(const QString& text, int i);

QString category(int i);
int categoryNumber(int i);

// Newest first: article 0 is the latest.
QString minutes(int i); // "2012-06-30 21:15"
QString seconds(int i); // "2012-06-30 21:15:00"

QString summary(int i);
QString summary(const QString& title, int i);

// The article body; imageTag (may be empty) stands in the second paragraph.
QString body(int i, const QString& imageTag);
QString body(const QString& title, int i, const QString& imageTag);
// The address of article i's image (empty for three articles of four), its image served and recorded.
QString addImage(Server& server, GeneratedBlog& blog, const QString& platform, const QString& name, int i);
// The same as an image tag with the address in quotes.
QString imageTag(Server& server, GeneratedBlog& blog, const QString& platform, const QString& name, int i);

// A number derived from the text, the same in every run.
quint32 stableNumber(const QString& text);
// A number of the given digits derived from the name, the same in every run.
QString numberFor(const QString& name, const QString& salt, int digits = 6);

int pageCount(const BlogSize& size);
// The articles of list page p (1-based).
QList<int> articlesOnPage(int articles, int perPage, int p);
QList<int> articlesOnPage(const BlogSize& size, int p);

// A page in GB2312 (encoded as GB18030, its superset).
Response gbPage(const QString& html);
// A page in UTF-8.
Response utf8Page(const QString& html);

// Tells on the error output where a generated blog lives, for the blogs whose address the user types.
void announce(const GeneratedBlog& blog);

void addArticle(GeneratedBlog& blog, const QString& title, const QString& category, const QString& link,
                const QString& date, const QString& address);

} // namespace ListPageSamples
} // namespace FakeWeb
