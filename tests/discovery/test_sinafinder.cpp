#include "discovery/discoverydriver.h"
#include "discovery/finders.h"
#include "discovery/sinafinder.h"
#include "fakeweb.h"
#include "pagekit.h"
#include "sinablog.h"
#include "support/foundrows.h"
#include "support/proxyweb.h"
#include "support/realpages.h"
#include "support/testrun.h"
#include "support/wait.h"
#include "text/failure.h"
#include "text/unrecognisedpage.h"

#include <QElapsedTimer>
#include <QTest>

using Discovery::ReadSinaListPage;

namespace {

const QString Blog = QStringLiteral("http://blog.sina.com.cn/s/");

QString ListEntry(const QString& title, const QString& link, const QString& date)
{
    return QStringLiteral("<span class=\"atc_title\">\n<a title=\"") + title +
           QStringLiteral("\" target=\"_blank\" href=\"") + Blog + link + QStringLiteral("\">") + title +
           QStringLiteral("</a></span>\n<span class=\"atc_tm SG_txtc\">") + date +
           QStringLiteral("</span>\n");
}

QString ListPage(const QString& category, const QString& entries, int count = 9)
{
    return QStringLiteral("<html><body>\n<span comp_title=\"") + category + QStringLiteral("<em>(") +
           QString::number(count) + QStringLiteral(")</em>\" class=\"title\">x</span>\n") + entries +
           QStringLiteral("</body></html>\n");
}

QString FavouriteEntry(const QString& title, const QString& link, const QString& date)
{
    return QStringLiteral("<li><div class=\"text\"><a title=\"") + title +
           QStringLiteral("\" target=\"_blank\" href=\"") + Blog + link + QStringLiteral("\">") + title +
           QStringLiteral("</a></div>\n<div class=\"time SG_txtc\">") + date +
           QStringLiteral("</div></li>\n");
}

QString FavouritesPage(const QString& entries)
{
    return QStringLiteral(
               "<html><body>\n<span class=\"title\"><strong>博文收藏</strong><em>(2)</em></span>\n") +
           entries + QStringLiteral("</body></html>\n");
}

FakeWeb::Response Page(const QString& html)
{
    return FakeWeb::PageKit::textPage(html, "utf-8");
}

} // namespace

class TestSinaFinder : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_server;

private slots:
    void init() { m_server.clear(); }

    void listPagesForCount_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QStringList>("pages");
        const QString first = Blog + QStringLiteral("articlelist_42_7_1.html");
        QTest::newRow("none") << qint64(0) << QStringList();
        QTest::newRow("negative") << qint64(-5) << QStringList();
        QTest::newRow("one") << qint64(1) << QStringList{first};
        QTest::newRow("fifty") << qint64(50) << QStringList{first};
        QTest::newRow("fifty-one") << qint64(51)
                                   << QStringList{first, Blog + QStringLiteral("articlelist_42_7_2.html")};
        QTest::newRow("hundred-twenty")
            << qint64(120)
            << QStringList{first, Blog + QStringLiteral("articlelist_42_7_2.html"),
                           Blog + QStringLiteral("articlelist_42_7_3.html")};
    }
    void listPagesForCount()
    {
        QFETCH(qint64, count);
        QFETCH(QStringList, pages);
        TestRun run;
        Discovery::AddSinaListPages(*run.state, count, Blog + QStringLiteral("articlelist_42_7_1.html"));
        QCOMPARE(run.ui.listLines(), pages);
    }

    void planningQueuesCategoriesFavouritesAndAllArticles()
    {
        TestRun run;
        run.state->task.BlogAddress = Blog + QStringLiteral("articlelist_42_0_1.html");
        const QString page = QStringLiteral(
            "<div>\n<ul><li><strong>全部博文</strong><em>(120)</em></li>"
            "<li  ><a href=\"http://blog.sina.com.cn/s/articlelist_42_7_1.html\">甲</a><em>(51)</em></li>"
            "<li  ><a href=\"http://blog.sina.com.cn/s/articlelist_42_8_1.html\">乙</a><em>(0)</em></li>"
            "<li  ><a href=\"http://blog.sina.com.cn/s/articlelist_42_9_1.html\">丙</a><em>(3)</em>"
            "</li></ul>\n"
            "<li><a href=\"http://blog.sina.com.cn/s/favourites_42_1.html\">博文收藏</a><em>(60)</em>"
            "</li>\r\n"
            "<span comp_title=\"全部博文<em>(120)</em>\" class=\"title\">全部博文</span>\n");
        Discovery::PlanSinaListPages(*run.state, page);
        const QStringList expected{Blog + QStringLiteral("articlelist_42_7_1.html"),
                                   Blog + QStringLiteral("articlelist_42_7_2.html"),
                                   Blog + QStringLiteral("articlelist_42_9_1.html"),
                                   Blog + QStringLiteral("favourites_42_01.html"),
                                   Blog + QStringLiteral("favourites_42_02.html"),
                                   Blog + QStringLiteral("articlelist_42_0_1.html"),
                                   Blog + QStringLiteral("articlelist_42_0_2.html"),
                                   Blog + QStringLiteral("articlelist_42_0_3.html")};
        QCOMPARE(run.ui.listLines(), expected);
        // Every article once, every favourite once more.
        QCOMPARE(run.state->announcedArticles, std::optional<int>(180));
    }

    void planningOfBrokenPages()
    {
        TestRun run;
        run.state->task.BlogAddress = Blog + QStringLiteral("articlelist_42_0_1.html");
        // No marker line: nothing is queued, and the page is not one of a known layout.
        try {
            Discovery::PlanSinaListPages(*run.state,
                                         QStringLiteral("<html>\n<body>nothing here</body>\n</html>"));
            QFAIL("a page without counts was planned");
        } catch (const Text::UnrecognisedPage& unrecognised) {
            QVERIFY(unrecognised.message().startsWith(QStringLiteral("页面格式无法识别：缺少")));
            QCOMPARE(unrecognised.address(), run.state->task.BlogAddress);
        }
        QCOMPARE(run.ui.listCount(), 0);

        // A count that is no number ends the planning; what was planned before stays queued.
        const QString broken =
            QStringLiteral("<li><strong>全部博文</strong></li><li  ><a href=\"http://blog.sina.com.cn/s/"
                           "articlelist_42_7_1.html\">甲</a><em>(2)</em></li>\n"
                           "<li><a href=\"x\">博文收藏</a><em>(many)</em></li>\n"
                           "<span comp_title=\"全部博文<em>(5)</em>\" class=\"title\">\n");
        QVERIFY_THROWS_EXCEPTION(Text::Failure, Discovery::PlanSinaListPages(*run.state, broken));
        QCOMPARE(run.ui.listLines(), QStringList{Blog + QStringLiteral("articlelist_42_7_1.html")});
        // A plan cut short announces nothing it could not count.
        QCOMPARE(run.state->announcedArticles, std::nullopt);

        // A count beyond any blog is refused instead of planning millions of pages.
        run.ui.clearList();
        QVERIFY_THROWS_EXCEPTION(
            Text::Failure,
            Discovery::PlanSinaListPages(
                *run.state,
                QStringLiteral("<span comp_title=\"全部博文<em>(999999999999)</em>\" class=\"title\">")));
        QCOMPARE(run.ui.listCount(), 0);
    }

    void readsListPages()
    {
        const Discovery::SinaListPage list = ReadSinaListPage(ListPage(
            QStringLiteral("读书"), ListEntry(QStringLiteral("一"), QStringLiteral("blog_a.html"),
                                              QStringLiteral("(2012-01-01 10:00)")) +
                                        ListEntry(QStringLiteral("二"), QStringLiteral("blog_b.html"),
                                                  QStringLiteral("(2012-01-02 10:00)"))));
        QVERIFY(!list.favourites);
        QVERIFY(!list.incomplete);
        QCOMPARE(list.category, QStringLiteral("读书"));
        QCOMPARE(list.entries.size(), 2);
        QCOMPARE(list.entries.at(1).title, QStringLiteral("二"));
        QCOMPARE(list.entries.at(1).link, QStringLiteral("blog_b.html"));
        QCOMPARE(list.entries.at(1).date, QStringLiteral("(2012-01-02 10:00)"));

        const Discovery::SinaListPage favourites = ReadSinaListPage(FavouritesPage(FavouriteEntry(
            QStringLiteral("收藏一"), QStringLiteral("blog_f.html"), QStringLiteral("2011-05-05"))));
        QVERIFY(favourites.favourites);
        QCOMPARE(favourites.entries.size(), 1);
        QCOMPARE(favourites.entries.at(0).title, QStringLiteral("收藏一"));
        QCOMPARE(favourites.entries.at(0).link, QStringLiteral("blog_f.html"));
        QCOMPARE(favourites.entries.at(0).date, QStringLiteral("2011-05-05"));

        // Without the heading block every article's category is the not-found text.
        const Discovery::SinaListPage headless = ReadSinaListPage(ListEntry(
            QStringLiteral("一"), QStringLiteral("blog_a.html"), QStringLiteral("(2012-01-04 08:00)")));
        QCOMPARE(headless.category, QStringLiteral("未找到"));

        // A date missing: the entries stop before the article that lacks it.
        QString page =
            ListPage(QStringLiteral("读书"), ListEntry(QStringLiteral("一"), QStringLiteral("blog_a.html"),
                                                       QStringLiteral("(2012-01-01 08:00)")));
        page += QStringLiteral(
            "<a title=\"二\" target=\"_blank\" href=\"http://blog.sina.com.cn/s/blog_b.html\">二"
            "</a></span>\n");
        const Discovery::SinaListPage cut = ReadSinaListPage(page);
        QVERIFY(cut.incomplete);
        QCOMPARE(cut.entries.size(), 1);

        // A date too short to be cut ends the page at that article; the one before it stays.
        const Discovery::SinaListPage shortDate = ReadSinaListPage(
            ListPage(QStringLiteral("读书"),
                     ListEntry(QStringLiteral("一"), QStringLiteral("blog_a.html"),
                               QStringLiteral("(2012-01-01 08:00)")) +
                         ListEntry(QStringLiteral("二"), QStringLiteral("blog_b.html"), QString()) +
                         ListEntry(QStringLiteral("三"), QStringLiteral("blog_c.html"),
                                   QStringLiteral("(2012-01-03 08:00)"))));
        QVERIFY(shortDate.incomplete);
        QCOMPARE(shortDate.entries.size(), 1);
        QCOMPARE(shortDate.entries.at(0).link, QStringLiteral("blog_a.html"));
    }

    // The list page a browser saved from the real site: empty title attributes, the heading's "<em>"
    // written as entities, category entries in "<li>" without blanks.
    void realListPageIsReadWhole()
    {
        REAL_PAGES_OR_SKIP(pages);
        int read = 0;
        for (const TestSupport::RealPage& real : pages) {
            if (real.platform != Model::Sina || !real.name.contains(QStringLiteral("articlelist_"))) {
                continue;
            }
            ++read;
            const Discovery::SinaListPage list = ReadSinaListPage(real.text);
            QVERIFY(!list.favourites);
            QVERIFY(!list.incomplete);
            QCOMPARE(list.category, QStringLiteral("全部博文"));
            QCOMPARE(list.entries.size(), 50);
            for (const Discovery::SinaListEntry& entry : list.entries) {
                QVERIFY2(!entry.title.isEmpty() && entry.title != QStringLiteral("未找到"),
                         qPrintable(entry.link));
                QVERIFY(entry.link.startsWith(QStringLiteral("blog_")) &&
                        entry.link.endsWith(QStringLiteral(".html")));
                QCOMPARE(entry.date.size(), 16);
            }
            QCOMPARE(list.entries.at(0).title, QStringLiteral("洗心革面，重新做人"));
            QCOMPARE(list.entries.at(0).link, QStringLiteral("blog_4abd5fba01017i5v.html"));
            QCOMPARE(list.entries.at(0).date, QStringLiteral("2013-04-27 15:19"));

            // The category of 3 articles is queued too, before the 455 articles of the whole blog.
            TestRun run;
            run.state->task.BlogAddress =
                QStringLiteral("http://blog.sina.com.cn/s/articlelist_1253924794_0_1.html");
            Discovery::PlanSinaListPages(*run.state, real.text);
            const QStringList queue = run.ui.listLines();
            QCOMPARE(queue.size(), 1 + 10);
            QCOMPARE(queue.at(0),
                     QStringLiteral("http://blog.sina.com.cn/s/articlelist_1253924794_1_1.html"));
            QCOMPARE(queue.at(10),
                     QStringLiteral("http://blog.sina.com.cn/s/articlelist_1253924794_0_10.html"));
            QCOMPARE(run.state->announcedArticles, std::optional<int>(455));
        }
        QCOMPARE(read, 1);
    }

    // A list page that answers without any article of a known layout says so, instead of ending as
    // though the blog were empty.
    void unrecognisedListPagesSaySo()
    {
        TestRun run;
        // The driver ends the search with that text, not with "no article found".
        m_server.addRoute(
            Blog + QStringLiteral("articlelist_9_0_1.html"),
            Page(QStringLiteral("<span comp_title=\"全部博文<em>(3)</em>\" class=\"title\">\n")));
        TestSupport::Wait(Discovery::Start(*run.state, Model::Sina, QStringLiteral("blog9"),
                                           Blog + QStringLiteral("articlelist_9_0_1.html")));
        QVERIFY2(run.ui.status().startsWith(QStringLiteral("页面格式无法识别：缺少文章列表")),
                 qPrintable(run.ui.status()));
        QVERIFY(run.ui.status().contains(Blog + QStringLiteral("articlelist_9_0_1.html")));
    }

    // Walks a hand-made blog: a category page, the favourites and the all-articles pages.
    void walkFilesArticlesUnderTheirCategories()
    {
        TestRun run;
        const QString first = Blog + QStringLiteral("articlelist_42_0_1.html");
        run.state->task.BlogAddress = first;
        const QString planning =
            QStringLiteral("<li><strong>全部博文</strong></li><li  ><a href=\"http://blog.sina.com.cn/s/"
                           "articlelist_42_7_1.html\">甲</a><em>(1)</em></li>\n"
                           "<li><a href=\"x\">博文收藏</a><em>(1)</em></li>\n") +
            ListPage(QStringLiteral("全部博文"),
                     // Seen under its category: not appended again.
                     ListEntry(QStringLiteral("长号"), QStringLiteral("blog_112345.html"),
                               QStringLiteral("(2012-01-01 08:00)")) +
                         // Its link is part of a longer link seen before, yet it is another article.
                         ListEntry(QStringLiteral("短号"), QStringLiteral("blog_12345.html"),
                                   QStringLiteral("(2012-01-02 08:00)")) +
                         ListEntry(QStringLiteral("a b"), QStringLiteral("blog_3.html"),
                                   QStringLiteral("(2012-01-03 08:00)")),
                     3);
        m_server.addRoute(first, Page(planning));
        m_server.addRoute(Blog + QStringLiteral("articlelist_42_7_1.html"),
                          Page(ListPage(QStringLiteral("甲"),
                                        ListEntry(QStringLiteral("长号"), QStringLiteral("blog_112345.html"),
                                                  QStringLiteral("(2012-01-01 08:00)")))));
        m_server.addRoute(
            Blog + QStringLiteral("favourites_42_01.html"),
            Page(FavouritesPage(FavouriteEntry(QStringLiteral("短号"), QStringLiteral("blog_12345.html"),
                                               QStringLiteral("2012-01-02 08:00")))));

        TestSupport::Wait(Discovery::FindSinaArticles(*run.state, first));

        QCOMPARE(FoundRows::Of(*run.state),
                 (QStringList{QStringLiteral("长号|甲|blog_112345.html|(2012-01-01 08:00)"),
                              QStringLiteral("短号|博文收藏|blog_12345.html|2012-01-02 08:00"),
                              QStringLiteral("短号|未分类|blog_12345.html|(2012-01-02 08:00)"),
                              QStringLiteral("a-b|未分类|blog_3.html|(2012-01-03 08:00)")}));
        const QStringList pages = run.ui.statusHistory.filter(QStringLiteral("查找文章："));
        QCOMPARE(pages, (QStringList{QStringLiteral("查找文章：1页/3页"), QStringLiteral("查找文章：2页/3页"),
                                     QStringLiteral("查找文章：3页/3页")}));
        // The queue stays visible.
        QCOMPARE(run.ui.listCount(), 3);
    }

    void wholeGeneratedBlogIsFound()
    {
        const FakeWeb::SinaBlog blog({.articles = 1000, .categories = 5, .favourites = 20});
        blog.install(m_server);

        TestRun run;
        TestSupport::Wait(
            Discovery::Start(*run.state, 0, QStringLiteral("sina1000"), blog.firstPageAddress()));

        // The 1,000 articles of the blog and its 20 favourites, each found.
        QCOMPARE(
            run.ui.status(),
            QStringLiteral("文章寻找完成，找到1020篇（博客显示1020篇），按“下载”开始下载，或者保存本次任务"));
        const Model::ArticleList& list = run.state->articles;
        QCOMPARE(list.articleCount(), 1020);
        QCOMPARE(blog.expectedRows().size(), 1020);
        QCOMPARE(FoundRows::Of(*run.state), FoundRows::Of(blog.expectedRows()));
        QSet<QString> ownLinks;
        for (int row = 1; row <= list.articleCount(); ++row) {
            if (list.category(row) != QStringLiteral("博文收藏")) {
                ownLinks.insert(list.link(row));
            }
        }
        // Every article once under its category.
        QCOMPARE(ownLinks.size(), 1000);
        for (const QString& name : blog.categoryNames()) {
            QCOMPARE(run.state->categories.countOf(name), 200);
        }
        QCOMPARE(run.state->categories.countOf(QStringLiteral("博文收藏")), 20);
        // 5 x 4 category pages, 1 favourites page, 20 all-articles pages.
        QCOMPARE(run.ui.listCount(), 41);
        QVERIFY(run.ui.statusHistory.contains(QStringLiteral("查找文章：41页/41页")));
    }

    void uncategorisedArticlesOfAGeneratedBlog()
    {
        const FakeWeb::SinaBlog blog({.articles = 120, .categories = 3, .uncategorised = 7, .favourites = 3});
        blog.install(m_server);

        TestRun run;
        run.state->task.BlogAddress = blog.firstPageAddress();
        TestSupport::Wait(Discovery::FindSinaArticles(*run.state, blog.firstPageAddress()));
        QCOMPARE(run.state->categories.countOf(QStringLiteral("未分类")), 7);
        QCOMPARE(run.state->articles.articleCount(), 123);
        QCOMPARE(run.state->articles.category(123), QStringLiteral("未分类"));
    }

    void failuresKeepTheRowsFound()
    {
        TestRun run;
        run.state->http.timeoutMs = 300;
        run.state->http.untilOkAttempts = 2;
        const FakeWeb::SinaBlog blog({.articles = 150, .categories = 1});
        blog.install(m_server);
        // The second page of the category never answers.
        m_server.addRoute(blog.categoryPageAddress(0, 2), {.mode = FakeWeb::Response::Mode::NeverAnswer});
        run.state->task.BlogAddress = blog.firstPageAddress();

        QElapsedTimer clock;
        clock.start();
        QVERIFY_THROWS_EXCEPTION(Text::Failure, TestSupport::Wait(Discovery::FindSinaArticles(
                                                    *run.state, blog.firstPageAddress())));
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(run.state->articles.articleCount(), 50);

        // A nonsense address fails at once without rows.
        TestRun other;
        other.state->task.BlogAddress = QStringLiteral("not an address");
        QVERIFY_THROWS_EXCEPTION(Text::Failure, TestSupport::Wait(Discovery::FindSinaArticles(
                                                    *other.state, QStringLiteral("x y"))));
        QCOMPARE(other.state->articles.articleCount(), 0);
    }

    void hugeListPage()
    {
        // A 10 MB page: 20,000 article entries.
        QString entries;
        entries.reserve(11 * 1024 * 1024);
        for (int i = 0; i < 20000; ++i) {
            entries += ListEntry(QStringLiteral("标题") + QString::number(i),
                                 QStringLiteral("blog_%1.html").arg(i, 16, 10, QChar(u'0')),
                                 QStringLiteral("(2012-01-01 10:00)")) +
                       QStringLiteral("<p class=\"atc_info\">") + QString(320, u'x') +
                       QStringLiteral("</p>\n");
        }
        const QString page = ListPage(QStringLiteral("读书"), entries);
        QVERIFY(page.toUtf8().size() > 10 * 1000 * 1000);
        QElapsedTimer clock;
        clock.start();
        const Discovery::SinaListPage list = ReadSinaListPage(page);
        QCOMPARE(list.entries.size(), 20000);
        QVERIFY2(clock.elapsed() < 60000, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestSinaFinder)
#include "test_sinafinder.moc"
