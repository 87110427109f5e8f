#include "assets/assetfetcher.h"
#include "assets/assetnames.h"
#include "assets/backupsummary.h"
#include "downloadfixture.h"
#include "fakeweb.h"
#include "model/pagerecord.h"
#include "model/taskfiles.h"
#include "model/tasklogin.h"
#include "render/articlepage.h"
#include "render/downloaddriver.h"
#include "render/downloadprogress.h"
#include "sinablog.h"
#include "support/files.h"
#include "support/proxyweb.h"
#include "support/testrun.h"
#include "support/wait.h"
#include "text/unrecognisedpage.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace DownloadFixture;
using FakeWeb::Response;

namespace {

Response Page(const QByteArray& body)
{
    Response response;
    response.body = body;
    response.headers = {{"Content-Type", "text/html; charset=utf-8"}};
    return response;
}

void Download(TestRun& run)
{
    TestSupport::Wait(Render::DownloadDriver(*run.state));
}

// Moves every time the page record names back by two days, as if its runs had been then.
void BackdateRecord(const TestRun& run)
{
    const QString path = run.path(QStringLiteral("blog/.qvlrx-pages"));
    QList<QByteArray> lines = ReadBytes(path).split('\n');
    for (QByteArray& line : lines) {
        QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 5 && fields.at(0) == "tried") {
            fields[2] = QByteArray::number(fields.at(2).toLongLong() - 2 * 24 * 3600);
            line = fields.join('\t');
        }
    }
    TestSupport::WriteBytes(path, lines.join('\n'));
}

int PagesWritten(const TestRun& run)
{
    int count = 0;
    for (int row = 1; row <= run.state->articles.articleCount(); ++row) {
        count += QFile::exists(run.state->articlePagePath(row)) ? 1 : 0;
    }
    return count;
}

} // namespace

class TestDownloadDriver : public QObject
{
    Q_OBJECT

private:
    TestSupport::ProxyWeb m_web;

    // Serves article n of any number with a body that names it.
    void serveEveryArticle()
    {
        m_web.addHandler([](const FakeWeb::Request& request) -> std::optional<Response> {
            static const QRegularExpression article(QStringLiteral("^/s/blog_(\\d+)\\.html$"));
            const QRegularExpressionMatch match = article.match(request.path);
            if (request.host != QStringLiteral("blog.sina.com.cn") || !match.hasMatch()) {
                return std::nullopt;
            }
            return Page(SinaPage(QStringLiteral("<p>第%1篇文章的正文。</p>").arg(match.captured(1))));
        });
    }

private slots:
    void init()
    {
        m_web.clear();
        serveEveryArticle();
    }

    void refusesFewerThanFiveArticles()
    {
        TestRun run;
        MakeSinaTask(*run.state, 4);
        run.state->articles.setMark(2, QStringLiteral("●"));
        Download(run);
        QCOMPARE(run.ui.messages, QStringList{QStringLiteral(
                                      "很遗憾没有找到文章(或者文章少于5篇)，请重新输入用户名后再按“寻找”")});
        QCOMPARE(m_web.requestCount(), 0);
        QCOMPARE(run.state->articles.mark(2), QString());
        QCOMPARE(run.state->stageText, QStringLiteral("200"));
        QVERIFY(run.ui.commandStates.isEmpty());
        QVERIFY(!run.state->downloadRunning);
    }

    void downloadsFiveArticles()
    {
        TestRun run;
        MakeSinaTask(*run.state, 5);
        run.ui.addListLine(QStringLiteral("left from the discovery"));
        Download(run);
        QVERIFY(run.ui.messages.isEmpty());
        QCOMPARE(m_web.requestCount(), 5);
        QCOMPARE(PagesWritten(run), 5);
        QVERIFY(
            ReadPage(run.state->articlePagePath(4)).endsWith(QStringLiteral("<p>第4篇文章的正文。</p>\r\n")));
        for (int row = 1; row <= 5; ++row) {
            QCOMPARE(run.state->articles.mark(row), QStringLiteral("●"));
        }
        QVERIFY(QFile::exists(run.path(QStringLiteral("blog/index.html"))));
        QCOMPARE(run.ui.listCount(), 0);
        QVERIFY(run.ui.statusHistory.contains(QStringLiteral("正在下载文章..")));
        QVERIFY(run.ui.statusHistory.contains(QStringLiteral("下载文章：0/5 图片剩余:0")));
        QCOMPARE(run.ui.status(), QStringLiteral("文章下载完成...."));
        QCOMPARE(run.state->stageText, QStringLiteral("300"));
        const QList<Model::CommandStates> states{{false, false, false, true, false, false},
                                                 {false, false, true, true, true, false}};
        QCOMPARE(run.ui.commandStates, states);
        QVERIFY(!run.state->downloadRunning);
    }

    void fetchesOnlyMissingPagesAndReplacesOldIndexPages()
    {
        TestRun run;
        Render::DownloadProgress progress(*run.state);
        QSignalSpy marks(&progress, &Render::DownloadProgress::slotMarkChanged);
        // Article 9 has no category: its page lies beside the index pages and must stay.
        MakeSinaTask(*run.state, 10, [](int n) { return n == 9 ? QString() : QStringLiteral("随笔"); });
        run.state->task.PlatformCode = 0;
        for (int row : {1, 2, 4, 6, 8, 9, 10}) {
            QDir().mkpath(QFileInfo(run.state->articlePagePath(row)).path());
            Text::WriteTextFileAt(run.state->articlePagePath(row), QStringLiteral("saved earlier"));
        }
        run.state->articles.setText(9, Model::ArticleList::LinkColumn, QStringLiteral("blog_9.htm"));
        QDir().mkpath(run.path(QStringLiteral("blog/随笔")));
        Text::WriteTextFileAt(run.path(QStringLiteral("blog/old.htm")), QStringLiteral("old index"));
        Text::WriteTextFileAt(run.path(QStringLiteral("blog/下载记录.htm")), QStringLiteral("record"));
        Text::WriteTextFileAt(run.path(QStringLiteral("blog/随笔/photo.htm")), QStringLiteral("image"));
        Text::WriteTextFileAt(run.state->articlePagePath(9), QStringLiteral("saved earlier"));

        Download(run);
        QCOMPARE(m_web.requestLog(),
                 (QStringList{QStringLiteral("GET ") + ArticleUrl(3), QStringLiteral("GET ") + ArticleUrl(5),
                              QStringLiteral("GET ") + ArticleUrl(7)}));
        // Slots 3 and 4 found nothing to fetch from the start.
        for (const QList<QVariant>& mark : marks) {
            QVERIFY(mark.at(0).toInt() < 3);
        }
        QCOMPARE(progress.slotMark(0), QStringLiteral("●"));
        QCOMPARE(progress.slotMark(3), QString());
        QCOMPARE(ReadPage(run.state->articlePagePath(2)), QStringLiteral("saved earlier\r\n"));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("blog/old.htm"))));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("blog/下载记录.htm"))));
        QVERIFY(QFile::exists(run.path(QStringLiteral("blog/随笔/photo.htm"))));
        QCOMPARE(ReadPage(run.state->articlePagePath(9)), QStringLiteral("saved earlier\r\n"));

        // All pages present: nothing is requested, every row is marked.
        m_web.clearLog();
        Download(run);
        QCOMPARE(m_web.requestCount(), 0);
        for (int row = 1; row <= 10; ++row) {
            QCOMPARE(run.state->articles.mark(row), QStringLiteral("●"));
        }
        QVERIFY(QFile::exists(run.path(QStringLiteral("blog/all.htm"))));
    }

    void resendsARequestThatNeverCompletes()
    {
        TestRun run;
        Render::DownloadProgress progress(*run.state);
        progress.tickIntervalMs = 40;
        progress.maxResends = 2;
        MakeSinaTask(*run.state, 12);
        m_web.addRoute(ArticleUrl(2), {.mode = Response::Mode::NeverAnswer});

        Download(run);
        QCOMPARE(m_web.requestCount(ArticleUrl(2)), 3);
        QCOMPARE(m_web.requestCount(), 14);
        QCOMPARE(PagesWritten(run), 12);
        QCOMPARE(ReadPage(run.state->articlePagePath(2)),
                 Render::FallbackPage(*run.state, 2) + QStringLiteral("\r\n"));
        QCOMPARE(run.state->articles.mark(2), QStringLiteral("●"));
        QCOMPARE(run.ui.status(), QStringLiteral("文章下载完成...."));
    }

    void timeOutsFollowTheWindowTimer()
    {
        TestRun run;
        Render::DownloadProgress progress(*run.state);
        progress.useInternalTicker = false;
        progress.tickIntervalMs = 20;
        progress.maxResends = 1;
        QTimer windowTimer;
        connect(&windowTimer, &QTimer::timeout, &windowTimer, [&] {
            for (int slot = 0; slot < 10; ++slot) {
                ++run.state->slotTicks[size_t(slot)];
            }
        });
        windowTimer.start(30);
        MakeSinaTask(*run.state, 6);
        m_web.addRoute(ArticleUrl(5), {.mode = Response::Mode::NeverAnswer});

        Download(run);
        QCOMPARE(m_web.requestCount(ArticleUrl(5)), 2);
        QCOMPARE(PagesWritten(run), 6);
        QVERIFY(run.state->slotTicks[9] > 0);
    }

    void retriesPagesWithoutBodyThenFallsBack()
    {
        TestRun run;
        MakeSinaTask(*run.state, 8);
        m_web.addRoute(ArticleUrl(3), Page(QByteArray("<html>no body markers here</html>")));
        Response error;
        error.status = 500;
        error.body = "Internal Server Error";
        m_web.addRoute(ArticleUrl(5), error);
        Response reset;
        reset.mode = Response::Mode::Reset;
        m_web.addRoute(ArticleUrl(6), reset);
        m_web.addRoute(ArticleUrl(8),
                       Page(SinaPage(QStringLiteral("<p>最后一篇，拿到空白正文</p>")).replace("<p>", "")));
        // The article after the last: its first hand-over fails, so the last slot must not end before it.
        m_web.addRoute(ArticleUrl(7), Page(QByteArray("<html>still no body</html>")));

        Download(run);
        for (int row : {3, 5, 6, 7}) {
            // The network layer itself tries a reset connection again a few times.
            if (row == 6) {
                QVERIFY(m_web.requestCount(ArticleUrl(row)) >= 4);
            } else {
                QCOMPARE(m_web.requestCount(ArticleUrl(row)), 4);
            }
            QCOMPARE(ReadPage(run.state->articlePagePath(row)),
                     Render::FallbackPage(*run.state, row) + QStringLiteral("\r\n"));
        }
        QCOMPARE(PagesWritten(run), 8);
        QVERIFY(run.state->attemptList.isEmpty());
    }

    void failedPagesAreFetchedAgainByTheNextRun()
    {
        TestRun run;
        MakeSinaTask(*run.state, 8);
        m_web.addRoute(ArticleUrl(2),
                       Page(QByteArray("<p>myblog/htmlsource/blog_notopen <a>版权所有</a></p>")));
        m_web.addRoute(ArticleUrl(3), Page(QByteArray("<html>no body markers here</html>")));
        Response error;
        error.status = 404;
        error.body = "<p>此博文已关闭 <a>版权所有</a></p>";
        m_web.addRoute(ArticleUrl(5), error);
        Response reset;
        reset.mode = Response::Mode::Reset;
        m_web.addRoute(ArticleUrl(6), reset);
        // A page larger than any real one is not held in memory.
        m_web.addRoute(ArticleUrl(7), Page(SinaPage(QString(11 * 1024 * 1024 + 1, u'长'))));
        Download(run);
        QCOMPARE(PagesWritten(run), 8);

        // The blog's own word that an article is gone is final; everything else is missing for now.
        Assets::BackupSummary summary = Assets::SummariseBackup(*run.state);
        QCOMPARE(summary.articlesSaved, 3);
        QCOMPARE(summary.articlesDeleted, 1);
        QCOMPARE(summary.deleted.at(0).address, ArticleUrl(2));
        QCOMPARE(summary.articlesFailed, 4);
        QStringList failed;
        for (const Assets::BackupSummary::Item& item : summary.failed) {
            failed.append(item.address + u' ' + item.reason.section(u'（', 0, 0));
        }
        QCOMPARE(failed, (QStringList{ArticleUrl(3) + u' ' + Text::UnrecognisedPageText() +
                                          QStringLiteral("正文标记“<!-- 正文开始 -->”…“<!-- 正文结束 -->”"),
                                      ArticleUrl(5) + QStringLiteral(" HTTP 404 未找到"),
                                      ArticleUrl(6) + QStringLiteral(" 服务器中途断开了连接"),
                                      ArticleUrl(7) + QStringLiteral(" 内容过大")}));

        // A later run, even in a program started anew, fetches just the failed ones and saves them.
        m_web.clear();
        serveEveryArticle();
        Model::RunState restarted(run.folder.path(), run.ui, &run.network);
        MakeSinaTask(restarted, 8);
        TestSupport::Wait(Render::DownloadDriver(restarted));
        QStringList fetched = m_web.requestLog();
        fetched.sort();
        QCOMPARE(
            fetched,
            (QStringList{QStringLiteral("GET ") + ArticleUrl(3), QStringLiteral("GET ") + ArticleUrl(5),
                         QStringLiteral("GET ") + ArticleUrl(6), QStringLiteral("GET ") + ArticleUrl(7)}));
        for (int row : {3, 5, 6, 7}) {
            QVERIFY(ReadPage(restarted.articlePagePath(row))
                        .contains(QStringLiteral("第%1篇文章的正文").arg(row)));
        }
        summary = Assets::SummariseBackup(restarted);
        QCOMPARE(summary.articlesSaved, 7);
        QCOMPARE(summary.articlesDeleted, 1);
        QCOMPARE(summary.missing(), 0);
        QVERIFY(Assets::WriteFailedList(restarted, summary));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("blog/failed.txt"))));
    }

    // A site that starts refusing is paused once, and said so once, instead of failing every remaining
    // article in seconds; one that still refuses after the pause is asked no more, each article missing
    // for that named reason. No time-out runs out while a slot waits for the site.
    void refusalsInARowPauseTheSite()
    {
        TestRun run;
        MakeSinaTask(*run.state, 30);
        Text::SitePolicy& policy = run.state->http.gates->policy;
        policy.refusalsInARow = 3;
        policy.refusalPauseMs = 1500;
        policy.refusalPauses = 1;
        FakeWeb::addFault(m_web, *FakeWeb::Fault::parse(QStringLiteral("403>5@/s/blog_")));
        Download(run);
        const QStringList paused =
            run.ui.statusHistory.filter(QStringLiteral("网站连续拒绝访问（HTTP 403 禁止访问），暂停"));
        QVERIFY2(!paused.isEmpty() && paused.first().contains(QStringLiteral("暂停2秒后继续（sina.com.cn）")),
                 qPrintable(run.ui.statusHistory.join(u'\n')));
        QCOMPARE(run.ui.statusHistory.filter(QStringLiteral("网站一直拒绝访问")).size(), 1);
        // Five served, then two rounds of three refusals with what the other slots had under way meanwhile,
        // then nothing more.
        QVERIFY2(m_web.requestCount() <= 5 + 2 * (3 + 4), qPrintable(QString::number(m_web.requestCount())));
        const Assets::BackupSummary summary = Assets::SummariseBackup(*run.state);
        QCOMPARE(summary.articlesSaved, 5);
        QCOMPARE(summary.articlesFailed, 25);
        int refused = 0;
        int closed = 0;
        for (const Assets::BackupSummary::Item& item : summary.failed) {
            refused += item.reason.startsWith(QStringLiteral("HTTP 403")) ? 1 : 0;
            closed += item.reason.startsWith(QStringLiteral("网站一直拒绝访问")) ? 1 : 0;
        }
        QCOMPARE(refused + closed, 25);
        QVERIFY(closed >= 10);
    }

    void deletedTakesTheBlogsWordOrASecondLookAndIsLookedAtAgainDaily()
    {
        TestRun run;
        MakeSinaTask(*run.state, 6);
        // A busy page served with 200 and the site's footer, in place of article 2.
        m_web.addRoute(ArticleUrl(2), Page(QByteArray("<p>系统繁忙，请稍后再试 <a>版权所有</a></p>")));
        Download(run);
        Assets::BackupSummary summary = Assets::SummariseBackup(*run.state);
        QCOMPARE(summary.articlesFailed, 1);
        QCOMPARE(summary.articlesDeleted, 0);
        QCOMPARE(ReadPage(run.state->articlePagePath(2)),
                 Render::FallbackPage(*run.state, 2) + QStringLiteral("\r\n"));

        // A later run that is served the same confirms it.
        m_web.clearLog();
        Download(run);
        QCOMPARE(m_web.requestLog(), QStringList{QStringLiteral("GET ") + ArticleUrl(2)});
        summary = Assets::SummariseBackup(*run.state);
        QCOMPARE(summary.articlesDeleted, 1);
        QCOMPARE(summary.missing(), 0);

        // Not looked at again the same day; on a later day it is, and the article is back.
        m_web.clearLog();
        Download(run);
        QCOMPARE(m_web.requestCount(), 0);
        BackdateRecord(run);
        m_web.clear();
        serveEveryArticle();
        Download(run);
        QCOMPARE(m_web.requestLog(), QStringList{QStringLiteral("GET ") + ArticleUrl(2)});
        QVERIFY(ReadPage(run.state->articlePagePath(2)).contains(QStringLiteral("第2篇文章的正文")));
        summary = Assets::SummariseBackup(*run.state);
        QCOMPARE(summary.articlesSaved, 6);
        QCOMPARE(summary.articlesDeleted, 0);

        // A platform without marks: pages without body on three runs count as deleted, not before, and
        // an error page in between counts for nothing.
        run.state->task.PlatformCode = Model::Qzone;
        m_web.clear();
        m_web.addHandler([](const FakeWeb::Request&) -> std::optional<Response> {
            return Page(QByteArray("<html>这里没有日志</html>"));
        });
        Response error;
        error.status = 500;
        for (int pass = 1; pass <= 4; ++pass) {
            if (pass == 2) {
                m_web.addFirstHandler(
                    [&](const FakeWeb::Request&) -> std::optional<Response> { return error; });
            } else if (pass == 3) {
                m_web.clear();
                m_web.addHandler([](const FakeWeb::Request&) -> std::optional<Response> {
                    return Page(QByteArray("<html>这里没有日志</html>"));
                });
            }
            m_web.clearLog();
            Download(run);
            QVERIFY(m_web.requestCount() >= 6);
            summary = Assets::SummariseBackup(*run.state);
            QCOMPARE(summary.articlesDeleted, pass < 4 ? 0 : 6);
        }
        m_web.clearLog();
        Download(run);
        QCOMPARE(m_web.requestCount(), 0);
    }

    // A post that only its author, logged in, may read is missing for want of a login, run after run,
    // never taken for deleted; a run with the author's cookie file fetches it.
    void aLoginNoticeNeedsTheLoginAndIsNeverDeleted()
    {
        TestRun run;
        MakeSinaTask(*run.state, 6);
        m_web.addFirstHandler([](const FakeWeb::Request& request) -> std::optional<Response> {
            if (request.path != QStringLiteral("/s/blog_2.html") ||
                request.header("Cookie") == "SUB=author") {
                return std::nullopt;
            }
            return Page(FakeWeb::SinaBlog::loginNoticePage().toUtf8());
        });
        for (int pass = 1; pass <= 2; ++pass) {
            m_web.clearLog();
            Download(run);
            // Asking again without a login gets the same notice: once a run is enough.
            QCOMPARE(m_web.requestLog().filter(QStringLiteral("blog_2.html")).size(), 1);
            const Assets::BackupSummary summary = Assets::SummariseBackup(*run.state);
            QCOMPARE(summary.articlesDeleted, 0);
            QCOMPARE(summary.failed.size(), 1);
            QCOMPARE(summary.failed.at(0).address, ArticleUrl(2));
            QCOMPARE(summary.failed.at(0).reason, QStringLiteral("需要登录：博文仅作者可见"));
        }

        const QString cookies = run.path(QStringLiteral("cookies.txt"));
        TestSupport::WriteBytes(cookies, "blog.sina.com.cn\tFALSE\t/\tFALSE\t0\tSUB\tauthor\n");
        run.state->task.CookieFile = cookies;
        Model::UseTaskLogin(*run.state);
        Download(run);
        QVERIFY(ReadPage(run.state->articlePagePath(2)).contains(QStringLiteral("第2篇文章的正文")));
        QCOMPARE(Assets::SummariseBackup(*run.state).missing(), 0);
    }

    void aSavedArticleGetsOnlyWhatItMissed()
    {
        m_web.clear();
        const FakeWeb::SinaBlog blog({.articles = 5, .categories = 1, .images = 0, .comments = 3});
        blog.install(m_web);
        TestRun run;
        MakeSinaTask(*run.state, 0);
        run.state->task.FetchComments = true;
        for (const FakeWeb::SinaArticle& article : blog.articles()) {
            run.state->addArticleRow(article.title, article.category, article.link(), article.date);
        }
        const auto failing = [](const QString& host) {
            return [host](const FakeWeb::Request& request) -> std::optional<Response> {
                Response error;
                error.status = 500;
                return request.host == host ? std::optional<Response>(error) : std::nullopt;
            };
        };
        // The comment counter fails: the pages are saved without their comments.
        m_web.addFirstHandler(failing(QStringLiteral("comet.blog.sina.com.cn")));
        Download(run);
        Assets::BackupSummary summary = Assets::SummariseBackup(*run.state);
        QCOMPARE(summary.articlesFailed, 5);
        QCOMPARE(summary.failed.at(0).reason, QStringLiteral("评论数读取失败"));
        QList<QByteArray> pages;
        for (int row = 1; row <= 5; ++row) {
            pages.append(ReadBytes(run.state->articlePagePath(row)));
            QVERIFY(ReadPage(run.state->articlePagePath(row)).contains(QStringLiteral("原文地址")));
        }

        // The articles answer 500 and the counter still fails: no article is fetched, no page changes.
        m_web.clear();
        m_web.addFirstHandler(failing(QStringLiteral("blog.sina.com.cn")));
        m_web.addFirstHandler(failing(QStringLiteral("comet.blog.sina.com.cn")));
        Download(run);
        QCOMPARE(m_web.requestCount(QStringLiteral("http://blog.sina.com.cn/s/blog_")), 0);
        for (int row = 1; row <= 5; ++row) {
            QCOMPARE(ReadBytes(run.state->articlePagePath(row)), pages.at(row - 1));
        }

        // The counter answers again: the comments are added, still without fetching an article.
        m_web.clear();
        blog.install(m_web);
        m_web.addFirstHandler(failing(QStringLiteral("blog.sina.com.cn")));
        Download(run);
        QCOMPARE(m_web.requestCount(QStringLiteral("http://blog.sina.com.cn/s/blog_")), 0);
        for (int row = 1; row <= 5; ++row) {
            const QByteArray page = ReadBytes(run.state->articlePagePath(row));
            QVERIFY(page.startsWith(pages.at(row - 1).chopped(2)));
            QVERIFY(
                Text::DecodeLocal(page).contains(QStringLiteral("<font color=#339933 size=5>评论:</font>")) ||
                Text::DecodeLocal(page).contains(QStringLiteral("本篇无评论")));
        }
        summary = Assets::SummariseBackup(*run.state);
        QCOMPARE(summary.articlesSaved, 5);

        // Saved pages of another platform, recorded as failed for the comments it never has: taken as
        // saved without a request.
        run.state->task.PlatformCode = Model::Baidu;
        for (int row = 1; row <= 5; ++row) {
            TestSupport::WriteBytes(run.state->articlePagePath(row), pages.at(row - 1));
            QVERIFY(Model::PageRecord(run.state->taskFolder())
                        .record(Model::PageRecord::pageName(*run.state, row),
                                {Model::PageRecord::Outcome::Failed, {}, QStringLiteral("评论数读取失败")}));
        }
        m_web.clear();
        m_web.clearLog();
        Download(run);
        QCOMPARE(m_web.requestCount(), 0);
        summary = Assets::SummariseBackup(*run.state);
        QCOMPARE(summary.articlesSaved, 5);
        QCOMPARE(summary.articlesFailed, 0);
    }

    void theDiskIsTheTruthWhenTheRecordIsDamaged_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("named");
        QTest::newRow("binary") << QStringLiteral("binary") << true;
        QTest::newRow("empty") << QStringLiteral("empty") << true;
        QTest::newRow("folder") << QStringLiteral("folder") << true;
        QTest::newRow("re-encoded") << QStringLiteral("utf16") << true;
        QTest::newRow("truncated") << QStringLiteral("truncated") << false;
    }
    void theDiskIsTheTruthWhenTheRecordIsDamaged()
    {
        QFETCH(QString, damage);
        QFETCH(bool, named);
        TestRun run;
        MakeSinaTask(*run.state, 8);
        Response error;
        error.status = 500;
        m_web.addRoute(ArticleUrl(3), error);
        m_web.addRoute(ArticleUrl(6), Page(QByteArray("<p>系统繁忙 <a>版权所有</a></p>")));
        Download(run);
        QCOMPARE(Assets::SummariseBackup(*run.state).articlesFailed, 2);

        const QString record = run.path(QStringLiteral("blog/.qvlrx-pages"));
        const QByteArray lines = ReadBytes(record);
        QVERIFY(QFile::remove(record));
        if (damage == QStringLiteral("binary")) {
            TestSupport::WriteBytes(record, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe\x01\n", 20));
        } else if (damage == QStringLiteral("empty")) {
            TestSupport::WriteBytes(record, QByteArray());
        } else if (damage == QStringLiteral("folder")) {
            QVERIFY(QDir().mkpath(record));
        } else if (damage == QStringLiteral("utf16")) {
            const QString text = QString::fromUtf8(lines);
            TestSupport::WriteBytes(record,
                                    QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
        } else {
            TestSupport::WriteBytes(record, lines.left(lines.indexOf('\n') / 2));
        }
        // Counted from the pages on disk, whatever the record says.
        Assets::BackupSummary summary = Assets::SummariseBackup(*run.state);
        QCOMPARE(summary.articlesSaved, 6);
        QCOMPARE(summary.articlesFailed, 2);
        QCOMPARE(summary.countsText().contains(QStringLiteral(".qvlrx-pages")), named);

        // The web is healthy again: exactly the two fallback pages are fetched again.
        m_web.clear();
        serveEveryArticle();
        run.ui.statusHistory.clear();
        Download(run);
        QStringList fetched = m_web.requestLog();
        fetched.sort();
        QCOMPARE(fetched, (QStringList{QStringLiteral("GET ") + ArticleUrl(3),
                                       QStringLiteral("GET ") + ArticleUrl(6)}));
        QCOMPARE(run.ui.statusHistory.filter(QStringLiteral(".qvlrx-pages")).size(), named ? 1 : 0);
        summary = Assets::SummariseBackup(*run.state);
        QCOMPARE(summary.articlesSaved, 8);
        QCOMPARE(summary.missing(), 0);
    }

    void anUnwritableRecordIsAFailure()
    {
        TestRun run;
        MakeSinaTask(*run.state, 5);
        Response error;
        error.status = 500;
        m_web.addRoute(ArticleUrl(4), error);
        QVERIFY(QDir().mkpath(run.path(QStringLiteral("blog/.qvlrx-pages"))));
        Download(run);
        // The fallback page is known for what it is; the record that could not say so is named.
        const Assets::BackupSummary summary = Assets::SummariseBackup(*run.state);
        QCOMPARE(summary.articlesFailed, 1);
        QCOMPARE(summary.recordsUnwritten, 1);
        QCOMPARE(summary.failed.last().address, run.path(QStringLiteral("blog/.qvlrx-pages")));
        QCOMPARE(run.ui.statusHistory.filter(QStringLiteral("无法写入下载记录")).size(), 1);
    }

    void importedTaskFetchesTheImagesItNeverGot()
    {
        const FakeWeb::SinaBlog blog({.articles = 6, .categories = 2, .images = 2});
        blog.install(m_web);
        TestRun run;
        MakeSinaTask(*run.state, 0);
        run.state->task.FetchImages = true;
        for (const FakeWeb::SinaArticle& article : blog.articles()) {
            run.state->addArticleRow(article.title, article.category, article.link(), article.date);
        }
        // The program ends before any image is fetched (no fetcher runs); the task is saved.
        Download(run);
        QCOMPARE(PagesWritten(run), 6);
        Model::ExportTaskList(*run.state);

        // Started anew and brought back with 导入, the task fetches every image and no article again.
        Model::RunState restarted(run.folder.path(), run.ui, &run.network);
        Assets::AssetFetcher fetcher(restarted);
        QSignalSpy done(&fetcher, &Assets::AssetFetcher::allDone);
        TestSupport::Wait(Model::ImportTaskList(restarted, run.path(QStringLiteral("blog.ini"))));
        QCOMPARE(restarted.articles.articleCount(), 6);
        m_web.clearLog();
        TestSupport::Wait(Render::DownloadDriver(restarted));
        QVERIFY(done.count() > 0 || done.wait(20000));
        QCOMPARE(m_web.requestCount(QStringLiteral("http://blog.sina.com.cn/s/blog_")), 0);
        QCOMPARE(m_web.requestCount(), 12);
        for (const FakeWeb::SinaArticle& article : blog.articles()) {
            for (const QString& address : blog.imageAddresses(article.index)) {
                QFile image(restarted.categoryFolder(article.category) + u'/' +
                            Assets::LocalImageName(address));
                QVERIFY(image.open(QIODevice::ReadOnly));
                QCOMPARE(image.readAll(), blog.imageBytes(address));
            }
        }
    }

    void downloadsAThousandArticlesOnce()
    {
        TestRun run;
        Render::DownloadProgress progress(*run.state);
        QSignalSpy marks(&progress, &Render::DownloadProgress::slotMarkChanged);
        MakeSinaTask(*run.state, 1000, [](int n) { return QStringLiteral("分类%1").arg(n % 7); });
        // The same article listed twice (a search no longer appends it twice, but the list can hold it).
        run.state->articles.AddArticleRow(run.state->categories, QStringLiteral("重复"),
                                          QStringLiteral("分类1"), ArticleLink(1), QString(), false);
        Download(run);
        QCOMPARE(PagesWritten(run), 1001);
        QVERIFY(m_web.requestCount() >= 1000 && m_web.requestCount() <= 1001);

        QStringList slot0;
        for (const QList<QVariant>& mark : marks) {
            if (mark.at(0).toInt() == 0 && slot0.size() < 6) {
                slot0.append(mark.at(1).toString());
            }
        }
        QCOMPARE(slot0, (QStringList{QStringLiteral("●"), QStringLiteral("◆"), QStringLiteral("●"),
                                     QStringLiteral("■"), QStringLiteral("●"), QStringLiteral("★")}));

        m_web.clearLog();
        Download(run);
        QCOMPARE(m_web.requestCount(), 0);

        // Every link of the index pages leads to a saved page.
        const QString all = ReadPage(run.path(QStringLiteral("blog/all.htm")));
        static const QRegularExpression link(QStringLiteral("href=([^>]+)>"));
        int links = 0;
        for (const QRegularExpressionMatch& match : link.globalMatch(all)) {
            QVERIFY2(QFile::exists(run.path(QStringLiteral("blog/") + match.captured(1))),
                     qPrintable(match.captured(1)));
            ++links;
        }
        QCOMPARE(links, 1001);
    }
};

QTEST_GUILESS_MAIN(TestDownloadDriver)
#include "test_downloaddriver.moc"
