#pragma once

#include "pagekit.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace FakeWeb {

class Server;

// A QQ zone blog (GB2312): the count service ("blog_num"), the title-list service that hands out 100
// entries from an offset, and the article data pages.
class QzoneBlog
{
public:
    explicit QzoneBlog(QString uin, int articleCount = 120, int categoryCount = 3);

    // The address the new-task dialog builds (the finder itself goes by the QQ number).
    QString address() const;
    QList<PageKit::ListedArticle> listedArticles() const;
    void install(Server& server) const;

private:
    struct Article
    {
        QString id;
        QString title;
        QString category;
        QString date;
    };

    QString countReply() const;
    QString titleListReply(int from, int count) const;
    QString articlePage(const Article& article, int index) const;
    QString articleAddress(const Article& article) const;
    QString imageAddress(const Article& article) const;

    QString m_uin;
    QList<Article> m_articles; // newest first
};

} // namespace FakeWeb
