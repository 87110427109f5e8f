#include "output/renamer.h"
#include "support/files.h"
#include "support/testrun.h"
#include "taskfixture.h"

#include <QCoro/QCoroTask>

#include <QTest>

using namespace Output;

namespace {

const QString RenameQuestion = QStringLiteral(
    "是否改名？|在文章下载完成后，可用此功能将清单中的文件名改为文章的标题\r\n但是改名后链接将失效,"
    "且暂不能生成CHM，是否继续？");

using TestSupport::ReadBytes;

} // namespace

class TestRenamer : public QObject
{
    Q_OBJECT

private:
    // Three articles of category A (the second never downloaded) and one of B with the first's date and
    // title.
    static void BuildTask(TestRun& run)
    {
        Model::RunState& state = *run.state;
        state.task.TaskName = QStringLiteral("abc");
        state.task.PlatformCode = 1;
        state.addArticleRow(QStringLiteral("标题"), QStringLiteral("A"), QStringLiteral("a1"),
                            QStringLiteral("2011-05-03 12:30"));
        state.addArticleRow(QStringLiteral("missing"), QStringLiteral("A"), QStringLiteral("a2"), QString());
        state.addArticleRow(QStringLiteral("同名"), QStringLiteral("A"), QStringLiteral("a3"), QString());
        state.addArticleRow(QStringLiteral("同名"), QStringLiteral("A"), QStringLiteral("a4"), QString());
        for (int row : {1, 3, 4}) {
            TaskFixture::WriteBytes(state.articlePagePath(row), "page " + QByteArray::number(row));
        }
    }

private slots:
    void newNames_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::newRow("date and time") << QStringLiteral("2011-05-03 12:30") << QStringLiteral("标题")
                                       << QStringLiteral("2011-05-03-_标题.html");
        QTest::newRow("date without blank")
            << QStringLiteral("2011-05-03") << QStringLiteral("t") << QStringLiteral("2011-05-03!_t.html");
        QTest::newRow("empty date") << QString() << QStringLiteral("t") << QStringLiteral("!_t.html");
        QTest::newRow("odd title") << QStringLiteral("2011/5/3 1:2") << QStringLiteral("a/b?c")
                                   << QStringLiteral("2011_5_3-_a_b_c.html");
    }
    void newNames()
    {
        QFETCH(QString, date);
        QFETCH(QString, title);
        QFETCH(QString, name);
        QCOMPARE(TitleFileName(date, title), name);
    }

    void longTitleStillMakesAName()
    {
        const QString name =
            TitleFileName(QStringLiteral("2011-05-03 1"), QStringLiteral("题").repeated(120));
        QVERIFY(name.toUtf8().size() <= 255);
        QVERIFY(name.startsWith(QStringLiteral("2011-05-03-_题")));
        QVERIFY(name.endsWith(QStringLiteral("题.html")));
    }

    void renamesDownloadedPagesWithoutOverwriting()
    {
        TestRun run;
        BuildTask(run);
        QCoro::waitFor(RenamePagesToTitles(*run.state));

        QCOMPARE(run.ui.questions, QStringList{RenameQuestion});
        QCOMPARE(run.ui.statusHistory.first(), QStringLiteral("改名：1/4"));
        QCOMPARE(run.ui.status(), QStringLiteral("改名共4个，成功3个，失败1个。"));
        QCOMPARE(ReadBytes(run.path(QStringLiteral("abc/A/2011-05-03-_标题.html"))), QByteArray("page 1"));
        // Both 同名 pages want "!_同名.html": the first gets it, the second stays as it was.
        QCOMPARE(ReadBytes(run.path(QStringLiteral("abc/A/!_同名.html"))), QByteArray("page 3"));
        QCOMPARE(ReadBytes(run.path(QStringLiteral("abc/A/a4.html"))), QByteArray("page 4"));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("abc/A/a1.html"))));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("abc/A/a3.html"))));

        // The list keeps the old names: a second run finds only the page that could not be renamed.
        QCoro::waitFor(RenamePagesToTitles(*run.state));
        QCOMPARE(run.ui.status(), QStringLiteral("改名共4个，成功1个，失败3个。"));
        QCOMPARE(ReadBytes(run.path(QStringLiteral("abc/A/!_同名.html"))), QByteArray("page 3"));
    }

    void secondRunCountsAllAsFailed()
    {
        TestRun run;
        Model::RunState& state = *run.state;
        state.task.TaskName = QStringLiteral("abc");
        state.task.PlatformCode = 1;
        state.addArticleRow(QStringLiteral("t1"), QStringLiteral("A"), QStringLiteral("a1"), QString());
        state.addArticleRow(QStringLiteral("t2"), QString(), QStringLiteral("a2"),
                            QStringLiteral("2012-01-01 1"));
        TaskFixture::WriteBytes(state.articlePagePath(1), "1");
        TaskFixture::WriteBytes(state.articlePagePath(2), "2");

        QCoro::waitFor(RenamePagesToTitles(state));
        QCOMPARE(run.ui.status(), QStringLiteral("改名共2个，成功2个，失败0个。"));
        QVERIFY(QFile::exists(run.path(QStringLiteral("abc/2012-01-01-_t2.html"))));
        QCoro::waitFor(RenamePagesToTitles(state));
        QCOMPARE(run.ui.status(), QStringLiteral("改名共2个，成功0个，失败2个。"));
    }

    void answeringNoChangesNothing()
    {
        TestRun run;
        BuildTask(run);
        run.ui.setStatus(QStringLiteral("before"));
        run.ui.answers = {false};
        QCoro::waitFor(RenamePagesToTitles(*run.state));
        QCOMPARE(run.ui.status(), QStringLiteral("before"));
        QCOMPARE(QDir(run.path(QStringLiteral("abc/A"))).entryList(QDir::Files),
                 (QStringList{"a1.html", "a3.html", "a4.html"}));
    }
};

QTEST_GUILESS_MAIN(TestRenamer)
#include "test_renamer.moc"
