#pragma once

#include "pagekit.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace FakeWeb {

class Server;

// A NetEase blog (GB2312): the blog page with the user number, the remote-call list service (entries
// with escaped titles and categories, 20 per call from an offset) and the article pages under both
// address forms.
class NeteaseBlog
{
public:
    // subDomain: the blog page is also served under the account's sub-domain. An account with "@" is
    // always addressed by host and path.
    explicit NeteaseBlog(QString account, int articleCount = 45, int categoryCount = 3,
                         bool subDomain = true);

    // The address the new-task dialog builds.
    QString address() const;
    QString userId() const { return m_userId; }
    // Article pages as the site served them from 2015 on: the old container also holds the title, date,
    // category, the font-size switch and the share bar with its QR codes, before the article itself.
    void serveLaterLayout() { m_later = true; }
    QList<PageKit::ListedArticle> listedArticles() const;
    void install(Server& server) const;

private:
    struct Article
    {
        QString permalink; // the part after "blog/static/"
        QString title;
        QString category;
        QString date;
    };

    QString blogPage() const;
    QString listReply(int offset, int count) const;
    QString entryLine(const Article& article, int index) const;
    QString articlePage(const Article& article, int index) const;
    QString imageAddress(const Article& article) const;

    QString m_account;
    QString m_userId;
    bool m_subDomain = true;
    bool m_later = false;
    QList<Article> m_articles; // newest first
};

} // namespace FakeWeb
