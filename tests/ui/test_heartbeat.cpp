// The one-second timer: slot ticks, the update check and its report number, the version line, and the
// automatic packing at the end of an unattended backup.
#include "fakeweb.h"
#include "support/files.h"
#include "support/proxyweb.h"
#include "support/testrun.h"
#include "ui/heartbeat.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

class TestHeartbeat : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_web;

    static void writeAutoConfig(TestRun& run)
    {
        TestSupport::WriteAutoConfig(run.folder.path(),
                                     {QStringLiteral("0"), QStringLiteral("me"),
                                      QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html"),
                                      QStringLiteral("1"), QStringLiteral("1")});
    }

private Q_SLOTS:
    void init() { m_web.clear(); }

    void tickPhasesAndReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("result");
        QTest::newRow("same version") << QByteArray("v=20120419") << QStringLiteral("已是最新版本！");
        QTest::newRow("newer") << QByteArray("20130101") << QStringLiteral("发现新版本:20130101,点此更新");
        QTest::newRow("not a number") << QByteArray("not found") << QStringLiteral("点此查看最新版本");
    }
    void tickPhasesAndReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, result);
        TestRun run;
        m_web.addHandler([reply](const FakeWeb::Request& request) -> std::optional<FakeWeb::Response> {
            if (request.path == QStringLiteral("/blog/update.asp")) {
                return FakeWeb::Response{200, reply};
            }
            return std::nullopt;
        });
        Ui::Heartbeat heartbeat(*run.state);
        heartbeat.tick(); // 1: sent
        QCOMPARE(m_web.requests().size(), 0);
        QTRY_COMPARE(m_web.requests().size(), 1);
        const FakeWeb::Request sent = m_web.requests().constFirst();
        QCOMPARE(sent.method, QByteArray("POST"));
        QCOMPARE(sent.query, QStringLiteral("ver=20120419&b=1000"));
        // No body and no header of its own: the length says there is no body, and no content type.
        QVERIFY(sent.body.isEmpty());
        QCOMPARE(sent.header("Content-Length"), QByteArray("0"));
        QVERIFY(!sent.hasHeader("Content-Type"));
        QTRY_VERIFY_WITH_TIMEOUT((heartbeat.tick(), run.state->checkDone), 3000);
        QCOMPARE(heartbeat.resultText(), result);
        QCOMPARE(run.state->slotTicks[0], run.state->tickCounter);
        QCOMPARE(run.state->slotTicks[10], 0);
    }

    void givesUpAtEleven()
    {
        TestRun run;
        FakeWeb::Response silent;
        silent.mode = FakeWeb::Response::Mode::NeverAnswer;
        m_web.addHandler(
            [silent](const FakeWeb::Request&) { return std::optional<FakeWeb::Response>(silent); });
        Ui::Heartbeat heartbeat(*run.state);
        QStringList lines;
        connect(&heartbeat, &Ui::Heartbeat::versionLineChanged, this,
                [&lines](const QString& t) { lines << t; });
        for (int i = 1; i <= 10; ++i) {
            heartbeat.tick();
        }
        QVERIFY(!run.state->checkDone);
        heartbeat.tick();
        QVERIFY(run.state->checkDone);
        QCOMPARE(heartbeat.resultText(), QStringLiteral("点此查看最新版本"));
        // The version line then cycles: three ticks each.
        for (int i = 0; i < 9; ++i) {
            heartbeat.tick();
        }
        QCOMPARE(lines,
                 QStringList({"关于本程序", "关于本程序", "关于本程序", "快速反馈问题", "快速反馈问题",
                              "快速反馈问题", "点此查看最新版本", "点此查看最新版本", "点此查看最新版本"}));
    }

    void reportNumbers()
    {
        TestRun run;
        Ui::Heartbeat heartbeat(*run.state);
        QCOMPARE(heartbeat.reportNumber(), 1000);
        run.state->task.FetchImages = true;
        run.state->task.FetchComments = true;
        run.state->SetReportStage(300);
        QCOMPARE(heartbeat.reportNumber(), 3372);
        run.state->task.PlatformCode = 5;
        run.state->SetReportStage(200);
        QCOMPARE(heartbeat.reportNumber(), 3277);
        QVERIFY(!run.state->checkDone);
        QCOMPARE(run.state->tickCounter, 0);
        writeAutoConfig(run);
        QCOMPARE(heartbeat.reportNumber(), 299);
    }

    void automaticPackingRunsOnce()
    {
        TestRun run;
        writeAutoConfig(run);
        run.state->task.TaskName = QStringLiteral("me");
        Ui::Heartbeat heartbeat(*run.state);
        int packs = 0;
        heartbeat.packChm = [&]() -> QCoro::Task<bool> {
            ++packs;
            run.state->setStatus(QStringLiteral("打包CHM成功！"));
            co_return true;
        };
        QSignalSpy finished(&heartbeat, &Ui::Heartbeat::packFinished);
        heartbeat.tick();
        QCOMPARE(packs, 0);
        run.state->setStatus(QStringLiteral("全部完成，请按“生成CHM”打包成CHM以便浏览"));
        heartbeat.tick();
        QCOMPARE(packs, 1);
        QCOMPARE(finished.count(), 1);
        QVERIFY(run.ui.statusHistory.contains(QStringLiteral("正在打包CHM...")));
        QCOMPARE(run.ui.openedLocal, QStringList({run.state->taskFolder() + QStringLiteral("/index.html")}));
        heartbeat.tick();
        heartbeat.tick();
        QCOMPARE(packs, 1);
    }
};

QTEST_MAIN(TestHeartbeat)
#include "test_heartbeat.moc"
