#include "cerspblog.h"
#include "chinaunixblog.h"
#include "csdnblog.h"
#include "discovery/discoverydriver.h"
#include "discovery/finders.h"
#include "discovery/listpageplatforms.h"
#include "discovery/listpagewalk.h"
#include "fakeweb.h"
#include "ifengblog.h"
#include "listpageblogs.h"
#include "support/foundrows.h"
#include "support/proxyweb.h"
#include "support/testrun.h"
#include "support/wait.h"
#include "text/matching.h"
#include "text/pagefetch.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"
#include "yaolanblog.h"

#include <QStringEncoder>
#include <QTest>
#include <QUrl>

#include <QCoro/QCoroTask>

using namespace Discovery;
using FakeWeb::BlogSize;
using FakeWeb::GeneratedBlog;

Q_DECLARE_METATYPE(FakeWeb::Response)

namespace {

// A platform whose finder walks numbered list pages, and the generator of a blog for it.
struct PlatformCase
{
    int code;
    const char* label;
    std::function<QCoro::Task<>(Model::RunState&, QString)> finder;
    GeneratedBlog (*install)(FakeWeb::Server&, const BlogSize&);
};

const QList<PlatformCase>& Platforms()
{
    using namespace FakeWeb;
    static const QList<PlatformCase> all = {
        {Model::Baidu, "baidu", FindBaiduArticles, installBaiduBlog},
        {Model::Hexun, "hexun", FindHexunArticles, installHexunBlog},
        {Model::Sohu, "sohu", FindSohuArticles, installSohuBlog},
        {Model::Tianya, "tianya", FindTianyaArticles, installTianyaBlog},
        {Model::Tianya2, "tianya2", FindTianya2Articles, installTianya2Blog},
        {Model::Cto51, "51cto", FindCto51Articles, installCto51Blog},
        {Model::Ifeng, "ifeng",
         [](Model::RunState& state, QString address) {
             return FindIfengArticles(state, std::move(address), std::nullopt);
         },
         installIfengBlog},
        {Model::Yaolan, "yaolan", FindYaolanArticles, installYaolanBlog},
        {Model::Csdn, "csdn", FindCsdnArticles, installCsdnBlog},
        {Model::ChinaUnix, "chinaunix", FindChinaUnixArticles, installChinaUnixBlog},
        {Model::Cersp, "cersp", FindCerspArticles, installCerspBlog},
        {Model::CerspEblog, "cersp-eblog", FindCerspEblogArticles, installCerspEblogBlog},
    };
    return all;
}

FakeWeb::Response gbPage(const QString& html)
{
    FakeWeb::Response r;
    QStringEncoder encoder("GB18030");
    r.body = encoder.encode(html);
    return r;
}

QString hexunEntry(const QString& name, int id, const QString& title, const QString& dateBlock)
{
    return QStringLiteral("<div class='Article'><div class='ArticleTitle'><span class='ArticleTitleText'><a "
                          "href='http://%1.blog.hexun.com/%2_d.html'>%3</a></span> %4</div><div "
                          "class='ArticleFoot'><a href='#'>阅读全文</a></div></div></div>\r\n")
        .arg(name)
        .arg(id)
        .arg(title, dateBlock);
}

QString cto51Entry(int id, const QString& title)
{
    return QStringLiteral("<h3 class=\"artTitle\"><a href=\"/77/%1\">%2</a></h3>\n").arg(id).arg(title);
}

QString cto51Date(const QString& date)
{
    return QStringLiteral("<div class=\"time\">%1</div></div>\n").arg(date);
}

QString cto51Category(int id, const QString& category)
{
    return QStringLiteral("类别：<a href=/77/c-1>%2</a>|<a href=\"/77/%1\">阅读</a>\n").arg(id).arg(category);
}

} // namespace

class TestListPageFinders : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_server;

private slots:
    void init() { m_server.clear(); }

    // Every platform finds exactly the articles of a generated blog, in order, and the download side
    // finds each article page where the task's addresses point, with a body between the platform's markers.
    void discoversGeneratedBlog_data()
    {
        QTest::addColumn<int>("platform"); // index in Platforms()
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("articles");
        QTest::addColumn<int>("perPage");
        for (int index = 0; index < Platforms().size(); ++index) {
            const int code = Platforms().at(index).code;
            const bool numbered = code == Model::Tianya || code == Model::ChinaUnix || code == Model::Cersp;
            const QString name = numbered ? QStringLiteral("20481") : QStringLiteral("lanxin");
            // The first CERSP area lists 30 articles a page whatever the blog's size asks.
            const int many = code == Model::Cersp ? 65 : 23;
            const QString label = QString::fromLatin1(Platforms().at(index).label);
            QTest::newRow(qPrintable(label + QStringLiteral("-three-pages"))) << index << name << many << 10;
            QTest::newRow(qPrintable(label + QStringLiteral("-one-page"))) << index << name << 4 << 10;
        }
    }

    void discoversGeneratedBlog()
    {
        QFETCH(int, platform);
        QFETCH(QString, name);
        QFETCH(int, articles);
        QFETCH(int, perPage);
        const PlatformCase& tested = Platforms().at(platform);
        const GeneratedBlog blog = tested.install(m_server, BlogSize{name, articles, perPage});

        TestRun run;
        QCOMPARE(FoundRows::RunFinder(*run.state, tested.finder, tested.code, name, blog.address), QString());

        QCOMPARE(run.state->task.TaskName, blog.taskName);
        QCOMPARE(FoundRows::Of(*run.state), FoundRows::Of(blog.articles));
        QCOMPARE(FoundRows::FetchAddresses(*run.state), blog.articleAddresses);
        QCOMPARE(FoundRows::SearchStatuses(run.ui).size(), blog.pageCount);
        // The statuses of the first CERSP area name no page count.
        if (tested.code != Model::Cersp) {
            QCOMPARE(run.ui.statusHistory.last(), SearchStatus(blog.pageCount, blog.pageCount));
        }
        QCOMPARE(FoundRows::PagesWithoutBody(*run.state), QStringList());
    }

    // A list page that answers with no page is asked for again and then interrupts the search, naming
    // the page: its articles are not silently dropped. The rows of the pages before it stay. Only the
    // Hexun walk, which ends at the first page without the list, takes a page that is gone for the end.
    void listPageWithoutAPageInterruptsTheSearch_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<FakeWeb::Response>("answer");
        QTest::addColumn<bool>("interrupted");
        const QString baidu = QStringLiteral("http://hi.baidu.com/lanxin/blog/index/1");
        const QString hexun = QStringLiteral("http://lanxin.blog.hexun.com/p2/default.aspx");
        const FakeWeb::Response reset{200, {}, {}, 0, FakeWeb::Response::Mode::Reset};
        QTest::newRow("baidu 500") << int(Model::Baidu) << baidu << FakeWeb::Response{500, QByteArray("busy")}
                                   << true;
        QTest::newRow("baidu reset") << int(Model::Baidu) << baidu << reset << true;
        QTest::newRow("baidu 404") << int(Model::Baidu) << baidu << FakeWeb::Response{404, QByteArray("gone")}
                                   << true;
        QTest::newRow("hexun 503") << int(Model::Hexun) << hexun << FakeWeb::Response{503, QByteArray("busy")}
                                   << true;
        QTest::newRow("hexun 404 ends the blog")
            << int(Model::Hexun) << hexun << FakeWeb::Response{404, QByteArray("gone")} << false;
    }
    void listPageWithoutAPageInterruptsTheSearch()
    {
        QFETCH(int, code);
        QFETCH(QString, failing);
        QFETCH(FakeWeb::Response, answer);
        QFETCH(bool, interrupted);
        const BlogSize size{QStringLiteral("lanxin"), 23, 10};
        const GeneratedBlog blog = code == Model::Baidu ? FakeWeb::installBaiduBlog(m_server, size)
                                                        : FakeWeb::installHexunBlog(m_server, size);
        m_server.addRoute(failing, answer);

        TestRun run;
        TestSupport::Wait(Discovery::Start(*run.state, code, size.name, blog.address));
        QCOMPARE(FoundRows::Of(*run.state), FoundRows::Of(blog.articles.mid(0, 10)));
        QCOMPARE(bool(run.state->searchInterruption), interrupted);
        // Asked for as often as the bound allows (a reset connection the network layer may try again).
        const int asked = m_server.requestCount(failing);
        if (!interrupted) {
            QCOMPARE(asked, 1);
        } else if (answer.mode == FakeWeb::Response::Mode::Reset) {
            QVERIFY(asked >= run.state->http.untilOkAttempts);
        } else {
            QCOMPARE(asked, run.state->http.untilOkAttempts);
        }
        if (interrupted) {
            QCOMPARE(run.state->searchInterruption->address, failing);
            QVERIFY(run.ui.status().startsWith(QStringLiteral("查找文章中断，已找到10篇文章")));
            QVERIFY(run.ui.status().contains(failing));
        }
    }

    void baiduCountsPagesFromZero()
    {
        const GeneratedBlog blog =
            FakeWeb::installBaiduBlog(m_server, BlogSize{QStringLiteral("yunshan"), 45, 10});
        TestRun run;
        QCOMPARE(FoundRows::RunFinder(*run.state, FindBaiduArticles, Model::Baidu, QStringLiteral("yunshan"),
                                      blog.address),
                 QString());
        QCOMPARE(FoundRows::SearchStatuses(run.ui),
                 QStringList({QStringLiteral("查找文章：1页/5页"), QStringLiteral("查找文章：2页/5页"),
                              QStringLiteral("查找文章：3页/5页"), QStringLiteral("查找文章：4页/5页"),
                              QStringLiteral("查找文章：5页/5页")}));
        for (int i = 0; i <= 4; ++i) {
            QCOMPARE(
                m_server.requestCount(QStringLiteral("http://hi.baidu.com/yunshan/blog/index/%1").arg(i)), 1);
        }
        QCOMPARE(m_server.requestCount(QStringLiteral("http://hi.baidu.com/yunshan/blog/index/5")), 0);
    }

    // A first page without the pager gives no page count: the finder fails before reading any list page.
    void pageCountThatIsNoNumberEndsTheFinder()
    {
        m_server.addRoute(QStringLiteral("http://hi.baidu.com/solo/blog"),
                          gbPage(QStringLiteral("<html><body>只有一页</body></html>")));
        TestRun run;
        QVERIFY(!FoundRows::RunFinder(*run.state, FindBaiduArticles, Model::Baidu, QStringLiteral("solo"),
                                      QStringLiteral("http://hi.baidu.com/solo/blog"))
                     .isEmpty());
        QCOMPARE(run.state->articles.articleCount(), 0);
        QCOMPARE(m_server.requestCount(), 1);
    }

    void maxNumberBetween()
    {
        const QString pager =
            QStringLiteral("'><span class='multipage-current'>1</span><a "
                           "href='http://ab.blog.hexun.com/p2/default.aspx'>2</a><span "
                           "class='pageSep'></span><a "
                           "href='http://ab.blog.hexun.com/p3/default.aspx'>3</a><span class='pageSep'>"
                           "</span><a href='http://ab.blog.hexun.com/p10/default.aspx'>10</a><span "
                           "class='pageSep'></span><a "
                           "href='http://ab.blog.hexun.com/p2/default.aspx' title='下一页'>下一页");
        const QString start = QStringLiteral("'>");
        const QString end = QStringLiteral("</a><span class='pa");
        QCOMPARE(MaxNumberBetween(pager, start, end, QStringLiteral("ab")), 10);
        QCOMPARE(
            MaxNumberBetween(QStringLiteral("未找到title='下一页'>下一页"), start, end, QStringLiteral("ab")),
            0);
        QVERIFY_THROWS_EXCEPTION(Text::Failure, MaxNumberBetween(QStringLiteral("ab'>x</a><span class='pa"),
                                                                 start, end, QStringLiteral("ab")));
    }

    void hexunWithoutPageLinksReadsNoPage()
    {
        m_server.addRoute(QStringLiteral("http://ab.blog.hexun.com/"),
                          gbPage(QStringLiteral("<!--  文章列表:开始  -->") +
                                 hexunEntry(QStringLiteral("ab"), 1, QStringLiteral("甲"),
                                            QStringLiteral("[原创 2012-01-01 08:00]&nbsp;")) +
                                 QStringLiteral("<span class='multipage-current'>1</span>")));
        TestRun run;
        QCOMPARE(FoundRows::RunFinder(*run.state, FindHexunArticles, Model::Hexun, QStringLiteral("ab"),
                                      QStringLiteral("http://ab.blog.hexun.com")),
                 QString());
        QCOMPARE(run.state->articles.articleCount(), 0);
        QCOMPARE(m_server.requestCount(), 1);
    }

    // The walk ends at the first list page without the list-start comment; an entry without its date
    // markers is kept with the date "未找到".
    void hexunStopsAtPageWithoutList()
    {
        const QString pager = QStringLiteral(
            "<div class='PageSkip_1'><span class='multipage-current'>1</span><a "
            "href='http://ab.blog.hexun.com/p3/default.aspx'>3</a><span class='pageSep'></span><a "
            "href='http://ab.blog.hexun.com/p2/default.aspx' title='下一页'>下一页</a></div>");
        const QString page1 = QStringLiteral("<!--  文章列表:开始  -->\r\n") +
                              hexunEntry(QStringLiteral("ab"), 11, QStringLiteral(" 有日期 "),
                                         QStringLiteral("[原创 2012-01-01 08:00]&nbsp;")) +
                              hexunEntry(QStringLiteral("ab"), 12, QStringLiteral("无日期"),
                                         QStringLiteral("[原创 2012-01-02 08:00]")) +
                              QStringLiteral("<!--  文章列表:结束  -->\r\n") + pager;
        m_server.addRoute(QStringLiteral("http://ab.blog.hexun.com/"), gbPage(page1));
        m_server.addRoute(QStringLiteral("http://ab.blog.hexun.com/p1/default.aspx"), gbPage(page1));
        m_server.addRoute(QStringLiteral("http://ab.blog.hexun.com/p2/default.aspx"),
                          gbPage(QStringLiteral("<html>博客维护中</html>")));
        m_server.addRoute(QStringLiteral("http://ab.blog.hexun.com/p3/default.aspx"), gbPage(page1));

        TestRun run;
        QCOMPARE(FoundRows::RunFinder(*run.state, FindHexunArticles, Model::Hexun, QStringLiteral("ab"),
                                      QStringLiteral("http://ab.blog.hexun.com")),
                 QString());
        const Model::ArticleList& list = run.state->articles;
        QCOMPARE(list.articleCount(), 2);
        QCOMPARE(list.title(1), QStringLiteral(" 有日期 ")); // Hexun titles keep their blanks
        QCOMPARE(list.link(1), QStringLiteral("11_d.html"));
        QCOMPARE(list.date(1), QStringLiteral("2012-01-01 08:00"));
        QCOMPARE(list.category(1), QStringLiteral("默认类别"));
        QCOMPARE(list.date(2), Text::NotFound);
        QCOMPARE(m_server.requestCount(QStringLiteral("http://ab.blog.hexun.com/p3/")), 0);
        QCOMPARE(run.ui.statusHistory.last(), QStringLiteral("查找文章：2页/3页"));
    }

    void sohuPageCount_data()
    {
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("perPage");
        QTest::addColumn<int>("pages");
        QTest::newRow("41-by-20") << QStringLiteral("41") << QStringLiteral("20") << 3;
        QTest::newRow("40-by-20") << QStringLiteral("40") << QStringLiteral("20") << 2;
        QTest::newRow("none") << QStringLiteral("0") << QStringLiteral("20") << 0;
        QTest::newRow("zero-per-page") << QStringLiteral("41") << QStringLiteral("0") << -1;
    }

    void sohuPageCount()
    {
        QFETCH(QString, total);
        QFETCH(QString, perPage);
        QFETCH(int, pages);
        m_server.addRoute(
            QStringLiteral("http://ab.blog.sohu.com/entry/"),
            gbPage(QStringLiteral("<script>var _ebi = 'k123';\nvar totalCount = %1;\nvar itemPerPage = "
                                  "%2;\n</script>")
                       .arg(total, perPage)));
        // List pages without entries.
        m_server.addHandler([](const FakeWeb::Request& request) -> std::optional<FakeWeb::Response> {
            if (!request.path.startsWith(QStringLiteral("/action/v_frag-ebi_k123-pg_"))) {
                return std::nullopt;
            }
            return FakeWeb::Response{200, QByteArray("<div></div>")};
        });
        TestRun run;
        const QString failure =
            FoundRows::RunFinder(*run.state, FindSohuArticles, Model::Sohu, QStringLiteral("ab"),
                                 QStringLiteral("http://ab.blog.sohu.com/entry/"));
        // List pages without a single entry are pages of a layout the finder does not know.
        QCOMPARE(!failure.isEmpty(), pages != 0);
        QVERIFY(failure.isEmpty() || failure.startsWith(QStringLiteral("页面格式无法识别：缺少")));
        QCOMPARE(m_server.requestCount(QStringLiteral("http://ab.blog.sohu.com/action/v_frag-ebi_k123-pg_")),
                 std::max(pages, 0));
    }

    void tianyaBlogNumberFromAddress()
    {
        const GeneratedBlog blog =
            FakeWeb::installTianyaBlog(m_server, BlogSize{QStringLiteral("123"), 3, 10});
        TestRun run;
        // The task name plays no part in the list-page addresses.
        QCOMPARE(
            FoundRows::RunFinder(*run.state, FindTianyaArticles, Model::Tianya, QStringLiteral("anything"),
                                 QStringLiteral("http://blog.tianya.cn/blogger/blog_main.asp?BlogID=123")),
            QString());
        QCOMPARE(m_server.requestLog().first(),
                 QStringLiteral("GET http://blog.tianya.cn/blogger/blog_main.asp?BlogID=123"));
        QCOMPARE(run.state->articles.articleCount(), 3);
        // The first page is kept in the program folder.
        const QString saved = Text::ReadLocalFile(run.path(QStringLiteral("tianya.html")));
        QVERIFY(saved.startsWith(QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; "
                                                "charset=gb18030\">\r\n")));
        QVERIFY(saved.contains(QStringLiteral("pages pos-relative")));
        QVERIFY(saved.endsWith(QStringLiteral("</html>\r\n")));

        m_server.clearLog();
        TestRun other;
        QVERIFY(!FoundRows::RunFinder(*other.state, FindTianyaArticles, Model::Tianya, QStringLiteral("123"),
                                      QStringLiteral("http://blog.tianya.cn/blogger/blog_main.asp?ID=123"))
                     .isEmpty());
        QCOMPARE(QUrl::fromPercentEncoding(m_server.requestLog().first().toUtf8()),
                 QStringLiteral("GET http://blog.tianya.cn/blogger/blog_main.asp?BlogID=未找到"));
    }

    // The articles are addressed by the RSS number: the task takes it as its name, also when a failure
    // ends the walk after some rows; without the number the name stays.
    void tianya2TaskNamedByRssNumber()
    {
        const GeneratedBlog blog =
            FakeWeb::installTianya2Blog(m_server, BlogSize{QStringLiteral("qiu"), 25, 10});
        m_server.addRoute(
            QStringLiteral("http://blog.tianya.cn/blogger/"
                           "view_blog.asp?BlogName=qiu&CategoryID=0&page=3&idWriter=0&Key=0"),
            gbPage(QStringLiteral("<td><a href=\"post_show.asp?idWriter=0&Key=0&BlogID=1&PostID=9\" "
                                  "target=_blank>无日期</a></td>\n<td><a "
                                  "href=\"post_show.asp?idWriter=0&Key=0&BlogID=1&PostID=8\" "
                                  "target=_blank>也无日期</a></td>")));
        TestRun run;
        QVERIFY(!FoundRows::RunFinder(*run.state, FindTianya2Articles, Model::Tianya2, QStringLiteral("qiu"),
                                      blog.address)
                     .isEmpty());
        QCOMPARE(run.state->articles.articleCount(), 20);
        QCOMPARE(run.state->task.TaskName, blog.taskName);
        QCOMPARE(run.state->articleFetchAddress(20), blog.articleAddresses[19]);
        QCOMPARE(run.state->taskFolder(), run.path(blog.taskName));

        m_server.clear();
        m_server.addRoute(QStringLiteral("http://qiu.blog.tianya.cn/"),
                          gbPage(QStringLiteral("<span class=\"title2\">页码：1/1 <b></b></span>")));
        TestRun noRss;
        QVERIFY(FoundRows::RunFinder(*noRss.state, FindTianya2Articles, Model::Tianya2, QStringLiteral("qiu"),
                                     QStringLiteral("http://qiu.blog.tianya.cn"))
                    .startsWith(QStringLiteral("页面格式无法识别：缺少文章列表")));
        QCOMPARE(noRss.state->task.TaskName, QStringLiteral("qiu"));

        // A quoted link to the next page: its closing quote is sent too, escaped as a request line needs.
        m_server.clear();
        m_server.addRoute(QStringLiteral("http://qiu.blog.tianya.cn/"),
                          gbPage(QStringLiteral("<span class=\"title2\">页码：1/2 <b><a href=\"view_blog.asp?"
                                                "BlogName=qiu&CategoryID=0&page=2&idWriter=0\">下一页</a>")));
        m_server.addHandler([](const FakeWeb::Request&) -> std::optional<FakeWeb::Response> {
            return FakeWeb::Response{200, QByteArray("<html></html>")};
        });
        TestRun quoted;
        FoundRows::RunFinder(*quoted.state, FindTianya2Articles, Model::Tianya2, QStringLiteral("qiu"),
                             QStringLiteral("http://qiu.blog.tianya.cn"));
        QCOMPARE(m_server.requests().size(), 2);
        QCOMPARE(m_server.requests().at(1).target,
                 QByteArray("http://blog.tianya.cn/blogger/view_blog.asp?BlogName=qiu&CategoryID=0&page=2"
                            "&idWriter=0%22"));
    }

    void listPageWithoutMatchesIsPassedOver()
    {
        const GeneratedBlog blog =
            FakeWeb::installCto51Blog(m_server, BlogSize{QStringLiteral("mu"), 25, 10});
        const QString uid = blog.articles.first().link.section(u'/', 0, 0);
        m_server.addRoute(QStringLiteral("http://mu.blog.51cto.com/%1/p-2").arg(uid),
                          gbPage(QStringLiteral("<html><body>暂无文章</body></html>")));
        TestRun run;
        QCOMPARE(FoundRows::RunFinder(*run.state, FindCto51Articles, Model::Cto51, QStringLiteral("mu"),
                                      blog.address),
                 QString());
        QCOMPARE(run.state->articles.articleCount(), 15);
        QCOMPARE(run.state->articles.link(11), blog.articles[20].link);
        QCOMPARE(run.ui.statusHistory.last(), QStringLiteral("查找文章：3页/3页"));
    }

    // A match list of N matches has N + 1 elements, the last one empty, so a field list one match short
    // gives its last entry "未找到"; reading beyond the list fails, keeping the entries before.
    void shortFieldListEndsTheFinder()
    {
        QString page;
        for (int id = 1; id <= 4; ++id) {
            page += cto51Entry(id, QStringLiteral("标题%1").arg(id)) +
                    cto51Date(QStringLiteral("2012-01-0%1 08:00:00").arg(id));
        }
        page += cto51Category(1, QStringLiteral("甲")) + cto51Category(2, QStringLiteral("乙"));

        const ListPageEntries read = ReadListPage(ListPages::Cto51(), page);
        QVERIFY(read.failure);
        QCOMPARE(read.entries.size(), 3);
        QCOMPARE(read.entries[1].category, QStringLiteral("乙"));
        QCOMPARE(read.entries[1].link, QStringLiteral("77/2"));
        QCOMPARE(read.entries[1].date, QStringLiteral("2012-01-02 08:00:00"));
        QCOMPARE(read.entries[2].category, Text::NotFound);

        m_server.addRoute(
            QStringLiteral("http://mu.blog.51cto.com/"),
            gbPage(QStringLiteral("<a href=\"../rss.php?uid=77\"></a><div>&nbsp;页数 ( 1/2 )</div>")));
        m_server.addRoute(QStringLiteral("http://mu.blog.51cto.com/77/p-1"), gbPage(page));
        TestRun run;
        QVERIFY(!FoundRows::RunFinder(*run.state, FindCto51Articles, Model::Cto51, QStringLiteral("mu"),
                                      QStringLiteral("http://mu.blog.51cto.com"))
                     .isEmpty());
        QCOMPARE(run.state->articles.articleCount(), 3);
        QCOMPARE(m_server.requestCount(QStringLiteral("http://mu.blog.51cto.com/77/p-2")), 0);
    }
};

QTEST_GUILESS_MAIN(TestListPageFinders)
#include "test_listpagefinders.moc"
