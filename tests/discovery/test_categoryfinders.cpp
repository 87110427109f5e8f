#include "discovery/cnblogslayout.h"
#include "discovery/finders.h"
#include "discovery/health39finder.h"
#include "discovery/listpageplatforms.h"
#include "support/foundrows.h"
#include "support/proxyweb.h"
#include "support/realpages.h"
#include "support/testrun.h"

#include "cnblogsblog.h"
#include "fakeweb.h"
#include "health39blog.h"

#include <QTest>

using FakeWeb::PageKit::textPage;

class TestCategoryFinders : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_server;

private slots:
    void init() { m_server.clear(); }

    void health39ListPagesPerTwentyFiveArticles_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("pages");
        QTest::newRow("none") << 0 << QStringList();
        QTest::newRow("negative") << -3 << QStringList();
        QTest::newRow("one page full") << 25 << QStringList{"p1.html"};
        QTest::newRow("one more") << 26 << QStringList{"p1.html", "p2.html"};
        QTest::newRow("category of 30") << 30 << QStringList{"p1.html", "p2.html"};
        QTest::newRow("total of 60") << 60 << QStringList{"p1.html", "p2.html", "p3.html"};
    }
    void health39ListPagesPerTwentyFiveArticles()
    {
        QFETCH(int, count);
        QFETCH(QStringList, pages);
        TestRun run;
        run.state->ui.addListLine(QStringLiteral("earlier"));
        Discovery::AddListPages(*run.state, count, QStringLiteral("p"));
        QCOMPARE(run.state->ui.listLines(), QStringList{"earlier"} + pages);
    }
    void health39ImplausibleCountQueuesNothing()
    {
        TestRun run;
        QVERIFY_THROWS_EXCEPTION(Text::Failure,
                                 Discovery::AddListPages(*run.state, 2000000000, QStringLiteral("p")));
        QCOMPARE(run.state->ui.listCount(), 0);
    }

    void health39CategoryNumberOfAListPage()
    {
        QCOMPARE(Discovery::Health39CategoryNumber("http://blog.39.net/abc/ArticleList_1002_3.html"), 1002);
        QCOMPARE(Discovery::Health39CategoryNumber("http://blog.39.net/abc/ArticleList_0_1.html"), 0);
        // An account with underscores of its own.
        QCOMPARE(Discovery::Health39CategoryNumber("http://blog.39.net/li_ming_2/ArticleList_1001_1.html"),
                 1001);
        QVERIFY_THROWS_EXCEPTION(Text::Failure, Discovery::Health39CategoryNumber("http://blog.39.net/abc/"));
    }

    // One category of 30 (two pages), 30 articles in none, an empty category: five list pages, the
    // category's pages first; every article once, under its category or "未分类".
    void health39FindsEveryArticleOnceUnderItsCategory()
    {
        const FakeWeb::Health39Blog blog(QStringLiteral("jiankang"), 60, 1);
        blog.install(m_server);
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Health39, QStringLiteral("jiankang"), blog.address());

        QCOMPARE(FoundRows::Run(Discovery::FindHealth39Articles(*run.state, blog.address())), QString());

        const QString base = QStringLiteral("http://blog.39.net/jiankang/ArticleList_");
        QCOMPARE(run.state->ui.listLines(),
                 (QStringList{base + "1001_1.html", base + "1001_2.html", base + "0_1.html",
                              base + "0_2.html", base + "0_3.html"}));
        const QStringList rows = FoundRows::Of(*run.state);
        QCOMPARE(rows, FoundRows::Of(blog.listedArticles()));
        QCOMPARE(rows.filter(QStringLiteral("|未分类|")).size(), 30);
        QCOMPARE(run.ui.statusHistory.first(), QStringLiteral("查找文章：1页/5页"));
        QCOMPARE(run.ui.statusHistory.last(), QStringLiteral("查找文章：5页/5页"));
        QCOMPARE(FoundRows::PagesWithoutBody(*run.state), QStringList());
    }

    void health39AccountWithUnderscore()
    {
        const FakeWeb::Health39Blog blog(QStringLiteral("li_ming"), 30, 2);
        blog.install(m_server);
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Health39, QStringLiteral("li_ming"), blog.address());
        QCOMPARE(FoundRows::Run(Discovery::FindHealth39Articles(*run.state, blog.address())), QString());
        QCOMPARE(FoundRows::Of(*run.state), FoundRows::Of(blog.listedArticles()));
    }

    // A count in the menu that is not a number ends the search while planning: nothing is read.
    void health39BadCountEndsBeforeAnyListPage()
    {
        const QString home = QStringLiteral(
            "<ul><li><a href=\"/x/ArticleList_0_1.html\">所有分类</a></li>"
            "<li><a href=\"/x/ArticleList_1001_1.html\">养生(许多)</a></li></ul><span></span></div></div>\n"
            "<div class=\"c_top2\"><strong>博文 > 所有文章(共有<b>3</b>篇文章)</strong></div>\n");
        const QString address = QStringLiteral("http://blog.39.net/x/ArticleList_0_1.html");
        m_server.addRoute(address, textPage(home, "gb2312"));
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Health39, QStringLiteral("x"), address);
        QVERIFY(!FoundRows::Run(Discovery::FindHealth39Articles(*run.state, address)).isEmpty());
        QCOMPARE(run.state->articles.articleCount(), 0);
        QCOMPARE(m_server.requestCount(), 1);
    }

    // Five post categories (the first called "C#") and one of articles; every seventh post also sits in
    // "C#", so it is listed twice and never again among the uncategorised posts.
    void cnblogsFindsCategoriesThenTheRest()
    {
        const FakeWeb::CnblogsBlog blog(QStringLiteral("coder"), 45, 5, 3);
        blog.install(m_server);
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Cnblogs, QStringLiteral("coder"), blog.address());

        QCOMPARE(FoundRows::Run(Discovery::FindCnblogsArticles(*run.state, blog.address())), QString());

        const QStringList rows = FoundRows::Of(*run.state);
        QCOMPARE(rows, FoundRows::Of(blog.listedArticles()));
        QVERIFY(!rows.filter(QStringLiteral("|[随笔]C#|")).isEmpty());
        QCOMPARE(rows.filter(QStringLiteral("|[文章]技术文章|")).size(), 3);
        // A post listed in two categories.
        const QString twice = QStringLiteral("|2012/06/27/2375042.html|");
        QCOMPARE(rows.filter(twice).size(), 2);
        QCOMPARE(rows.filter(twice).filter(QStringLiteral("[随笔]默认分类")).size(), 0);
        QVERIFY(run.ui.statusHistory.contains(QStringLiteral("查找分类：6页")));
        QCOMPARE(run.ui.statusHistory.last(), QStringLiteral("查找未分类：3页"));
        QCOMPARE(FoundRows::PagesWithoutBody(*run.state), QStringList());
    }

    // The later layout: categories from the sidebar answer, category pages of 20 posts each followed
    // page by page, then the home pages for the rest; posts at "p/NUMBER.html".
    void cnblogsLaterLayoutFollowsEveryPage()
    {
        const FakeWeb::CnblogsBlog blog = FakeWeb::CnblogsBlog::laterLayout(QStringLiteral("coder"), 95, 2);
        blog.install(m_server);
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Cnblogs, QStringLiteral("coder"), blog.address());

        QCOMPARE(FoundRows::Run(Discovery::FindCnblogsArticles(*run.state, blog.address())), QString());

        const QStringList rows = FoundRows::Of(*run.state);
        QCOMPARE(rows, FoundRows::Of(blog.listedArticles()));
        QVERIFY(rows.filter(QStringLiteral("|[随笔]C#|p/")).size() > 20);
        QCOMPARE(rows.filter(QStringLiteral("|[文章]技术文章|")).size(), 3);
        QCOMPARE(run.ui.statusHistory.last(), QStringLiteral("查找未分类：10页"));
        QCOMPARE(FoundRows::PagesWithoutBody(*run.state), QStringList());
    }

    void cnblogsPostsPagesCutDatesToTheMinute()
    {
        const QString host = QStringLiteral("http://www.cnblogs.com/d");
        m_server.addRoute(host, textPage(QStringLiteral("<html>no categories</html>"), "utf-8"));
        const QString posts =
            QStringLiteral("<div class=\"Pager\">共1页: 上一页 <a href=\"x\">1</a></div>\n"
                           "<a id=\"PostsList1_rpPosts_TitleUrl_0\" href=\"") +
            host +
            QStringLiteral(
                "/archive/2012/03/01/7.html\">Hello? World</a> <span class=\"postDesc2\">2012-03-01 "
                "10:20 阅读(3) 评论(1)</span>\n");
        m_server.addRoute(host + "/MyPosts.html", textPage(posts, "utf-8"));
        m_server.addRoute(host + "/MyPosts.html?page=1", textPage(posts, "utf-8"));
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Cnblogs, QStringLiteral("d"), host);
        QCOMPARE(FoundRows::Run(Discovery::FindCnblogsArticles(*run.state, host)), QString());
        QCOMPARE(FoundRows::Of(*run.state),
                 QStringList{"Hello_-World|[随笔]默认分类|2012/03/01/7.html|2012-03-01 10:20"});
    }

    // Without a pager the uncategorised posts cannot be counted: the search ends after the categories.
    void cnblogsWithoutPagerKeepsTheCategories()
    {
        const FakeWeb::CnblogsBlog blog(QStringLiteral("nopager"), 12, 2, 1);
        blog.install(m_server);
        m_server.addRoute(blog.address() + "/MyPosts.html",
                          textPage(QStringLiteral("<html></html>"), "utf-8"));
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Cnblogs, QStringLiteral("nopager"), blog.address());
        QVERIFY(!FoundRows::Run(Discovery::FindCnblogsArticles(*run.state, blog.address())).isEmpty());
        const QStringList expected = FoundRows::Of(blog.listedArticles())
                                         .filter(QRegularExpression("\\|\\[(文章\\]|随笔\\](?!默认分类))"));
        QCOMPARE(FoundRows::Of(*run.state), expected);
        QVERIFY(!expected.isEmpty());
    }

    // Every list page of the real sites in their later layouts: how many rows, the first and the last
    // ("title|category|link|date"; cnblogs rows take their category from the page they were found
    // through), and the categories of the page's sidebar.
    void realListPagesOfLaterLayouts_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QStringList>("categories");
        QTest::newRow("10-csdn/sereasuesue-category_10790248.html")
            << 3 << "python爬虫入门之http协议和 Chrome 浏览器抓包工具|爬虫|113799129|2021-02-13 10:31:14"
            << "简单爬虫入门|爬虫|113562113|2021-02-07 10:46:29" << QStringList();
        QTest::newRow("14-cnblogs/dongwanhong-home-2020.html")
            << 10 << "搭建 webpack、react 开发环境（三）||p/10546792.html|2019-03-17 14:08"
            << "CSS 清除浮动的几种方法||p/9233079.html|2018-07-01 11:33" << QStringList();
        QTest::newRow("14-cnblogs/wangyang1225-home-2022.html")
            << 10 << "书单||p/16942010.html|2022-12-01 17:06"
            << "测试||p/16524958.html|2022-07-27 15:11"
            << QStringList{"[随笔]测试分类", "[随笔]分类1", "[随笔]分类测试"};
        QTest::newRow("14-cnblogs/wangfupeng1988-ajax-sidecolumn-2020.html")
            << 0 << QString() << QString()
            << QStringList{"[随笔]css知多少", "[随笔]javascript便签笔记系列", "[随笔]wangEditor使用手册"};
    }
    void realListPagesOfLaterLayouts()
    {
        QFETCH(int, count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QStringList, categories);
        REAL_PAGES_OR_SKIP(pages);
        const QString name = QString::fromUtf8(QTest::currentDataTag());
        const auto page =
            std::find_if(pages.begin(), pages.end(), [&](const auto& p) { return p.name == name; });
        QVERIFY(page != pages.end());

        QStringList rows;
        QStringList found;
        if (page->platform == Model::Csdn) {
            const Discovery::ListPagePlatform csdn = Discovery::ListPages::Csdn();
            for (const Discovery::ListEntry& e :
                 Discovery::ReadListPage(csdn, Discovery::CleanListPage(csdn, page->text)).entries) {
                rows.append(FoundRows::Line(e.title, e.category, e.link, e.date));
            }
        } else {
            for (const Discovery::LayoutRow& row : Discovery::CnblogsLayout::Rows(page->text)) {
                rows.append(FoundRows::Line(row.title, row.category, row.link, row.date));
            }
            for (const auto& link : Discovery::CnblogsLayout::CategoryLinks(page->text)) {
                QVERIFY2(link.address.startsWith(QStringLiteral("http://www.cnblogs.com/")) &&
                             link.address.contains(QStringLiteral("/category/")),
                         qPrintable(link.address));
                found.append((link.articles ? QStringLiteral("[文章]") : QStringLiteral("[随笔]")) +
                             link.name);
            }
        }
        QCOMPARE(rows.size(), count);
        if (count > 0) {
            QCOMPARE(rows.first(), first);
            QCOMPARE(rows.last(), last);
        }
        QCOMPARE(found, categories);
    }
};

QTEST_GUILESS_MAIN(TestCategoryFinders)
#include "test_categoryfinders.moc"
