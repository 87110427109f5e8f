#include "discovery/announcedarticles.h"
#include "discovery/archivedarticles.h"
#include "discovery/discoverydriver.h"
#include "model/taskfiles.h"
#include "model/taskname.h"
#include "support/testrun.h"
#include "support/wait.h"
#include "text/failure.h"
#include "text/textfiles.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTest>

#include <algorithm>

using Discovery::FinderTable;
using Model::CommandStates;
using Model::RunState;

namespace {

const CommandStates DiscoveryBegins{true, false, false, true, false, false};
const CommandStates DiscoveryEnds{true, true, false, true, true, true};

// How a test finder ends after appending its rows.
enum class Ending { Finished, RequestFailed, OwnRule };

// A finder that appends `rows` articles, announces `announced` (when set), and then ends as asked.
FinderTable TableWith(int code, int rows, Ending ending = Ending::Finished,
                      std::optional<int> announced = std::nullopt)
{
    FinderTable table = Discovery::Finders();
    table[size_t(code)] = [rows, ending, announced](RunState& state, QString,
                                                    std::optional<int>) -> QCoro::Task<> {
        if (announced) {
            Discovery::AnnounceArticles(state, *announced);
        }
        for (int i = 1; i <= rows; ++i) {
            state.addArticleRow(QStringLiteral("标题%1").arg(i), QStringLiteral("分类"),
                                QStringLiteral("blog_%1.html").arg(i), QStringLiteral("2012-01-01"));
        }
        co_await Text::LetEventsRun();
        if (ending == Ending::RequestFailed) {
            throw Text::RequestFailure(QStringLiteral("list page timed out"), QStringLiteral("http://a.b/p3"),
                                       QStringLiteral("请求失败（超时），已尝试3次"));
        }
        if (ending == Ending::OwnRule) {
            throw Text::Failure(QStringLiteral("page count is no number"));
        }
    };
    return table;
}

bool Exists(const TestRun& run, const QString& name)
{
    return QFile::exists(run.path(name));
}

} // namespace

Q_DECLARE_METATYPE(Ending)
Q_DECLARE_METATYPE(std::optional<int>)

class TestDiscoveryDriver : public QObject
{
    Q_OBJECT

private slots:
    void everyPlatformHasAFinder()
    {
        for (const Discovery::Finder& finder : Discovery::Finders()) {
            QVERIFY(bool(finder));
        }
    }

    void outcomes_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<std::optional<int>>("announced");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("checkpointKept");
        const std::optional<int> none;
        const QString finished = QStringLiteral("文章寻找完成，按“下载”开始下载，或者保存本次任务");
        const QString nothing = QStringLiteral("未找到文章，请检查地址");
        const QString why = QStringLiteral("（列表页 http://a.b/p3：请求失败（超时），已尝试3次）");
        QTest::newRow("none found") << 0 << Ending::Finished << none << nothing << true;
        QTest::newRow("finished") << 3 << Ending::Finished << none << finished << false;
        QTest::newRow("finished, all announced found")
            << 3 << Ending::Finished << std::optional<int>(3)
            << QStringLiteral("文章寻找完成，找到3篇（博客显示3篇），按“下载”开始下载，或者保存本次任务")
            << false;
        QTest::newRow("finished, fewer than announced")
            << 3 << Ending::Finished << std::optional<int>(5)
            << QStringLiteral("文章寻找完成，找到3篇（博客显示5篇），按“下载”开始下载，或者保存本次任务")
            << false;
        QTest::newRow("finished, more than announced")
            << 5 << Ending::Finished << std::optional<int>(3)
            << QStringLiteral(
                   "文章寻找完成，找到5篇（博客显示3篇，多出2篇），按“下载”开始下载，或者保存本次任务")
            << false;
        QTest::newRow("announced, none found")
            << 0 << Ending::Finished << std::optional<int>(4) << nothing << true;
        QTest::newRow("request failed part-way")
            << 2 << Ending::RequestFailed << none
            << QStringLiteral("查找文章中断，已找到2篇文章，按“下载”下载已找到的文章，或者保存本次任务") + why
            << true;
        QTest::newRow("request failed part-way, announced")
            << 2 << Ending::RequestFailed << std::optional<int>(9)
            << QStringLiteral("查找文章中断，已找到2篇文章，按“下载”下载已找到的文章，或者保存本次任务") + why
            << true;
        QTest::newRow("request failed at once")
            << 0 << Ending::RequestFailed << none
            << QStringLiteral("查找文章中断，未找到文章，请检查地址和网络") + why << true;
        // A finder's own end is the end of the search, not an interruption.
        QTest::newRow("own rule part-way") << 2 << Ending::OwnRule << none << finished << false;
        QTest::newRow("own rule part-way, announced")
            << 2 << Ending::OwnRule << std::optional<int>(7)
            << QStringLiteral("文章寻找完成，找到2篇（博客显示7篇），按“下载”开始下载，或者保存本次任务")
            << false;
        QTest::newRow("own rule at once") << 0 << Ending::OwnRule << none << nothing << true;
    }
    void outcomes()
    {
        QFETCH(int, rows);
        QFETCH(Ending, ending);
        QFETCH(std::optional<int>, announced);
        QFETCH(QString, status);
        QFETCH(bool, checkpointKept);
        TestRun run;
        // A checkpoint of another task: no question, and only a finished search removes it.
        Text::WriteTextFile(run.folder.path(), QStringLiteral("find.dat"),
                            QStringLiteral("<blog>3</blog><name>other</name><page>2</page>"));
        run.ui.addListLine(QStringLiteral("help line"));
        run.state->addArticleRow(QStringLiteral("old"), QStringLiteral("old"), QStringLiteral("old"),
                                 QString());

        TestSupport::Wait(Discovery::Start(*run.state, 2, QStringLiteral("blogname"),
                                           QStringLiteral("http://a.b/"),
                                           TableWith(2, rows, ending, announced)));

        QCOMPARE(run.ui.status(), status);
        QCOMPARE(run.state->announcedArticles, announced);
        QCOMPARE(Discovery::DiscoveryShortfall(*run.state), announced ? std::max(0, *announced - rows) : 0);
        QCOMPARE(run.state->articles.articleCount(), rows);
        // The run keeps which page broke the search off, and why.
        if (ending == Ending::RequestFailed) {
            QVERIFY(run.state->searchInterruption);
            QCOMPARE(run.state->searchInterruption->address, QStringLiteral("http://a.b/p3"));
            QCOMPARE(run.state->searchInterruption->reason, QStringLiteral("请求失败（超时），已尝试3次"));
        } else {
            QVERIFY(!run.state->searchInterruption);
        }
        QCOMPARE(Exists(run, QStringLiteral("find.dat")), checkpointKept);
        QVERIFY(run.ui.questions.isEmpty());
        QCOMPARE(run.ui.commandStates, (QList<CommandStates>{DiscoveryBegins, DiscoveryEnds}));
        QVERIFY(run.ui.statusHistory.contains(QStringLiteral("正在查找文章..")));
        QCOMPARE(run.ui.listCount(), 0);
        QCOMPARE(run.state->stageText, QStringLiteral("100"));
        QCOMPARE(run.state->task.TaskName, QStringLiteral("blogname"));
        QCOMPARE(run.state->task.PlatformCode, 2);
        QCOMPARE(run.state->task.BlogAddress, QStringLiteral("http://a.b/"));
        QVERIFY(!run.state->discoveryRunning);
    }

    void implausibleCountsAreNotAnnounced()
    {
        TestRun run;
        for (const qint64 count : {qint64(-1), qint64(2000000000), qint64(1) << 40}) {
            Discovery::AnnounceArticles(*run.state, count);
            QCOMPARE(run.state->announcedArticles, std::nullopt);
        }
        Discovery::AnnounceArticles(*run.state, 0);
        QCOMPARE(run.state->announcedArticles, std::optional<int>(0));
        // More rows than announced is no shortfall.
        run.state->addArticleRow(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QString());
        QCOMPARE(Discovery::DiscoveryShortfall(*run.state), 0);
    }

    void resumeAnswered_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void resumeAnswered()
    {
        QFETCH(bool, yes);
        TestRun run;
        // The interrupted search of task "feng" on iFeng saved two rows and reached page 3.
        run.state->task =
            Model::BlogTask{QStringLiteral("feng"), 5, QStringLiteral("http://feng/"), true, false};
        run.state->addArticleRow(QStringLiteral("甲"), QStringLiteral("散文"), QStringLiteral("1"),
                                 QStringLiteral("d1"));
        run.state->addArticleRow(QStringLiteral("乙"), QStringLiteral("散文"), QStringLiteral("2"),
                                 QStringLiteral("d2"));
        Model::expini(*run.state);
        Model::WriteCheckpoint(*run.state, 3);
        run.state->ResetArticleList();
        run.state->task = Model::BlogTask{};
        run.ui.answers = {yes};

        std::optional<int> passed = -1;
        int rowsWhenFinderStarted = -1;
        FinderTable table = Discovery::Finders();
        table[5] = [&](RunState& state, QString, std::optional<int> resumePage) -> QCoro::Task<> {
            passed = resumePage;
            rowsWhenFinderStarted = state.articles.articleCount();
            state.addArticleRow(QStringLiteral("丙"), QStringLiteral("散文"), QStringLiteral("3"),
                                QStringLiteral("d3"));
            co_return;
        };
        TestSupport::Wait(
            Discovery::Start(*run.state, 5, QStringLiteral("feng"), QStringLiteral("http://feng/"), table));

        QCOMPARE(run.ui.questions, QStringList{QStringLiteral(
                                       "提示|检测到上次查找文章异常中断，是否继续?\r\n凤凰 : feng  第3页")});
        if (yes) {
            QCOMPARE(passed, std::optional<int>(4));
            QCOMPARE(rowsWhenFinderStarted, 2);
            QCOMPARE(run.state->articles.articleCount(), 3);
            // The loaded rows are counted, so the next article of the category is the third.
            QCOMPARE(run.state->articles.text(3, Model::ArticleList::PositionColumn), QStringLiteral("3"));
            QCOMPARE(run.state->categories.countOf(QStringLiteral("散文")), 3);
        } else {
            QCOMPARE(passed, std::nullopt);
            QCOMPARE(rowsWhenFinderStarted, 0);
            QCOMPARE(run.state->articles.articleCount(), 1);
        }
        // A search that finished no longer needs its checkpoint either way.
        QVERIFY(!Exists(run, QStringLiteral("find.dat")));
    }

    // Only a finder that records its progress goes on from a checkpoint. Every other one searches the
    // whole blog again, so the rows saved with the checkpoint must not be loaded, or each would be
    // found twice; and an article met twice in one search gets one row.
    void checkpointOfAFinderThatDoesNotResume()
    {
        TestRun run;
        run.state->task =
            Model::BlogTask{QStringLiteral("xl"), 0, QStringLiteral("http://sina/"), true, false};
        for (int i = 1; i <= 3; ++i) {
            run.state->addArticleRow(QStringLiteral("标题%1").arg(i), QStringLiteral("分类"),
                                     QStringLiteral("blog_%1.html").arg(i), QStringLiteral("2012-01-01"));
        }
        Model::expini(*run.state);
        Model::WriteCheckpoint(*run.state, 1);
        run.state->ResetArticleList();
        run.ui.answers = {true};

        int rowsWhenFinderStarted = -1;
        FinderTable table = TableWith(0, 3);
        const Discovery::Finder appendThree = table[0];
        table[0] = [&](RunState& state, QString address, std::optional<int> resume) -> QCoro::Task<> {
            rowsWhenFinderStarted = state.articles.articleCount();
            co_await appendThree(state, address, resume);
            // The same articles again, one of them under another category as well.
            co_await appendThree(state, address, resume);
            state.addArticleRow(QStringLiteral("标题1"), QStringLiteral("博文收藏"),
                                QStringLiteral("blog_1.html"), QStringLiteral("2012-01-01"));
        };
        TestSupport::Wait(
            Discovery::Start(*run.state, 0, QStringLiteral("xl"), QStringLiteral("http://sina/"), table));

        QVERIFY(run.ui.questions.isEmpty());
        QCOMPARE(rowsWhenFinderStarted, 0);
        QCOMPARE(run.state->articles.articleCount(), 4);
        QCOMPARE(run.state->categories.countOf(QStringLiteral("分类")), 3);
        QCOMPARE(run.state->articles.category(4), QStringLiteral("博文收藏"));
        QVERIFY(!Exists(run, QStringLiteral("find.dat")));
    }

    void secondStartIsRefusedWhileASearchRuns()
    {
        TestRun run;
        QString statusSeenBySecond;
        FinderTable table = Discovery::Finders();
        table[1] = [&](RunState& state, QString, std::optional<int>) -> QCoro::Task<> {
            state.addArticleRow(QStringLiteral("一"), QStringLiteral("c"), QStringLiteral("l1"),
                                QStringLiteral("d"));
            // The new-task dialog starts another task from within this search.
            co_await Discovery::Start(state, 2, QStringLiteral("second"), QStringLiteral("http://second/"),
                                      table);
            statusSeenBySecond = state.ui.status();
            state.addArticleRow(QStringLiteral("二"), QStringLiteral("c"), QStringLiteral("l2"),
                                QStringLiteral("d"));
        };
        TestSupport::Wait(
            Discovery::Start(*run.state, 1, QStringLiteral("first"), QStringLiteral("http://first/"), table));

        QCOMPARE(statusSeenBySecond, QStringLiteral("上一个任务的查找或下载尚未结束，请稍后再新建任务"));
        QCOMPARE(run.state->task.TaskName, QStringLiteral("first"));
        QCOMPARE(run.state->articles.articleCount(), 2);
        QCOMPARE(run.ui.status(), QStringLiteral("文章寻找完成，按“下载”开始下载，或者保存本次任务"));

        // Once it is over, a new task starts normally.
        TestSupport::Wait(
            Discovery::Start(*run.state, 2, QStringLiteral("third"), QString(), TableWith(2, 1)));
        QCOMPARE(run.state->task.TaskName, QStringLiteral("third"));
        QCOMPARE(run.state->articles.articleCount(), 1);
    }

    void unknownPlatformStartsNoTask()
    {
        TestRun run;
        run.state->task.TaskName = QStringLiteral("kept");
        run.state->addArticleRow(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                 QStringLiteral("d"));
        for (const int code : {-1, 17, 255}) {
            TestSupport::Wait(
                Discovery::Start(*run.state, code, QStringLiteral("x"), QStringLiteral("http://x/")));
            QCOMPARE(run.ui.status(), QStringLiteral("平台代号%1无效，任务未开始").arg(code));
        }
        // A name from the dialog or anywhere else that would lead outside the program folder.
        for (const QString& name : {QStringLiteral(".."), QStringLiteral("../up"), QString()}) {
            TestSupport::Wait(Discovery::Start(*run.state, 0, name, QStringLiteral("http://x/")));
            QCOMPARE(run.ui.status(), Model::TaskNameRefusal(name) + QStringLiteral("，任务未开始"));
        }
        // A task another run works on (a scheduled backup holding the task folder's lock).
        QVERIFY(QDir().mkpath(run.path(QStringLiteral("busy"))));
        QLockFile other(run.path(QStringLiteral("busy/.qvlrx-lock")));
        QVERIFY(other.tryLock(0));
        TestSupport::Wait(Discovery::Start(*run.state, 0, QStringLiteral("busy"), QStringLiteral("http://x/"),
                                           TableWith(0, 1)));
        QCOMPARE(run.ui.status(), QStringLiteral("另一个备份正在运行：%1（进程%2），任务未开始")
                                      .arg(run.path(QStringLiteral("busy")))
                                      .arg(QCoreApplication::applicationPid()));
        QCOMPARE(run.state->task.TaskName, QStringLiteral("kept"));
        QCOMPARE(run.state->articles.articleCount(), 1);
        QVERIFY(run.ui.commandStates.isEmpty());
    }

    void automaticModeLeavesTheButtonsAlone()
    {
        TestRun run;
        Text::WriteTextFile(run.folder.path(), QStringLiteral("auto.cfg"),
                            QStringLiteral("  <blog>2</blog><name>auto</name>"));
        TestSupport::Wait(
            Discovery::Start(*run.state, 2, QStringLiteral("auto"), QString(), TableWith(2, 0)));
        QVERIFY(run.ui.commandStates.isEmpty());
        QCOMPARE(run.ui.status(), QStringLiteral("未找到文章，请检查地址"));
        QVERIFY(!run.state->discoveryRunning);
    }

    // An archive's index: only the blog's article addresses become rows (a cnblogs post keeps its form),
    // the page after is asked for by its key, and an answer that is no index, or is cut off, is refused
    // in words rather than read as an empty blog.
    void archiveIndexPages()
    {
        const Discovery::ArchivedArticleLayout cnblogs{
            QStringLiteral("www.cnblogs.com/fan/"),
            {},
            QStringLiteral(
                "(p/\\d+\\.html)|archive/(\\d{4}/\\d{2}/\\d{2}/\\d+\\.html)|articles/(\\d+\\.html)")};
        const QByteArray answer =
            "[[\"urlkey\",\"timestamp\",\"original\",\"mimetype\",\"statuscode\",\"digest\",\"length\"],"
            "[\"com,cnblogs)/fan/p/12.html\",\"20120101000000\",\"http://www.cnblogs.com:80/fan/p/"
            "12.html\",\"text/html\",\"200\",\"X\",\"1\"],"
            "[\"com,cnblogs)/fan/archive/2009/03/01/7.html\",\"20090301000000\",\"https://www.cnblogs.com/"
            "fan/archive/2009/03/01/7.html\",\"text/html\",\"200\",\"X\",\"1\"],"
            "[\"com,cnblogs)/fan/default.html\",\"20090301000000\",\"http://www.cnblogs.com/fan/"
            "default.html?page=2\",\"text/html\",\"200\",\"X\",\"1\"],"
            "[\"com,cnblogs)/fanatic/p/3.html\",\"20090301000000\",\"http://www.cnblogs.com/fanatic/p/"
            "3.html\",\"text/html\",\"200\",\"X\",\"1\"],"
            "[],[\"com%2Ccnblogs%29%2Ffan%2Fp%2F13.html+20130101\"]]";
        const Discovery::CdxPage page = Discovery::ReadCdxPage(answer, cnblogs);
        QStringList links;
        for (const Discovery::ArchivedArticle& article : page.articles) {
            links << article.link;
        }
        QCOMPARE(links, (QStringList{QStringLiteral("p/12.html"), QStringLiteral("2009/03/01/7.html")}));
        QCOMPARE(page.resumeKey, QStringLiteral("com%2Ccnblogs%29%2Ffan%2Fp%2F13.html+20130101"));
        QVERIFY(Discovery::ReadCdxPage("[]", cnblogs).articles.isEmpty());
        for (const QByteArray& broken : {QByteArray("<html>Service Unavailable</html>"), answer.left(200),
                                         QByteArray("[[\"urlkey\",\"statuscode\"],[\"a\",\"200\"]]")}) {
            QVERIFY_THROWS_EXCEPTION(Text::Failure, Discovery::ReadCdxPage(broken, cnblogs));
        }
        QCOMPARE(Discovery::CapturedTitle(0, QStringLiteral("<title>A_B &amp; C_谢莱纳_新浪博客</title>")),
                 QStringLiteral("A_B & C"));
        QCOMPARE(
            Discovery::CapturedDate(0, QStringLiteral("<span class=\"time SG_txtc\">(2011-12-31 23:10:50)")),
            QStringLiteral("2011-12-31 23:10"));
    }
};

QTEST_GUILESS_MAIN(TestDiscoveryDriver)
#include "test_discoverydriver.moc"
