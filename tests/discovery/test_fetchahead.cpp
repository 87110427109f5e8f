#include "discovery/discoverydriver.h"
#include "discovery/finders.h"
#include "discovery/listpageplatforms.h"
#include "discovery/listpagewalk.h"
#include "discovery/pagesahead.h"
#include "fakeweb.h"
#include "listpageblogs.h"
#include "pagekit.h"
#include "sinablog.h"
#include "support/foundrows.h"
#include "support/proxyweb.h"
#include "support/wait.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Discovery;
using FakeWeb::BlogSize;
using FakeWeb::GeneratedBlog;

namespace {

// A search through a network that counts the list requests under way: each from its start until its
// reply has finished.
struct CountedRun
{
    class Network final : public QNetworkAccessManager
    {
    public:
        QRegularExpression listPage;
        int requests = 0;
        int underWay = 0;
        int mostAtOnce = 0;

    protected:
        QNetworkReply* createRequest(Operation op, const QNetworkRequest& request,
                                     QIODevice* outgoingData) override
        {
            QNetworkReply* reply = QNetworkAccessManager::createRequest(op, request, outgoingData);
            if (listPage.match(request.url().toString()).hasMatch()) {
                ++requests;
                mostAtOnce = std::max(mostAtOnce, ++underWay);
                connect(reply, &QNetworkReply::finished, this, [this] { --underWay; });
            }
            return reply;
        }
    };

    static constexpr int TimeLimitMs = 3000; // of every request

    QTemporaryDir folder;
    FakeUserInterface ui;
    Network network;
    Model::RunState state{folder.path(), ui, &network};

    explicit CountedRun(const QString& listPage)
    {
        network.listPage.setPattern(listPage);
        state.http.timeoutMs = TimeLimitMs;
        // A page that fails is asked for again, briefly.
        state.http.untilOkAttempts = 3;
        state.http.untilOkPauseMs = 20;
    }
};

// What a search did: its rows, its statuses and the most list requests it had under way at once.
struct Search
{
    QStringList rows;
    QStringList statuses;
    QString finalStatus;
    int mostAtOnce = 0;
    qint64 milliseconds = 0;
};

// A 51cto search whose list pages are fetched ahead or one after the other, as the driver runs it.
FinderTable Cto51Finders(bool ahead)
{
    FinderTable finders = Finders();
    finders[Model::Cto51] = [ahead](Model::RunState& state, QString address, std::optional<int>) {
        ListPagePlatform platform = ListPages::Cto51();
        platform.fetchAhead = ahead;
        return ListPageWalk(state, platform, std::move(address));
    };
    return finders;
}

Search SearchCto51(const GeneratedBlog& blog, bool ahead)
{
    CountedRun run(QStringLiteral("/p-\\d+$"));
    QElapsedTimer clock;
    clock.start();
    TestSupport::Wait(Start(run.state, Model::Cto51, blog.taskName, blog.address, Cto51Finders(ahead)));
    return {FoundRows::Of(run.state), FoundRows::SearchStatuses(run.ui), run.ui.status(),
            run.network.mostAtOnce, clock.elapsed()};
}

QString Cto51Page(const GeneratedBlog& blog, int page)
{
    const QString uid = blog.articles.first().link.section(u'/', 0, 0);
    return QStringLiteral("http://%1.blog.51cto.com/%2/p-%3").arg(blog.taskName, uid).arg(page);
}

} // namespace

class TestFetchAhead : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_server;

private slots:
    void init()
    {
        m_server.clear();
        m_server.setLatency(20); // a slow network
    }

    void cleanupTestCase() { m_server.setLatency(0); }

    // Fetched five at a time, the list pages give the rows and statuses of the walk that reads one page
    // after the other, in the same order.
    void listPagesAheadGiveTheSameRows()
    {
        const GeneratedBlog blog =
            FakeWeb::installCto51Blog(m_server, BlogSize{QStringLiteral("mu"), 115, 10});
        QCOMPARE(blog.pageCount, 12);
        const Search oneByOne = SearchCto51(blog, false);
        const Search ahead = SearchCto51(blog, true);

        QCOMPARE(oneByOne.rows, FoundRows::Of(blog.articles));
        QCOMPARE(oneByOne.mostAtOnce, 1);
        QCOMPARE(ahead.rows, oneByOne.rows);
        QCOMPARE(ahead.statuses, oneByOne.statuses);
        QCOMPARE(ahead.finalStatus, oneByOne.finalStatus);
        QVERIFY2(ahead.mostAtOnce >= 2, qPrintable(QString::number(ahead.mostAtOnce)));
        QVERIFY(ahead.mostAtOnce <= ListPagesAtOnce);
        // Every list page once, none beyond the last.
        QCOMPARE(m_server.requestCount(Cto51Page(blog, 1).chopped(1)), 2 * 12);
    }

    // Sina's queue of category, favourites and all-articles pages: the same rows in the same order as
    // a complete walk appends them, each status naming the page whose rows are appended.
    void sinaQueueAhead()
    {
        const FakeWeb::SinaBlog blog({.articles = 300, .categories = 3, .uncategorised = 4, .favourites = 5});
        blog.install(m_server);
        CountedRun run(QStringLiteral("/s/(articlelist|favourites)_"));
        TestSupport::Wait(Start(run.state, Model::Sina, QStringLiteral("sina"), blog.firstPageAddress()));

        QCOMPARE(FoundRows::Of(run.state), FoundRows::Of(blog.expectedRows()));
        const int pages = run.ui.listCount();
        QStringList statuses;
        for (int k = 1; k <= pages; ++k) {
            statuses.append(SearchStatus(k, pages));
        }
        QCOMPARE(FoundRows::SearchStatuses(run.ui), statuses);
        QCOMPARE(run.network.requests, pages + 1); // the planning page, then each queued page once
        QVERIFY2(run.network.mostAtOnce >= 2, qPrintable(QString::number(run.network.mostAtOnce)));
        QVERIFY(run.network.mostAtOnce <= ListPagesAtOnce);
    }

    // A list page in the middle that fails: the rows before it stay, none after it is appended although
    // the pages after it were requested, and the search ends as it does without fetching ahead.
    void failingMiddlePage_data()
    {
        QTest::addColumn<bool>("reset");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("finalStatus");
        // No answer: the search is interrupted, to be resumed.
        QTest::newRow("reset")
            << true << 30
            << QStringLiteral("查找文章中断，已找到30篇文章，按“下载”下载已找到的文章，或者保存本次任务");
        // A page whose category list runs short ends the search after that page's first three entries.
        QTest::newRow("unreadable") << false << 33
                                    << QStringLiteral("文章寻找完成，按“下载”开始下载，或者保存本次任务");
    }

    void failingMiddlePage()
    {
        QFETCH(bool, reset);
        QFETCH(int, rows);
        QFETCH(QString, finalStatus);
        const GeneratedBlog blog =
            FakeWeb::installCto51Blog(m_server, BlogSize{QStringLiteral("mu"), 80, 10});
        QString unreadable;
        for (int id = 1; id <= 4; ++id) {
            unreadable += QStringLiteral("<h3 class=\"artTitle\"><a href=\"/77/%1\">标题%1</a></h3>\n"
                                         "<div class=\"time\">2012-01-0%1 08:00:00</div></div>\n")
                              .arg(id);
        }
        unreadable += QStringLiteral("类别：<a href=/77/c-1>甲</a>|<a href=\"/77/1\">阅读</a>\n"
                                     "类别：<a href=/77/c-1>乙</a>|<a href=\"/77/2\">阅读</a>\n");
        m_server.addRoute(Cto51Page(blog, 4), reset
                                                  ? FakeWeb::Response{.mode = FakeWeb::Response::Mode::Reset}
                                                  : FakeWeb::PageKit::textPage(unreadable, "gb2312"));
        // A page fetched ahead that would keep the search waiting until its time limit.
        m_server.addRoute(Cto51Page(blog, 6), {.mode = FakeWeb::Response::Mode::NeverAnswer});

        const Search oneByOne = SearchCto51(blog, false);
        const Search ahead = SearchCto51(blog, true);
        QCOMPARE(ahead.rows.size(), rows);
        QCOMPARE(ahead.rows.mid(0, 30), FoundRows::Of(blog.articles.mid(0, 30)));
        QCOMPARE(ahead.rows, oneByOne.rows);
        QCOMPARE(ahead.statuses, oneByOne.statuses);
        QCOMPARE(ahead.statuses.last(), SearchStatus(4, 8));
        // An interrupted search names the page that broke it off.
        const QString expected =
            reset ? finalStatus + QStringLiteral("（列表页 ") + Cto51Page(blog, 4) + QStringLiteral("：")
                  : finalStatus;
        QVERIFY2(ahead.finalStatus.startsWith(expected), qPrintable(ahead.finalStatus));
        QCOMPARE(ahead.finalStatus, oneByOne.finalStatus);
        // Pages after the failing one were asked for, yet none of their rows is in the list; the one
        // still under way was called off, not waited for.
        QVERIFY(m_server.requestCount(Cto51Page(blog, 6)) > 0);
        QVERIFY2(ahead.milliseconds < CountedRun::TimeLimitMs / 2,
                 qPrintable(QString::number(ahead.milliseconds)));
    }
};

QTEST_GUILESS_MAIN(TestFetchAhead)
#include "test_fetchahead.moc"
