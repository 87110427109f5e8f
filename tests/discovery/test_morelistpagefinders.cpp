// The list-page finders of iFeng, Yaolan, CSDN, ChinaUnix and the two CERSP areas, case by case; every
// list-page platform finds a whole generated blog in test_listpagefinders.
#include "cerspblog.h"
#include "csdnblog.h"
#include "discovery/discoverydriver.h"
#include "discovery/finders.h"
#include "discovery/listpageplatforms.h"
#include "discovery/listpagewalk.h"
#include "fakeweb.h"
#include "ifengblog.h"
#include "pagekit.h"
#include "support/foundrows.h"
#include "support/proxyweb.h"
#include "support/testrun.h"
#include "support/wait.h"
#include "text/matching.h"
#include "text/pagefetch.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"

#include <QFile>
#include <QTest>

#include <optional>

using namespace Discovery;
using FakeWeb::BlogSize;
using FakeWeb::GeneratedBlog;

Q_DECLARE_METATYPE(FakeWeb::Response)

namespace {

// The iFeng finder from a start page over a generated blog: the failure's message, or "" when it finished.
QString runIfeng(Model::RunState& state, const GeneratedBlog& blog, std::optional<int> startPage)
{
    FoundRows::SetTask(state, Model::Ifeng, blog.taskName, blog.address);
    return FoundRows::Run(FindIfengArticles(state, blog.address, startPage));
}

QString checkpointText(const QString& programFolder)
{
    const QString path = programFolder + QStringLiteral("/find.dat");
    return QFile::exists(path) ? Text::ReadLocalFile(path) : QString();
}

// A user interface that notes, whenever a list page begins, what the checkpoint and the task file hold.
class CheckpointWatcher final : public Model::UserInterface
{
public:
    QString programFolder;
    QString taskFile;
    QStringList statuses;
    QStringList checkpoints; // the checkpoint as each list page began
    QList<int> savedRows;    // the records of the task file as each list page began

    bool ask(const QString&, const QString&) override { return true; }
    void tell(const QString&) override {}
    void showCommandStates(const Model::CommandStates&) override {}
    bool openLocal(const QString&) override { return true; }
    bool openWeb(const QString&) override { return true; }

protected:
    void statusChanged(const QString& text) override
    {
        if (!text.startsWith(QStringLiteral("查找文章："))) {
            return;
        }
        statuses.append(text);
        checkpoints.append(Text::TextBetween(checkpointText(programFolder), QStringLiteral("<page>"),
                                             QStringLiteral("</page>"), 0));
        const QString path = programFolder + u'/' + taskFile;
        savedRows.append(QFile::exists(path)
                             ? int(Text::ReadLocalFile(path).count(QStringLiteral("\r\n\r\n\r\n"))) - 1
                             : -1);
    }
};

} // namespace

class TestMoreListPageFinders : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_server;

private slots:
    void init() { m_server.clear(); }

    // The list page names its data script with a closing quote and a blank before the tag's end; the
    // address stops at the quote.
    void ifengDataScriptAddress()
    {
        const QString host = QStringLiteral("http://blogfile.ifeng.com");
        QCOMPARE(ListPages::IfengDataScriptAddress(
                     QStringLiteral("<script src=\"http://blogfile.ifeng.com/list/7/2.js\" ></script>")),
                 host + QStringLiteral("/list/7/2.js"));
        QCOMPARE(ListPages::IfengDataScriptAddress(
                     QStringLiteral("<script src=\"http://blogfile.ifeng.com/list/7/2.js\"></script>")),
                 host + QStringLiteral("/list/7/2.js"));
        QCOMPARE(
            ListPages::IfengDataScriptAddress(QStringLiteral(
                "<script src=\"http://blogfile.ifeng.com/list/7/2.js?v=3\" charset=\"utf-8\"></script>")),
            host + QStringLiteral("/list/7/2.js?v=3"));
        QCOMPARE(ListPages::IfengDataScriptAddress(
                     QStringLiteral("<script src=\"http://other.host/list/7/2.js\"></script>")),
                 QString());
    }

    // An empty category is filed under "我的博文"; "?" and "/" of a title become "_"; the titles keep
    // what stands between the quotes.
    void ifengFieldsAfterUnescaping()
    {
        const GeneratedBlog blog =
            FakeWeb::installIfengBlog(m_server, BlogSize{QStringLiteral("feng"), 12, 12});
        TestRun run;
        QCOMPARE(runIfeng(*run.state, blog, std::nullopt), QString());
        const Model::ArticleList& list = run.state->articles;
        QCOMPARE(list.articleCount(), 12);
        QCOMPARE(list.title(4), QStringLiteral("为什么_代码札记第4篇_续"));
        QCOMPARE(list.category(6), QStringLiteral("我的博文"));
        QCOMPARE(list.category(12), QStringLiteral("我的博文"));
        QCOMPARE(list.category(5), QStringLiteral("生活"));
        QCOMPARE(list.date(1), QStringLiteral("2012-06-30 21:15"));
    }

    // With a start page of 4 the walk reads pages 4 to 6; after every page the task file and then the
    // checkpoint are written, so that the checkpoint never names a page whose rows are not saved.
    void ifengGoesOnFromStartPage()
    {
        const GeneratedBlog blog =
            FakeWeb::installIfengBlog(m_server, BlogSize{QStringLiteral("feng"), 30, 5});
        QCOMPARE(blog.pageCount, 6);
        const QString number = blog.address.section(u'/', -1).section(u'.', 0, 0);
        const auto listPage = [&](int p) {
            return QStringLiteral("http://blog.ifeng.com/%1-%2.html").arg(number).arg(p);
        };

        QTemporaryDir folder;
        CheckpointWatcher ui;
        ui.programFolder = folder.path();
        ui.taskFile = blog.taskName + QStringLiteral(".ini");
        QNetworkAccessManager network;
        Model::RunState state(folder.path(), ui, &network);
        state.http.timeoutMs = 3000;
        QCOMPARE(runIfeng(state, blog, 4), QString());

        QCOMPARE(FoundRows::Of(state), FoundRows::Of(blog.articles.mid(15)));
        for (int p = 1; p <= 6; ++p) {
            QCOMPARE(m_server.requestCount(listPage(p)), p >= 4 ? 1 : 0);
        }
        QCOMPARE(ui.checkpoints,
                 QStringList({QStringLiteral("未找到"), QStringLiteral("4"), QStringLiteral("5")}));
        QCOMPARE(ui.savedRows, QList<int>({-1, 5, 10}));
        QCOMPARE(checkpointText(folder.path()),
                 QStringLiteral("<blog>5</blog><name>feng</name><page>6</page>\r\n"));
        QCOMPARE(ui.statuses,
                 QStringList({QStringLiteral("查找文章：4页/6页"), QStringLiteral("查找文章：5页/6页"),
                              QStringLiteral("查找文章：6页/6页")}));

        m_server.clearLog();
        TestRun fromStart;
        QCOMPARE(runIfeng(*fromStart.state, blog, std::nullopt), QString());
        QCOMPARE(fromStart.state->articles.articleCount(), 30);
        QCOMPARE(m_server.requestCount(listPage(1)), 1);
        QCOMPARE(FoundRows::SearchStatuses(fromStart.ui).first(), QStringLiteral("查找文章：1页/6页"));

        // A start page beyond the last page reads none.
        m_server.clearLog();
        TestRun beyond;
        QCOMPARE(runIfeng(*beyond.state, blog, 7), QString());
        QCOMPARE(beyond.state->articles.articleCount(), 0);
        QCOMPARE(m_server.requestCount(QStringLiteral("http://blog.ifeng.com/%1-").arg(number)), 0);
    }

    // A resumed search keeps the rows loaded for the pages before the start page; a row that is already
    // listed (its page was saved just before the interruption) is not appended twice.
    void ifengResumptionAppendsOnlyNewRows()
    {
        const GeneratedBlog blog =
            FakeWeb::installIfengBlog(m_server, BlogSize{QStringLiteral("feng"), 30, 5});
        for (const int savedPages : {2, 3}) {
            TestRun run;
            for (int j = 0; j < savedPages * 5; ++j) {
                const FakeWeb::PageKit::ListedArticle& a = blog.articles[j];
                run.state->addArticleRow(a.title, a.category, a.link, a.date);
            }
            QCOMPARE(runIfeng(*run.state, blog, 3), QString());
            QCOMPARE(FoundRows::Of(*run.state), FoundRows::Of(blog.articles));
        }
    }

    // A search that breaks off at its third list page leaves the rows of two pages in the task file and
    // the checkpoint at page 2. Started again in a new run and answered with yes, it goes on at page 3:
    // every article once, in order, each at the place in its category that a search without a break
    // gives it.
    void ifengSearchResumesAfterInterruption()
    {
        const GeneratedBlog blog =
            FakeWeb::installIfengBlog(m_server, BlogSize{QStringLiteral("feng"), 30, 5});
        const QString number = blog.address.section(u'/', -1).section(u'.', 0, 0);
        const QString third = QStringLiteral("http://blog.ifeng.com/%1-3.html").arg(number);

        TestRun whole;
        TestSupport::Wait(Discovery::Start(*whole.state, Model::Ifeng, blog.taskName, blog.address));
        QCOMPARE(FoundRows::Of(*whole.state), FoundRows::Of(blog.articles));

        TestRun run;
        m_server.addRoute(third, {.mode = FakeWeb::Response::Mode::Reset});
        TestSupport::Wait(Discovery::Start(*run.state, Model::Ifeng, blog.taskName, blog.address));
        QCOMPARE(run.state->articles.articleCount(), 10);
        QCOMPARE(checkpointText(run.folder.path()),
                 QStringLiteral("<blog>5</blog><name>feng</name><page>2</page>\r\n"));

        // The program is started anew in the same folder (the first has ended and let go of the task);
        // the site answers again.
        run.state->taskLock.release();
        FakeWeb::installIfengBlog(m_server, BlogSize{QStringLiteral("feng"), 30, 5});
        m_server.clearLog();
        FakeUserInterface ui;
        ui.answers = {true};
        Model::RunState again(run.folder.path(), ui, &run.network);
        again.http.timeoutMs = 3000;
        TestSupport::Wait(Discovery::Start(again, Model::Ifeng, blog.taskName, blog.address));

        QCOMPARE(ui.questions, QStringList{QStringLiteral(
                                   "提示|检测到上次查找文章异常中断，是否继续?\r\n凤凰 : feng  第2页")});
        QCOMPARE(m_server.requestCount(QStringLiteral("http://blog.ifeng.com/%1-1.html").arg(number)), 0);
        QCOMPARE(m_server.requestCount(third), 1);
        QCOMPARE(FoundRows::Of(again), FoundRows::Of(blog.articles));
        for (int row = 1; row <= 30; ++row) {
            QCOMPARE(again.articles.text(row, Model::ArticleList::PositionColumn),
                     whole.state->articles.text(row, Model::ArticleList::PositionColumn));
        }
        QCOMPARE(ui.status(), QStringLiteral("文章寻找完成，按“下载”开始下载，或者保存本次任务"));
        QVERIFY(checkpointText(run.folder.path()).isEmpty());
    }

    // A list page that fails to answer interrupts the search, which keeps its checkpoint for a resume; a
    // page on which the finder's own rules end it (no pager, a list page naming no article script) ends
    // the search, which then needs no checkpoint.
    void ifengInterruptionOrOwnEnd_data()
    {
        QTest::addColumn<QString>("broken"); // "first" or "third" list page
        QTest::addColumn<FakeWeb::Response>("answer");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("checkpoint");
        const QString interrupted =
            QStringLiteral("查找文章中断，已找到10篇文章，按“下载”下载已找到的文章，或者保存本次任务");
        const QString kept = QStringLiteral("<blog>5</blog><name>feng</name><page>2</page>\r\n");
        const QByteArray noScript = QStringLiteral("<html><body>没有文章</body></html>").toUtf8();
        QTest::newRow("reset") << "third" << FakeWeb::Response{.mode = FakeWeb::Response::Mode::Reset} << 10
                               << interrupted << kept;
        QTest::newRow("silent") << "third" << FakeWeb::Response{.mode = FakeWeb::Response::Mode::NeverAnswer}
                                << 10 << interrupted << kept;
        QTest::newRow("no article script")
            << "third" << FakeWeb::Response{200, noScript} << 10
            << QStringLiteral("文章寻找完成，按“下载”开始下载，或者保存本次任务") << QString();
        QTest::newRow("no pager") << "first" << FakeWeb::Response{200, noScript} << 0
                                  << QStringLiteral("页面格式无法识别：缺少页数（http://blog.ifeng.com/")
                                  << QString();
    }
    void ifengInterruptionOrOwnEnd()
    {
        QFETCH(QString, broken);
        QFETCH(FakeWeb::Response, answer);
        QFETCH(int, rows);
        QFETCH(QString, status);
        QFETCH(QString, checkpoint);
        const GeneratedBlog blog =
            FakeWeb::installIfengBlog(m_server, BlogSize{QStringLiteral("feng"), 30, 5});
        const QString number = blog.address.section(u'/', -1).section(u'.', 0, 0);
        m_server.addRoute(broken == QStringLiteral("first")
                              ? blog.address
                              : QStringLiteral("http://blog.ifeng.com/%1-3.html").arg(number),
                          answer);
        TestRun run;
        run.state->http.timeoutMs = 300;

        TestSupport::Wait(Discovery::Start(*run.state, Model::Ifeng, blog.taskName, blog.address));

        QCOMPARE(run.state->articles.articleCount(), rows);
        // An interrupted search names the page that broke it off.
        if (checkpoint.isEmpty()) {
            // A first page without its pager is no page of a layout the finder knows.
            QVERIFY2(run.ui.status() == status || (status.startsWith(QStringLiteral("页面格式无法识别")) &&
                                                   run.ui.status().startsWith(status)),
                     qPrintable(run.ui.status()));
        } else {
            const QString page = QStringLiteral("http://blog.ifeng.com/%1-3.html").arg(number);
            QVERIFY2(run.ui.status().startsWith(status + QStringLiteral("（列表页 ") + page +
                                                QStringLiteral("：")),
                     qPrintable(run.ui.status()));
        }
        QCOMPARE(checkpointText(run.folder.path()), checkpoint);
    }

    // A first page without "<!--显示分页-->" is a blog of one page, whatever further pages exist.
    void csdnWithoutPagerReadsOnePage()
    {
        const GeneratedBlog blog =
            FakeWeb::installCsdnBlog(m_server, BlogSize{QStringLiteral("qiu"), 23, 10});
        TestRun run;
        QString first = TestSupport::Wait(
            Text::FetchPage(run.state->http, blog.address + QStringLiteral("/1"), QStringLiteral("UTF-8")));
        const int pager = Text::Find(first, QStringLiteral("<!--显示分页-->"));
        QVERIFY(pager > 0);
        first = first.left(pager - 1) + QStringLiteral("</body></html>");
        m_server.addRoute(blog.address, FakeWeb::PageKit::textPage(first, "utf-8"));
        m_server.clearLog();

        QCOMPARE(FoundRows::RunFinder(*run.state, FindCsdnArticles, Model::Csdn, QStringLiteral("qiu"),
                                      blog.address),
                 QString());
        QCOMPARE(FoundRows::Of(*run.state), FoundRows::Of(blog.articles.mid(0, 10)));
        QCOMPARE(m_server.requestCount(blog.address + QStringLiteral("/1")), 1);
        QCOMPARE(m_server.requestCount(blog.address + QStringLiteral("/2")), 0);
        QCOMPARE(FoundRows::SearchStatuses(run.ui), QStringList({QStringLiteral("查找文章：1页/1页")}));
    }

    // A category page of the later layout: its script's page size and total give the pages, each row is
    // filed under the category the page names, and the sidebar's links to other articles are no rows.
    void csdnCategoryPagesOfTheLaterLayout()
    {
        const GeneratedBlog blog =
            FakeWeb::installCsdnCategoryBlog(m_server, BlogSize{QStringLiteral("qiu"), 23, 10});
        TestRun run;
        QCOMPARE(FoundRows::RunFinder(*run.state, FindCsdnArticles, Model::Csdn, QStringLiteral("qiu"),
                                      blog.address),
                 QString());
        QCOMPARE(FoundRows::Of(*run.state), FoundRows::Of(blog.articles));
        QCOMPARE(m_server.requestCount(QStringLiteral("http://blog.csdn.net/qiu/category_4321_3.html")), 1);
        QCOMPARE(FoundRows::SearchStatuses(run.ui).last(), QStringLiteral("查找文章：3页/3页"));
        QCOMPARE(FoundRows::PagesWithoutBody(*run.state), QStringList());
    }

    // The first area reads one list page per 30 articles begun, and files every article under "默认分类".
    void cerspPagesFollowTheTotal_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("pages");
        QTest::newRow("30") << 30 << 1;
        QTest::newRow("31") << 31 << 2;
        QTest::newRow("0") << 0 << 0;
    }

    void cerspPagesFollowTheTotal()
    {
        QFETCH(int, total);
        QFETCH(int, pages);
        const GeneratedBlog blog =
            FakeWeb::installCerspBlog(m_server, BlogSize{QStringLiteral("7001"), total, 10});
        TestRun run;
        QCOMPARE(FoundRows::RunFinder(*run.state, FindCerspArticles, Model::Cersp, QStringLiteral("7001"),
                                      blog.address),
                 QString());
        QCOMPARE(run.state->articles.articleCount(), total);
        QCOMPARE(m_server.requestCount(QStringLiteral("http://blog.cersp.com/paginator/")), pages);
        QStringList expected;
        for (int p = 1; p <= pages; ++p) {
            expected.append(QStringLiteral("查找文章：%1页").arg(p));
        }
        QCOMPARE(FoundRows::SearchStatuses(run.ui), expected);
        for (int row = 1; row <= total; ++row) {
            QCOMPARE(run.state->articles.category(row), QStringLiteral("默认分类"));
        }
    }

    // The second area: page 1 is the blog address itself; an entry without a category link is filed
    // under "未分类"; an article link written without its leading "/" gets one, so that the address
    // names the blog's host; a title beginning with a character of "阅读全文" is no "阅读全文" link.
    void cerspEblogEntries()
    {
        const GeneratedBlog blog =
            FakeWeb::installCerspEblogBlog(m_server, BlogSize{QStringLiteral("园丁"), 12, 5});
        TestRun run;
        QCOMPARE(FoundRows::RunFinder(*run.state, FindCerspEblogArticles, Model::CerspEblog,
                                      QStringLiteral("园丁"), blog.address),
                 QString());
        QCOMPARE(run.state->articles.articleCount(), 12);
        QCOMPARE(m_server.requestCount(blog.address), 1);
        QCOMPARE(m_server.requestCount(QStringLiteral("http://eblog.cersp.com/cmd.asp")), 2);
        QCOMPARE(m_server.requestCount(QStringLiteral("http://eblog.cersp.com/cmd.asp?uid=")), 2);
        QVERIFY(!m_server.requestLog().join(u'\n').contains(QStringLiteral("&page=1")));

        const Model::ArticleList& list = run.state->articles;
        QCOMPARE(list.category(3), QStringLiteral("未分类"));
        QCOMPARE(list.category(1), QStringLiteral("随笔"));
        QCOMPARE(list.title(2), QStringLiteral("读书笔记第2篇"));
        QCOMPARE(list.title(4), QStringLiteral("为什么_代码札记第4篇_续"));
        QVERIFY(list.link(1).startsWith(QStringLiteral("/userlog")));
        QCOMPARE(run.state->articleAddress(1), QStringLiteral("http://eblog.cersp.com") + list.link(1));
        QCOMPARE(list.date(1), QStringLiteral("2012-6-30 21:15:00"));
    }

    // A date list one match short gives the last entry "未找到"; two short, it ends the finder at that
    // entry, keeping the rows before.
    void shortDateListEndsTheFinder()
    {
        const QString entry =
            QStringLiteral("<div class=\"tit2\"><a href=\"/uid-5-id-%1.html\">标题%1</a></div>\n");
        const QString date = QStringLiteral(
            "<div class=\"data\" style=\"width:132px;height:20px;\">(2012-01-0%1 08:00)</div>\n");
        const QString pager = QStringLiteral(
            "<div class='page'><div>共&nbsp;2&nbsp;页</div><span><a class=\"here\">1</a></span></div>");
        m_server.addRoute(QStringLiteral("http://blog.chinaunix.net/space.php?uid=5&page=1"),
                          FakeWeb::PageKit::textPage(
                              entry.arg(1) + date.arg(1) + entry.arg(2) + entry.arg(3) + pager, "gb2312"));
        TestRun run;
        QVERIFY(!FoundRows::RunFinder(*run.state, FindChinaUnixArticles, Model::ChinaUnix,
                                      QStringLiteral("5"),
                                      QStringLiteral("http://blog.chinaunix.net/space.php?uid=5&page=1"))
                     .isEmpty());
        QCOMPARE(FoundRows::Of(*run.state),
                 QStringList({QStringLiteral("标题1|默认分类|uid-5-id-1.html|2012-01-01 08:00"),
                              QStringLiteral("标题2|默认分类|uid-5-id-2.html|未找到")}));
        QCOMPARE(m_server.requestCount(QStringLiteral("http://blog.chinaunix.net/space.php?uid=5&page=2")),
                 0);
    }
};

QTEST_GUILESS_MAIN(TestMoreListPageFinders)
#include "test_morelistpagefinders.moc"
