// The article count a blog announces, held against the rows a whole search finds: generated blogs of
// every platform whose finder reads such a count, searched as they are and with one article missing from
// their lists.
#include "discovery/announcedarticles.h"
#include "discovery/discoverydriver.h"
#include "support/foundrows.h"
#include "support/proxyweb.h"
#include "support/testrun.h"
#include "support/wait.h"
#include "text/pagefetch.h"

#include "cerspblog.h"
#include "fakeweb.h"
#include "health39blog.h"
#include "listpageblogs.h"
#include "qzoneblog.h"
#include "sinablog.h"

#include <QRegularExpression>
#include <QTest>

namespace {

// A generated blog, and how one of its articles is cut out of the list pages that show it.
struct Blog
{
    int code = 0;
    QString taskName;
    QString address;
    QStringList rows; // as a whole search appends them
    // An article's entry on a list page runs from entryStart to entryEnd and holds needle.
    QString entryStart;
    QString entryEnd;
    QString needle;
    // The article's number in a list of numbers that runs in step with the entries (QQ zone's ids).
    QString listedId;
};

Blog Install(FakeWeb::Server& server, const QString& platform)
{
    Blog blog;
    if (platform == QStringLiteral("sina")) {
        // Three favourites are listed again under "博文收藏", seven articles only among all articles.
        const FakeWeb::SinaBlog sina({.articles = 120, .categories = 3, .uncategorised = 7, .favourites = 3});
        sina.install(server);
        blog = {Model::Sina,
                QStringLiteral("sina"),
                sina.firstPageAddress(),
                FoundRows::Of(sina.expectedRows()),
                QStringLiteral("<div class=\"articleCell"),
                QStringLiteral("</p>\n</div>\n"),
                sina.articles().at(5).link(),
                {}};
    } else if (platform == QStringLiteral("39 health")) {
        const FakeWeb::Health39Blog health(QStringLiteral("jiankang"), 60, 3);
        health.install(server);
        const QStringList rows = FoundRows::Of(health.listedArticles());
        blog = {Model::Health39,
                QStringLiteral("jiankang"),
                health.address(),
                rows,
                QStringLiteral("<li><a href=\"/"),
                QStringLiteral("</li>\n"),
                u'/' + health.listedArticles().at(0).link + u'"',
                {}};
    } else if (platform == QStringLiteral("sohu")) {
        const FakeWeb::GeneratedBlog sohu =
            FakeWeb::installSohuBlog(server, FakeWeb::BlogSize{QStringLiteral("souhu"), 25, 10});
        blog = {Model::Sohu,
                sohu.taskName,
                sohu.address,
                FoundRows::Of(sohu.articles),
                QStringLiteral("<div class=\"newBlog-list-title\">"),
                QStringLiteral("blog_entrylist_share_bottom\"></div>\n"),
                u'/' + sohu.articles.at(12).link,
                {}};
    } else if (platform == QStringLiteral("cersp")) {
        const FakeWeb::GeneratedBlog cersp =
            FakeWeb::installCerspBlog(server, FakeWeb::BlogSize{QStringLiteral("7001"), 70, 10});
        blog = {Model::Cersp,
                cersp.taskName,
                cersp.address,
                FoundRows::Of(cersp.articles),
                QStringLiteral("<li><a href=\"/index/"),
                QStringLiteral("</li>\n"),
                QStringLiteral("articleId=") + cersp.articles.at(40).link + u'"',
                {}};
    } else if (platform == QStringLiteral("qzone")) {
        const FakeWeb::QzoneBlog qzone(QStringLiteral("10001"), 120, 3);
        qzone.install(server);
        const QString id = qzone.listedArticles().at(110).link;
        blog = {Model::Qzone,
                QStringLiteral("10001"),
                qzone.address(),
                FoundRows::Of(qzone.listedArticles()),
                QStringLiteral("<li><span id=\\\"blogtitle_"),
                QStringLiteral("</a></li>\n"),
                id + QStringLiteral("\\\""),
                id};
    }
    return blog;
}

// The page without the article's entry (and without its id where ids run in step with the entries).
QString WithoutArticle(const QString& page, const Blog& blog)
{
    const QString start = QRegularExpression::escape(blog.entryStart);
    const QRegularExpression entry(start + QStringLiteral("(?:(?!") + start + QStringLiteral(").)*?") +
                                       QRegularExpression::escape(blog.needle) + QStringLiteral(".*?") +
                                       QRegularExpression::escape(blog.entryEnd),
                                   QRegularExpression::DotMatchesEverythingOption);
    QString damaged = page;
    damaged.remove(entry);
    if (damaged != page && !blog.listedId.isEmpty()) {
        const QString& id = blog.listedId;
        damaged.replace(u'[' + id + u',', QStringLiteral("["));
        damaged.replace(u',' + id + u',', QStringLiteral(","));
        damaged.replace(u',' + id + u']', QStringLiteral("]"));
    }
    return damaged;
}

QString Finished(int found, int announced)
{
    return QStringLiteral("文章寻找完成，找到%1篇（博客显示%2篇），按“下载”开始下载，或者保存本次任务")
        .arg(found)
        .arg(announced);
}

} // namespace

class TestAnnouncedCount : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_server;

private slots:
    void init() { m_server.clear(); }

    void foundHeldAgainstAnnounced_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::newRow("sina") << QStringLiteral("sina");
        QTest::newRow("39 health") << QStringLiteral("39 health");
        QTest::newRow("sohu") << QStringLiteral("sohu");
        QTest::newRow("cersp") << QStringLiteral("cersp");
        QTest::newRow("qzone") << QStringLiteral("qzone");
    }
    void foundHeldAgainstAnnounced()
    {
        QFETCH(QString, platform);
        const Blog blog = Install(m_server, platform);
        const int total = int(blog.rows.size());
        QVERIFY(total > 0);

        // The whole blog: every announced article is found.
        TestRun whole;
        TestSupport::Wait(Discovery::Start(*whole.state, blog.code, blog.taskName, blog.address));
        QCOMPARE(FoundRows::Of(*whole.state), blog.rows);
        QCOMPARE(whole.state->announcedArticles, std::optional<int>(total));
        QCOMPARE(Discovery::DiscoveryShortfall(*whole.state), 0);
        QCOMPARE(whole.ui.status(), Finished(total, total));

        // The same blog whose list pages leave out one article without a sign.
        int damagedPages = 0;
        for (const QString& logged : m_server.requestLog()) {
            const QString address = logged.section(u' ', 1);
            const Text::HttpAnswer answer = TestSupport::Wait(Text::FetchAnswer(whole.state->http, address));
            const QString page = QString::fromLatin1(answer.body);
            const QString damaged = WithoutArticle(page, blog);
            if (damaged != page) {
                m_server.addRoute(address, FakeWeb::Response{200, damaged.toLatin1()});
                ++damagedPages;
            }
        }
        QVERIFY(damagedPages > 0);

        TestRun shortRun;
        TestSupport::Wait(Discovery::Start(*shortRun.state, blog.code, blog.taskName, blog.address));
        QCOMPARE(shortRun.state->articles.articleCount(), total - 1);
        QCOMPARE(shortRun.state->announcedArticles, std::optional<int>(total));
        QCOMPARE(Discovery::DiscoveryShortfall(*shortRun.state), 1);
        QCOMPARE(shortRun.ui.status(), Finished(total - 1, total));
    }

    // The last list page (or list service reply) answers 500: the search is interrupted there and names
    // that page, rather than finishing with its articles missing.
    void failingLastListPageInterrupts_data() { foundHeldAgainstAnnounced_data(); }
    void failingLastListPageInterrupts()
    {
        QFETCH(QString, platform);
        const Blog blog = Install(m_server, platform);
        TestRun whole;
        TestSupport::Wait(Discovery::Start(*whole.state, blog.code, blog.taskName, blog.address));
        QVERIFY(!whole.state->searchInterruption);
        const QString last = m_server.requestLog().last().section(u' ', 1);

        m_server.addRoute(last, FakeWeb::Response{500, QByteArray("busy")});
        TestRun broken;
        TestSupport::Wait(Discovery::Start(*broken.state, blog.code, blog.taskName, blog.address));
        QVERIFY(broken.state->searchInterruption);
        QCOMPARE(FakeWeb::Server::normalizedUrl(broken.state->searchInterruption->address), last);
        QVERIFY(broken.ui.status().startsWith(QStringLiteral("查找文章中断")));
    }
};

QTEST_GUILESS_MAIN(TestAnnouncedCount)
#include "test_announcedcount.moc"
