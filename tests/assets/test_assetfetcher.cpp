#include "assets/assetfetcher.h"
#include "assets/assetnames.h"
#include "assets/backupsummary.h"
#include "assets/jobrecord.h"
#include "assets/sampleimages.h"
#include "fakeweb.h"
#include "model/pagerecord.h"
#include "render/imagereferences.h"
#include "support/files.h"
#include "support/proxyweb.h"
#include "support/testrun.h"
#include "text/charset.h"
#include "text/sitegate.h"
#include "text/matching.h"
#include "text/textfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using FakeWeb::Response;

namespace {

const QString AllFetched = QStringLiteral("图片或评论全部下载完成！");
const QString Finished = QStringLiteral("全部完成，请按“生成CHM”打包成CHM以便浏览");

// The final text goes on with the counts of the run; the rest is compared as it stands.
QStringList WithoutCounts(QStringList history)
{
    for (QString& text : history) {
        if (text.startsWith(Finished)) {
            text = Finished;
        }
    }
    return history;
}
const QString Folder = QStringLiteral("旅行-日记");

Response body(const QByteArray& bytes, int delayMs = 0)
{
    Response response;
    response.body = bytes;
    response.delayMs = delayMs;
    return response;
}

Response failing(Response::Mode mode)
{
    Response response;
    response.mode = mode;
    return response;
}

Response status(int code)
{
    Response response;
    response.status = code;
    response.body = "<html>error page</html>";
    return response;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// A run with its fetcher; the fetcher goes before the run state it works on.
struct FetchRun
{
    TestRun run;
    std::unique_ptr<Assets::AssetFetcher> fetcher;
    std::unique_ptr<QSignalSpy> done;

    FetchRun()
    {
        run.state->task.TaskName = QStringLiteral("任务");
        fetcher = std::make_unique<Assets::AssetFetcher>(*run.state);
        done = std::make_unique<QSignalSpy>(fetcher.get(), &Assets::AssetFetcher::allDone);
    }
    Model::AssetQueue& queue() { return run.state->assets; }
    void add(int kind, const QString& address, const QString& folder = Folder)
    {
        queue().AddAssetRow(kind, address, folder, true);
    }
    QString target(int row) const
    {
        const Model::AssetQueue& q = run.state->assets;
        return Assets::AssetTargetPath(*run.state, q.kind(row), q.address(row), q.folder(row));
    }
    QStringList results() const
    {
        QStringList list;
        for (int row = 1; row <= run.state->assets.jobCount(); ++row) {
            list.append(run.state->assets.result(row));
        }
        return list;
    }
    int completions() const { return int(run.ui.statusHistory.count(AllFetched)); }
    bool waitDone(int expectedSignals = 1, int timeoutMs = 20000)
    {
        while (done->count() < expectedSignals) {
            if (!done->wait(timeoutMs)) {
                return false;
            }
        }
        return true;
    }
};

} // namespace

class TestAssetFetcher : public QObject
{
    Q_OBJECT

private:
    TestSupport::ProxyWeb m_server;

private slots:
    void init() { m_server.clear(); }

    void emptyQueueReportsAndStartsNothing()
    {
        FetchRun f;
        f.fetcher->StartAssetDownloads();
        QCOMPARE(WithoutCounts(f.run.ui.statusHistory), (QStringList{AllFetched, Finished}));
        QCOMPARE(f.run.ui.commandStates.size(), 1);
        QCOMPARE(f.run.ui.commandStates.last(),
                 (Model::CommandStates{false, false, true, true, true, false}));
        QCOMPARE(f.done->count(), 1);
        QVERIFY(!f.fetcher->busy());
        QTest::qWait(50);
        QCOMPARE(m_server.requestCount(), 0);
    }

    void threeJobsOverFiveSlots()
    {
        const QByteArray reply =
            R"({"code":"A00006",data:"<li class=SGjlinedot1 id=cmt1>\u597d\u6587_<\/li>"})";
        m_server.addRoute(QStringLiteral("http://s1.sinaimg.cn/middle/a.png"), body(SampleImages::png()));
        m_server.addRoute(QStringLiteral("http://s2.sinaimg.cn/b.jpg"), body(SampleImages::jpeg()));
        m_server.addRoute(QStringLiteral("http://blog.sina.com.cn/s/comment_4b2b2fe00100gk3a_1.html"),
                          body(reply));
        FetchRun f;
        f.add(1, QStringLiteral("http://s1.sinaimg.cn/middle/a.png"));
        f.add(1, QStringLiteral("http://s2.sinaimg.cn/b.jpg"), QString());
        f.add(100, QStringLiteral("http://blog.sina.com.cn/s/comment_4b2b2fe00100gk3a_1.html"));

        f.fetcher->StartAssetDownloads();
        QCOMPARE(f.results(), (QStringList{"○", "○", "○"}));
        QVERIFY(f.fetcher->busy());
        QCOMPARE(f.run.ui.status(), QStringLiteral("下载图片(评论) 3/3"));
        QCOMPARE(f.completions(), 0);

        QVERIFY(f.waitDone());
        QCOMPARE(f.results(), (QStringList{"●", "●", "●"}));
        QCOMPARE(fileBytes(f.run.path(QStringLiteral("任务/旅行-日记/http___s1.sinaimg.cn_middle_a.png"))),
                 SampleImages::png());
        QCOMPARE(fileBytes(f.run.path(QStringLiteral("任务/http___s2.sinaimg.cn_b.jpg"))),
                 SampleImages::jpeg());
        QCOMPARE(fileBytes(f.run.path(QStringLiteral("任务/旅行-日记/http___blog.sina.com.cn_s_comment_"
                                                     "4b2b2fe00100gk3a_1.html"))),
                 Text::EncodeLocal(Text::DeclaredPage(QStringLiteral("\r\n<br><li>好文</li>\"}\r\n"))));
        QCOMPARE(WithoutCounts(f.run.ui.statusHistory.mid(f.run.ui.statusHistory.size() - 2)),
                 (QStringList{AllFetched, Finished}));
        QCOMPARE(f.completions(), 1);
        QCOMPARE(f.done->count(), 1);
        QCOMPARE(m_server.requestCount(), 3);
        QVERIFY(!f.fetcher->busy());
    }

    void recordedJobsSurviveACutOffLine()
    {
        FetchRun f;
        const Assets::JobRecord record(f.run.state->taskFolder());
        const QString odd = QStringLiteral("http://s1.sinaimg.cn/a\tb%09c\nd.png");
        const QString article = Folder + QStringLiteral("/blog_1.html");
        QVERIFY(Assets::QueueAssetJob(*f.run.state, 1, odd, Folder, article));
        QVERIFY(Assets::QueueAssetJob(*f.run.state, 100,
                                      QStringLiteral("http://blog.sina.com.cn/s/comment_1_1.html"), {},
                                      QStringLiteral("blog_2.html")));
        QVERIFY(Assets::QueueAssetJob(*f.run.state, 1, odd, Folder, article));
        // A kill in the middle of a line: that job is lost, the next one is not, and the record is sound.
        QFile file(record.path());
        QVERIFY(file.open(QIODevice::Append));
        file.write("1\t旅行\thttp://s9.sinaimg.cn/cut");
        file.close();
        QVERIFY(Assets::QueueAssetJob(*f.run.state, 1, QStringLiteral("http://s2.sinaimg.cn/after.png"),
                                      QString(), QStringLiteral("blog_3.html")));
        // A line of an older version, which named no article.
        QVERIFY(file.open(QIODevice::Append));
        file.write("1\t旅行\thttp://s3.sinaimg.cn/old.png\t.\n");
        file.close();

        QList<Assets::RecordedJob> jobs;
        QVERIFY(!record.forEach([&](const Assets::RecordedJob& job) { jobs.append(job); }).damaged());
        QCOMPARE(jobs.size(), 4);
        QCOMPARE(jobs.at(0), (Assets::RecordedJob{1, odd, Folder, article}));
        QCOMPARE(jobs.at(1).kind, 100);
        QCOMPARE(jobs.at(2), (Assets::RecordedJob{1, QStringLiteral("http://s2.sinaimg.cn/after.png"),
                                                  QString(), QStringLiteral("blog_3.html")}));
        QCOMPARE(jobs.at(3), (Assets::RecordedJob{1, QStringLiteral("http://s3.sinaimg.cn/old.png"),
                                                  QStringLiteral("旅行"), QString()}));
        QCOMPARE(f.queue().jobCount(), 4);

        // A record that cannot be written is no success: the job is queued all the same.
        QVERIFY(QFile::remove(record.path()));
        QVERIFY(QDir().mkpath(record.path()));
        QVERIFY(!Assets::QueueAssetJob(*f.run.state, 1, QStringLiteral("http://s4.sinaimg.cn/lost.png"),
                                       Folder, article));
        QCOMPARE(f.queue().jobCount(), 5);
        QCOMPARE(f.fetcher->recordTrouble(), Assets::AssetFetcher::RecordTrouble::Unwritable);
    }

    // A job counts, and is queued again, while its article is in the list and its file is missing.
    void recordedJobsAreQueuedAgainUntilTheirFilesExist()
    {
        const QString saved = QStringLiteral("http://s1.sinaimg.cn/middle/saved.png");
        const QString missing = QStringLiteral("http://s1.sinaimg.cn/middle/missing.png");
        const QString broken = QStringLiteral("http://s1.sinaimg.cn/middle/broken.png");
        const QString older = QStringLiteral("http://s1.sinaimg.cn/middle/older.jpg");
        const QString unlisted = QStringLiteral("http://s1.sinaimg.cn/middle/unlisted.png");
        const QString olderUnlisted = QStringLiteral("http://s1.sinaimg.cn/middle/older-unlisted.png");
        m_server.addRoute(missing, body(SampleImages::png()));
        m_server.addRoute(broken, status(404));
        m_server.addRoute(older, body(SampleImages::jpeg()));
        m_server.addRoute(unlisted, status(404));
        m_server.addRoute(olderUnlisted, status(404));

        // What earlier runs of the program queued: one file was saved, the others never were. One article
        // and one whole category have left the list since.
        FetchRun f;
        f.run.state->task.PlatformCode = 0;
        const int row = f.run.state->addArticleRow(QStringLiteral("标题"), QStringLiteral("旅行 日记"),
                                                   QStringLiteral("blog_4b2b2fe00100gk3a.html"), QString());
        const QString article = Model::PageRecord::pageName(*f.run.state, row);
        const Assets::JobRecord record(f.run.state->taskFolder());
        for (const QString& address : {saved, missing, broken}) {
            QVERIFY(record.append({1, address, Folder, article}));
        }
        QVERIFY(record.append({1, unlisted, Folder, Folder + QStringLiteral("/blog_4b2b2fe00100gone.html")}));
        QVERIFY(record.append({1, older, Folder, {}}));
        QVERIFY(record.append({1, olderUnlisted, QStringLiteral("旧分类"), {}}));
        const QString savedPath = Assets::AssetTargetPath(*f.run.state, 1, saved, Folder);
        TestSupport::WriteBytes(savedPath, "earlier");
        TestSupport::WriteBytes(f.run.state->articlePagePath(row), "<p>saved</p>");

        Assets::StartAssetDownloads(*f.run.state);
        QVERIFY(f.waitDone());
        QCOMPARE(f.queue().jobCount(), 3);
        QCOMPARE(f.results(), (QStringList{"●", "错误|HTTP 404 未找到", "●"}));
        QCOMPARE(fileBytes(Assets::AssetTargetPath(*f.run.state, 1, missing, Folder)), SampleImages::png());
        QCOMPARE(fileBytes(savedPath), QByteArray("earlier"));
        QCOMPARE(m_server.requestCount(unlisted) + m_server.requestCount(olderUnlisted), 0);
        Assets::BackupSummary summary = Assets::SummariseBackup(*f.run.state);
        QCOMPARE(summary.images, 4);
        QCOMPARE(summary.imagesFailed, 1);
        QCOMPARE(summary.failed.size(), 1);
        QCOMPARE(summary.failed.at(0).reason, QStringLiteral("HTTP 404 未找到"));
        QVERIFY(!summary.countsText().contains(QStringLiteral("图片记录")));
        QVERIFY(f.run.ui.status().contains(QStringLiteral("失败1张")));
        QVERIFY(f.run.ui.listLines().join(u'\n').contains(broken));

        // The next download run fetches the failed job again, and only that one.
        m_server.clear();
        m_server.addRoute(broken, body(SampleImages::jpeg()));
        Assets::StartAssetDownloads(*f.run.state);
        QVERIFY(f.waitDone(2));
        QCOMPARE(f.results(), (QStringList{"●", "●", "●"}));
        QCOMPARE(m_server.requestCount(), 1);
        summary = Assets::SummariseBackup(*f.run.state);
        QCOMPARE(summary.missing(), 0);
    }

    // The saved pages say which images the backup holds: whatever became of the record, an image that a
    // page refers to and that is missing is found in the article's web page and fetched.
    void damagedRecordIsMadeGoodFromTheSavedPages_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("named");
        QTest::newRow("binary") << QStringLiteral("binary") << true;
        QTest::newRow("empty") << QStringLiteral("empty") << true;
        QTest::newRow("re-encoded") << QStringLiteral("re-encoded") << true;
        QTest::newRow("cut at a line") << QStringLiteral("cut") << false;
        QTest::newRow("a folder") << QStringLiteral("folder") << true;
    }

    void damagedRecordIsMadeGoodFromTheSavedPages()
    {
        QFETCH(QString, damage);
        QFETCH(bool, named);
        const QString kept = QStringLiteral("http://s1.sinaimg.cn/middle/kept.png");
        const QString lost = QStringLiteral("http://s2.sinaimg.cn/middle/lost.jpg");
        const QString web = QStringLiteral("<p><img src=\"") + kept + QStringLiteral("\" /><br><img src=\"") +
                            lost + QStringLiteral("\" /></p>");
        FetchRun f;
        f.run.state->task.PlatformCode = 0;
        f.run.state->task.FetchImages = true;
        const int row = f.run.state->addArticleRow(QStringLiteral("标题"), QStringLiteral("旅行 日记"),
                                                   QStringLiteral("blog_4b2b2fe00100gk3a.html"), QString());
        // An earlier run saved the page and one of its images.
        const QString page = Render::RewriteImages(*f.run.state, web, row);
        QVERIFY(QDir().mkpath(f.run.state->categoryFolder(QStringLiteral("旅行 日记"))));
        Text::WriteTextFileAt(f.run.state->articlePagePath(row),
                              QStringLiteral("<title>标题</title>") + page);
        TestSupport::WriteBytes(Assets::AssetTargetPath(*f.run.state, 1, kept, Folder), SampleImages::png());
        f.queue().removeDataRows(1, f.queue().jobCount());

        const Assets::JobRecord record(f.run.state->taskFolder());
        QFile file(record.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray lines = file.readAll();
        file.close();
        if (damage == QStringLiteral("folder")) {
            QVERIFY(file.remove());
            QVERIFY(QDir().mkpath(record.path()));
        } else {
            QByteArray bytes;
            if (damage == QStringLiteral("binary")) {
                bytes = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452") + "\n\x01\x02\xff\n";
            } else if (damage == QStringLiteral("re-encoded")) {
                const QString text = QString::fromUtf8(lines);
                bytes = QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
            } else if (damage == QStringLiteral("cut")) {
                bytes = lines.left(lines.indexOf('\n') + 1);
            }
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
            file.close();
        }
        m_server.addRoute(
            f.run.state->articleFetchAddress(row),
            body(QStringLiteral("<html><body><!-- 正文开始 -->%1<!-- 正文结束 --></body></html>")
                     .arg(web)
                     .toUtf8()));
        m_server.addRoute(lost, body(SampleImages::jpeg()));
        m_server.addRoute(kept, status(404));

        Assets::StartAssetDownloads(*f.run.state);
        QVERIFY(f.waitDone());
        QCOMPARE(fileBytes(Assets::AssetTargetPath(*f.run.state, 1, lost, Folder)), SampleImages::jpeg());
        QCOMPARE(m_server.requestCount(kept), 0);
        Assets::BackupSummary summary = Assets::SummariseBackup(*f.run.state);
        QCOMPARE(summary.imagesFailed, 0);
        QCOMPARE(summary.countsText().contains(QStringLiteral("图片记录")), named);
        QCOMPARE(f.run.ui.status().contains(QStringLiteral("图片记录")), named);
        if (damage == QStringLiteral("folder")) {
            // Nothing can be recorded: the backup is whole now, but a later run may not know its jobs.
            QCOMPARE(summary.missing(), 1);
            QCOMPARE(summary.failed.at(0).address, record.path());
            return;
        }
        QCOMPARE(summary.missing(), 0);

        // The record is sound again, and the next run has nothing to fetch or to name.
        m_server.clearLog();
        Assets::StartAssetDownloads(*f.run.state);
        QVERIFY(f.waitDone(2));
        QCOMPARE(m_server.requestCount(), 0);
        QVERIFY(!f.run.ui.status().contains(QStringLiteral("图片记录")));
        QCOMPARE(Assets::SummariseBackup(*f.run.state).missing(), 0);
    }

    void timeoutTextsPerSlot()
    {
        FetchRun f;
        for (int i = 1; i <= 5; ++i) {
            const QString address = QStringLiteral("http://slow.example.cn/%1.jpg").arg(i);
            m_server.addRoute(address, failing(Response::Mode::NeverAnswer));
            f.add(1, address);
        }
        m_server.addRoute(QStringLiteral("http://fast.example.cn/6.png"), body(SampleImages::png()));
        f.add(1, QStringLiteral("http://fast.example.cn/6.png"));

        QElapsedTimer clock;
        clock.start();
        f.fetcher->StartAssetDownloads();
        QVERIFY(f.waitDone());
        QVERIFY2(clock.elapsed() >= 4500, "the slots wait five seconds for an answer");

        // Every slot says what happened in words.
        const QStringList results = f.results();
        const QString words = QStringLiteral("错误|超时");
        QCOMPARE(results.mid(0, 5), (QStringList{words, words, words, words, words}));
        QCOMPARE(results[5], QStringLiteral("●"));
        for (int row = 1; row <= 5; ++row) {
            QVERIFY(!QFile::exists(f.target(row)));
        }
        QCOMPARE(f.completions(), 1);
    }

    void failedJobsAndTheAgainCommand()
    {
        const QString reset = QStringLiteral("http://img.example.cn/reset.jpg");
        const QString missing = QStringLiteral("http://img.example.cn/missing.png");
        const QString good = QStringLiteral("http://img.example.cn/good.png");
        const QString relative = QStringLiteral("/images/http_logo.gif");
        const QString serverError = QStringLiteral("http://img.example.cn/500.gif");
        const QString odd = QStringLiteral("http://img.example.cn/odd/a b\"c'.png");
        m_server.addRoute(reset, failing(Response::Mode::Reset));
        m_server.addRoute(missing, status(404));
        m_server.addRoute(good, body(SampleImages::png()));
        m_server.addRoute(serverError, status(500));
        m_server.addHandler([](const FakeWeb::Request& request) -> std::optional<Response> {
            if (request.path.startsWith(QStringLiteral("/odd/"))) {
                return body(SampleImages::jpeg());
            }
            return std::nullopt;
        });
        FetchRun f;
        for (const QString& address : {reset, missing, good, relative, serverError, odd}) {
            f.add(1, address);
        }

        f.fetcher->StartAssetDownloads();
        QVERIFY(f.waitDone());
        QStringList results = f.results();
        QVERIFY2(results[0].startsWith(QStringLiteral("错误|服务器中途断开了连接")), qPrintable(results[0]));
        QCOMPARE(results[1], QStringLiteral("错误|HTTP 404 未找到"));
        QCOMPARE(results[2], QStringLiteral("●"));
        QCOMPARE(results[3], QStringLiteral("错误|不是网址：/images/http_logo.gif"));
        QCOMPARE(results[4], QStringLiteral("错误|HTTP 500 服务器内部错误"));
        QCOMPARE(results[5], QStringLiteral("●"));
        QCOMPARE(fileBytes(f.target(6)), SampleImages::jpeg());
        for (int row : {1, 2, 4, 5}) {
            QVERIFY2(!QFile::exists(f.target(row)),
                     qPrintable(f.target(row))); // no error page saved as image
        }

        // The hosts recover; the again command fetches what failed, and only that.
        m_server.addRoute(reset, body(SampleImages::jpeg()));
        m_server.addRoute(missing, body(SampleImages::png()));
        m_server.clearLog();
        f.fetcher->FetchAgain();
        QVERIFY(f.waitDone(2));
        results = f.results();
        QCOMPARE(results[0], QStringLiteral("●"));
        QCOMPARE(results[1], QStringLiteral("●"));
        QCOMPARE(results[2], QStringLiteral("●"));
        QVERIFY(results[3].startsWith(QStringLiteral("错误|")));
        QCOMPARE(results[4], QStringLiteral("错误|HTTP 500 服务器内部错误"));
        QCOMPARE(results[5], QStringLiteral("●"));
        QCOMPARE(fileBytes(f.target(2)), SampleImages::png());
        QCOMPARE(m_server.requestLog().size(), 3);
        QCOMPARE(m_server.requestCount(good), 0);
    }

    // An image host that asks to wait is waited for and its images are fetched after all; one that asks
    // for ever is asked no more, its images failing for that named reason.
    void imagesWaitForTheirSite()
    {
        FakeWeb::addFault(m_server, *FakeWeb::Fault::parse(QStringLiteral("429x2=1@img\\.example\\.cn")));
        FakeWeb::addFault(m_server, *FakeWeb::Fault::parse(QStringLiteral("503=0@pics\\.example\\.org")));
        m_server.addHandler([](const FakeWeb::Request&) -> std::optional<Response> { return body(SampleImages::png()); });
        FetchRun f;
        Text::SitePolicy& policy = f.run.state->http.gates->policy;
        policy.retriesPerItem = 3;
        policy.waitsInARow = 2;
        for (int i = 1; i <= 4; ++i) {
            f.add(1, QStringLiteral("http://img.example.cn/%1.png").arg(i));
        }
        f.add(1, QStringLiteral("http://pics.example.org/1.png"));
        f.add(1, QStringLiteral("http://pics.example.org/2.png"));
        QElapsedTimer clock;
        clock.start();
        f.fetcher->StartAssetDownloads();
        QVERIFY(f.waitDone());
        QVERIFY(clock.elapsed() >= 900);
        const QStringList results = f.results();
        QCOMPARE(results.mid(0, 4), (QStringList{"●", "●", "●", "●"}));
        for (const QString& result : results.mid(4)) {
            QVERIFY2(result.startsWith(QStringLiteral("错误|网站一直要求稍候（HTTP 503")), qPrintable(result));
        }
        QVERIFY(f.run.ui.statusHistory.contains(QStringLiteral("网站要求稍候，1秒后继续（example.cn）")));
        QCOMPARE(m_server.requestCount(QStringLiteral("http://img.example.cn/")), 6);
        QVERIFY(m_server.requestCount(QStringLiteral("http://pics.example.org/")) <= 6);
    }

    void againTwiceAfterCompleteRun()
    {
        const QString fetched = QStringLiteral("http://img.example.cn/one.png");
        const QString present = QStringLiteral("http://img.example.cn/two.jpg");
        m_server.addRoute(fetched, body(SampleImages::png()));
        m_server.addRoute(present, body(SampleImages::jpeg()));
        FetchRun f;
        f.add(1, fetched);
        f.add(1, present);
        TestSupport::WriteBytes(f.target(2), "saved before");

        f.fetcher->StartAssetDownloads();
        QVERIFY(f.waitDone());
        QCOMPARE(f.results(), (QStringList{"●", "已存在"}));

        for (int again = 2; again <= 3; ++again) {
            f.fetcher->FetchAgain();
            QVERIFY(f.waitDone(again));
            QCOMPARE(f.results(), (QStringList{"●", "已存在"}));
            QCOMPARE(WithoutCounts(f.run.ui.statusHistory.mid(f.run.ui.statusHistory.size() - 2)),
                     (QStringList{AllFetched, Finished}));
        }
        QCOMPARE(m_server.requestCount(), 1);
        QCOMPARE(fileBytes(f.target(2)), QByteArray("saved before"));
    }

    void completionOnlyWhenEverySlotIsIdle()
    {
        const QString fast = QStringLiteral("http://img.example.cn/fast.png");
        const QString slow = QStringLiteral("http://img.example.cn/slow.jpg");
        m_server.addRoute(fast, body(SampleImages::png()));
        m_server.addRoute(slow, body(SampleImages::jpeg(), 1500));
        FetchRun f;
        f.add(1, fast);
        f.add(1, slow);

        f.fetcher->StartAssetDownloads();
        QTRY_COMPARE(f.queue().result(1), QStringLiteral("●"));
        // Slot 0 has nothing left, but slot 1 still fetches: not done yet.
        QCOMPARE(f.queue().result(2), QStringLiteral("○"));
        QVERIFY(f.fetcher->busy());
        QCOMPARE(f.completions(), 0);
        QVERIFY(!WithoutCounts(f.run.ui.statusHistory).contains(Finished));
        QCOMPARE(f.done->count(), 0);

        QVERIFY(f.waitDone());
        QCOMPARE(f.results(), (QStringList{"●", "●"}));
        QCOMPARE(WithoutCounts(f.run.ui.statusHistory.mid(f.run.ui.statusHistory.size() - 2)),
                 (QStringList{AllFetched, Finished}));
        QCOMPARE(f.completions(), 1);
    }

    void pageReferencesPointAtSavedFiles()
    {
        const QString longAddress =
            QStringLiteral("http://s9.sinaimg.cn/orignal/") + QString(110, u'x') + QStringLiteral("&690");
        const QString shortAddress = QStringLiteral("http://s9.sinaimg.cn/small/a.jpg");
        m_server.addRoute(longAddress, body(SampleImages::jpeg()));
        m_server.addRoute(shortAddress, body(SampleImages::png()));
        FetchRun f;
        f.run.state->task.PlatformCode = 0;
        const int row = f.run.state->addArticleRow(QStringLiteral("标题"), QStringLiteral("旅行 日记"),
                                                   QStringLiteral("blog_4b2b2fe00100gk3a.html"), QString());
        const QString placeholder =
            QStringLiteral("src=\"http://simg.sinajs.cn/blog7style/images/common/sg_trans.gif\" ");
        const QString page = Render::RewriteImages(
            *f.run.state,
            QStringLiteral("<p><img ") + placeholder + QStringLiteral("real_src=\"") + longAddress +
                QStringLiteral("\" /></p><p><IMG ") + placeholder + QStringLiteral("real_src=\"") +
                shortAddress + QStringLiteral("\"><img src=\"") + shortAddress + QStringLiteral("\"></p>"),
            row);
        QCOMPARE(f.queue().jobCount(), 3);

        f.fetcher->StartAssetDownloads();
        QVERIFY(f.waitDone());
        const QStringList sources = Text::MatchList(QStringLiteral("\\ssrc=\"[^\"]*\""), page);
        QCOMPARE(sources.size(), 3);
        for (const QString& source : sources) {
            const QString name = source.mid(6, source.size() - 7);
            QVERIFY2(name.size() <= 100, qPrintable(name));
            QVERIFY2(
                QFileInfo(f.run.state->categoryFolder(QStringLiteral("旅行 日记")) + u'/' + name).isFile(),
                qPrintable(name));
        }
    }

    void rowsDeletedWhileFetching()
    {
        const QString first = QStringLiteral("http://img.example.cn/first.png");
        const QString second = QStringLiteral("http://img.example.cn/second.png");
        m_server.addRoute(first, body(SampleImages::png(), 500));
        m_server.addRoute(second, body(SampleImages::png(), 500));
        FetchRun f;
        f.add(1, first);
        f.add(1, second);
        f.fetcher->StartAssetDownloads();
        QCOMPARE(f.results(), (QStringList{"○", "○"}));
        f.queue().removeDataRows(1, 1);

        QVERIFY(f.waitDone());
        QCOMPARE(f.queue().jobCount(), 1);
        QCOMPARE(f.queue().address(1), second);
        QCOMPARE(f.results(), QStringList{"●"});
        QVERIFY(QFileInfo(f.target(1)).isFile());
    }

    void largeImage()
    {
        QByteArray big = SampleImages::jpeg();
        big.append(QByteArray(12 * 1024 * 1024, '\x5a'));
        const QString address = QStringLiteral("http://img.example.cn/big.jpg");
        m_server.addRoute(address, body(big));
        FetchRun f;
        f.add(1, address);
        f.fetcher->StartAssetDownloads();
        QVERIFY(f.waitDone());
        QCOMPARE(f.results(), QStringList{"●"});
        QCOMPARE(fileBytes(f.target(1)), big);

        // An image that never ends fails once it is larger than any picture, and nothing is saved.
        const QString endless = QStringLiteral("http://img.example.cn/endless.jpg");
        Response trickle;
        trickle.mode = Response::Mode::Trickle;
        trickle.body = QByteArray(2 * 1024 * 1024, '\x5a');
        m_server.addRoute(endless, trickle);
        FetchRun g;
        g.add(1, endless);
        g.fetcher->StartAssetDownloads();
        QVERIFY(g.waitDone());
        QCOMPARE(g.results(), QStringList{QStringLiteral("错误|内容过大（超过64MB）")});
        QVERIFY(!QFile::exists(g.target(1)));
    }

    void closingWhileFetching()
    {
        const QString address = QStringLiteral("http://slow.example.cn/never.jpg");
        m_server.addRoute(address, failing(Response::Mode::NeverAnswer));
        FetchRun f;
        f.add(1, address);
        f.fetcher->StartAssetDownloads();
        QVERIFY(f.fetcher->busy());
        QTRY_COMPARE(m_server.requestCount(), 1);
        f.fetcher.reset();
        QCOMPARE(f.run.state->assetFetcher, nullptr);
        QTest::qWait(50);
        QVERIFY(!QFile::exists(f.target(1)));
        QCOMPARE(f.run.ui.statusHistory.count(AllFetched), 0);
    }
};

QTEST_GUILESS_MAIN(TestAssetFetcher)
#include "test_assetfetcher.moc"
