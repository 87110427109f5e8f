#include "model/taskfiles.h"
#include "model/taskname.h"
#include "support/files.h"
#include "support/testrun.h"
#include "support/wait.h"
#include "text/charset.h"
#include "text/logincookies.h"
#include "text/textfiles.h"

#include <QFile>
#include <QNetworkCookieJar>
#include <QTest>

using Model::CommandStates;

namespace {

const QString CrLf = QStringLiteral("\r\n");

using TestSupport::ReadBytes;
using TestSupport::WriteBytes;

struct Article
{
    QString title, category, link, date;
};

void Fill(Model::RunState& state, const QList<Article>& articles)
{
    state.task = Model::BlogTask{QStringLiteral("blog"), 0, QStringLiteral("http://x/"), true, false};
    state.ResetArticleList();
    for (const Article& a : articles) {
        state.addArticleRow(a.title, a.category, a.link, a.date);
    }
}

QStringList Rows(const Model::ArticleList& list)
{
    QStringList rows;
    for (int row = 1; row <= list.articleCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < list.columns(); ++column) {
            cells << list.text(row, column);
        }
        rows << cells.join(u'|');
    }
    return rows;
}

const QList<Article> TwoArticles{{QStringLiteral("标题一"), QStringLiteral("分类"),
                                  QStringLiteral("blog_1.html"), QStringLiteral("(2012-01-01)")},
                                 {QStringLiteral("标题二"), QStringLiteral("分类"),
                                  QStringLiteral("blog_2.html"), QStringLiteral("(2012-01-02)")}};

// The task file of TwoArticles as the layout prescribes it.
const QString TwoArticlesFile =
    QStringLiteral("\r\nhttp://x/\r\n0\r\nblog\r\nTrue\r\nFalse\r\n\r\n\r\n"
                   "1\r\n标题一\r\n分类\r\nblog_1.html\r\n(2012-01-01)\r\n1\r\n\r\n\r\n"
                   "2\r\n标题二\r\n分类\r\nblog_2.html\r\n(2012-01-02)\r\n2\r\n\r\n\r\n");

} // namespace

class TestTaskFiles : public QObject
{
    Q_OBJECT

private slots:
    void exportWritesTheLayout()
    {
        TestRun run;
        Fill(*run.state, TwoArticles);
        run.state->articles.setMark(1, QStringLiteral("√"));
        Model::ExportTaskList(*run.state);
        QCOMPARE(run.ui.status(), QStringLiteral("blog.ini 导出成功! 放在程序目录"));
        QCOMPARE(ReadBytes(run.path(QStringLiteral("blog.ini"))), Text::EncodeLocal(TwoArticlesFile));

        // A file that cannot be written is reported, not thrown at the window.
        run.state->task.TaskName = QStringLiteral("no/such");
        Model::ExportTaskList(*run.state);
        QCOMPARE(run.ui.status(), QStringLiteral("导出失败：无法写入no/such.ini"));
    }

    void importReadsTheLayout()
    {
        TestRun run;
        WriteBytes(run.path(QStringLiteral("old.ini")), Text::EncodeLocal(TwoArticlesFile));
        run.state->addArticleRow(QStringLiteral("gone"), QString(), QString(), QString());
        TestSupport::Wait(Model::ImportTaskList(*run.state, run.path(QStringLiteral("old.ini"))));

        QCOMPARE(Rows(run.state->articles),
                 (QStringList{QStringLiteral("1|标题一|分类|blog_1.html|(2012-01-01)|1||"),
                              QStringLiteral("2|标题二|分类|blog_2.html|(2012-01-02)|2||")}));
        QCOMPARE(run.state->task.TaskName, QStringLiteral("blog"));
        QCOMPARE(run.state->task.BlogAddress, QStringLiteral("http://x/"));
        QCOMPARE(run.state->task.PlatformCode, 0);
        QVERIFY(run.state->task.FetchImages);
        QVERIFY(!run.state->task.FetchComments);
        QCOMPARE(run.state->categories.countOf(QStringLiteral("分类")), 2);
        QCOMPARE(run.ui.statusHistory.filter(QStringLiteral("导入任务：")),
                 (QStringList{QStringLiteral("导入任务：2/3"), QStringLiteral("导入任务：3/3")}));
        QCOMPARE(run.ui.status(), QStringLiteral("导入新浪: blog 成功! 请按下载开始"));
        QCOMPARE(run.ui.commandStates, (QList<CommandStates>{{true, true, false, true, false, true}}));
        QVERIFY(!run.state->discoveryRunning);
    }

    void roundTripKeepsEmptyColumns()
    {
        TestRun run;
        const QList<Article> articles{
            {QStringLiteral("无日期"), QStringLiteral("甲"), QStringLiteral("blog_1.html"), QString()},
            {QString(), QStringLiteral("甲"), QStringLiteral("blog_2.html"), QStringLiteral("d")},
            {QStringLiteral("无分类"), QString(), QStringLiteral("blog_3.html"), QStringLiteral("d")},
            {QStringLiteral("无链接"), QStringLiteral("乙"), QString(), QStringLiteral("d")},
            {QString(), QString(), QString(), QString()},
            {QStringLiteral("末篇"), QStringLiteral("乙"), QStringLiteral("blog_6.html"),
             QStringLiteral("d")}};
        Fill(*run.state, articles);
        for (int row = 1; row <= 6; ++row) {
            run.state->articles.setMark(row, QStringLiteral("√"));
        }
        const QStringList before = Rows(run.state->articles);
        Model::ExportTaskList(*run.state);

        run.state->ResetArticleList();
        run.state->task = Model::BlogTask{};
        TestSupport::Wait(Model::ImportTaskList(*run.state, run.path(QStringLiteral("blog.ini"))));

        QStringList expected = before;
        for (QString& row : expected) {
            row.replace(QStringLiteral("|√|"), QStringLiteral("||"));
        }
        QCOMPARE(Rows(run.state->articles), expected);
        QCOMPARE(run.ui.status(), QStringLiteral("导入新浪: blog 成功! 请按下载开始"));
    }

    // The task file names the task's cookie file, never a cookie; importing it brings the task's login
    // back, and a file without one (as every older file) leaves no earlier login behind.
    void taskFileRemembersTheCookieFile()
    {
        TestRun run;
        const QString cookies = run.path(QStringLiteral("我的 cookies.txt"));
        WriteBytes(cookies, ".sina.com.cn\tTRUE\t/\tFALSE\t0\tSUB\tsecret-login\r\n");
        Fill(*run.state, TwoArticles);
        run.state->task.CookieFile = cookies;
        Model::ExportTaskList(*run.state);
        const QByteArray written = ReadBytes(run.path(QStringLiteral("blog.ini")));
        QVERIFY(!written.contains("secret-login"));

        run.state->task = Model::BlogTask{};
        TestSupport::Wait(Model::ImportTaskList(*run.state, run.path(QStringLiteral("blog.ini"))));
        QCOMPARE(run.state->task.CookieFile, cookies);
        QCOMPARE(Rows(run.state->articles),
                 (QStringList{QStringLiteral("1|标题一|分类|blog_1.html|(2012-01-01)|1||"),
                              QStringLiteral("2|标题二|分类|blog_2.html|(2012-01-02)|2||")}));
        QCOMPARE(run.ui.status(),
                 QStringLiteral("导入新浪: blog 成功! 请按下载开始；使用你的登录：登录Cookie文件"
                                "我的 cookies.txt，1个Cookie，不退出登录"));
        auto* jar = qobject_cast<Text::LoginCookieJar*>(run.network.cookieJar());
        QVERIFY(jar != nullptr);
        QCOMPARE(jar->cookieCount(), 1);

        WriteBytes(run.path(QStringLiteral("old.ini")), Text::EncodeLocal(TwoArticlesFile));
        TestSupport::Wait(Model::ImportTaskList(*run.state, run.path(QStringLiteral("old.ini"))));
        QVERIFY(run.state->task.CookieFile.isEmpty());
        QVERIFY(run.network.cookieJar()
                    ->cookiesForUrl(QUrl(QStringLiteral("http://blog.sina.com.cn/")))
                    .isEmpty());
        QCOMPARE(run.ui.status(), QStringLiteral("导入新浪: blog 成功! 请按下载开始"));

        // A cookie file that has gone: the task comes in, and the user is told it runs without a login.
        run.state->task.CookieFile = run.path(QStringLiteral("gone.txt"));
        Model::ExportTaskList(*run.state);
        TestSupport::Wait(Model::ImportTaskList(*run.state, run.path(QStringLiteral("blog.ini"))));
        QCOMPARE(run.state->articles.articleCount(), 2);
        QVERIFY2(run.ui.status().endsWith(QStringLiteral("gone.txt，下载时不带登录")),
                 qPrintable(run.ui.status()));
    }

    // An archive task's file names its source and day after the switches, beside the optional cookie
    // line in either order; importing it brings them back, and a file without the line is a live task.
    void taskFileRemembersTheSource_data()
    {
        QTest::addColumn<QString>("header"); // the optional lines after the switches
        QTest::addColumn<bool>("fromArchive");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("cookies");
        QTest::newRow("written before") << QString() << false << QString() << QString();
        QTest::newRow("day") << QStringLiteral("Archive=20150601\r\n") << true << QStringLiteral("20150601")
                             << QString();
        QTest::newRow("newest") << QStringLiteral("Archive=newest\r\n") << true << QString() << QString();
        QTest::newRow("day typed with dashes")
            << QStringLiteral("Archive=2015-06-01\r\n") << true << QStringLiteral("20150601") << QString();
        QTest::newRow("cookies first") << QStringLiteral("Cookies=c.txt\r\nArchive=20150601\r\n") << true
                                       << QStringLiteral("20150601") << QStringLiteral("c.txt");
        QTest::newRow("archive first") << QStringLiteral("Archive=newest\r\nCookies=c.txt\r\n") << true
                                       << QString() << QStringLiteral("c.txt");
    }
    void taskFileRemembersTheSource()
    {
        QFETCH(QString, header);
        QFETCH(bool, fromArchive);
        QFETCH(QString, day);
        QFETCH(QString, cookies);
        const QString text = QString(TwoArticlesFile)
                                 .replace(QStringLiteral("False\r\n"), QStringLiteral("False\r\n") + header);
        const Model::TaskFile file = Model::ParseTaskFile(text);
        QCOMPARE(file.fromArchive, fromArchive);
        QCOMPARE(file.archiveDate, day);
        QCOMPARE(file.cookieFile, cookies);
        QCOMPARE(file.records.size(), 2);
        QVERIFY(file.complete);

        // Written back, the task reads the same; imported over an archive task of another day, it replaces
        // the source.
        TestRun run;
        Fill(*run.state, TwoArticles);
        run.state->task.FromArchive = fromArchive;
        run.state->task.ArchiveDate = day;
        Model::ExportTaskList(*run.state);
        const Model::TaskFile written = Model::ReadTaskFile(run.path(QStringLiteral("blog.ini")));
        QCOMPARE(written.fromArchive, fromArchive);
        QCOMPARE(written.archiveDate, day);
        QCOMPARE(written.records.size(), 2);
        run.state->task = Model::BlogTask{};
        run.state->task.FromArchive = true;
        run.state->task.ArchiveDate = QStringLiteral("20000101");
        WriteBytes(run.path(QStringLiteral("t.ini")), Text::EncodeLocal(text));
        TestSupport::Wait(Model::ImportTaskList(*run.state, run.path(QStringLiteral("t.ini"))));
        QCOMPARE(run.state->task.FromArchive, fromArchive);
        QCOMPARE(run.state->task.ArchiveDate, day);
        QCOMPARE(run.state->articles.articleCount(), 2);
        const QString source = !fromArchive    ? QString()
                               : day.isEmpty() ? QStringLiteral("（网页存档，最新）")
                                               : QStringLiteral("（网页存档 2015-06-01）");
        QVERIFY2(
            run.ui.status().startsWith(QStringLiteral("导入新浪: blog") + source + QStringLiteral(" 成功!")),
            qPrintable(run.ui.status()));
    }

    void damagedFiles_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rows"); // -1: refused, the list stays as it was
        QTest::addColumn<QString>("status");
        const QString incomplete =
            QStringLiteral("导入新浪: blog 任务文件不完整，已导入%1篇文章，请按下载开始");
        const QString refused = QStringLiteral("导入失败：t.ini 不是可读的任务文件");
        const int secondRecord = int(TwoArticlesFile.indexOf(QStringLiteral("2\r\n标题二")));
        QTest::newRow("cut inside a record")
            << TwoArticlesFile.left(secondRecord + 8) << 1 << incomplete.arg(1);
        QTest::newRow("cut after the last columns") << TwoArticlesFile.chopped(4) << 2 << incomplete.arg(2);
        QTest::newRow("record out of line")
            << QString(TwoArticlesFile)
                   .replace(QStringLiteral("\r\n2\r\n标题二"), QStringLiteral("\r\n\r\n2\r\n标题二"))
            << 1 << incomplete.arg(1);
        QTest::newRow("trailing empty lines")
            << TwoArticlesFile + CrLf + CrLf << 2 << QStringLiteral("导入新浪: blog 成功! 请按下载开始");
        QTest::newRow("line feeds only") << QString(TwoArticlesFile).replace(CrLf, QStringLiteral("\n")) << 2
                                         << QStringLiteral("导入新浪: blog 成功! 请按下载开始");
        QTest::newRow("header cut") << TwoArticlesFile.left(12) << -1 << refused;
        QTest::newRow("unknown platform")
            << QString(TwoArticlesFile).replace(QStringLiteral("\r\n0\r\n"), QStringLiteral("\r\n42\r\n"))
            << -1 << refused;
        QTest::newRow("no task name")
            << QString(TwoArticlesFile).replace(QStringLiteral("\r\nblog\r\n"), CrLf + CrLf) << -1 << refused;
        QTest::newRow("not a task file") << QStringLiteral("[section]\r\nkey=value\r\n") << -1 << refused;
        QTest::newRow("archive line without a day")
            << QString(TwoArticlesFile)
                   .replace(QStringLiteral("False\r\n"), QStringLiteral("False\r\nArchive=soon\r\n"))
            << -1 << refused;
        // A task file from elsewhere must not lead the program out of its folder.
        for (const QString& name :
             {QStringLiteral(".."), QStringLiteral("../up"), QStringLiteral("."), QString(300, u'长')}) {
            QTest::newRow(qPrintable(QStringLiteral("task name ") + name.left(5)))
                << QString(TwoArticlesFile).replace(QStringLiteral("\r\nblog\r\n"), CrLf + name + CrLf) << -1
                << QStringLiteral("导入失败：") + Model::TaskNameRefusal(name);
        }
        QTest::newRow("empty") << QString() << -1 << refused;
    }
    void damagedFiles()
    {
        QFETCH(QString, text);
        QFETCH(int, rows);
        QFETCH(QString, status);
        TestRun run;
        run.state->task.TaskName = QStringLiteral("current");
        run.state->addArticleRow(QStringLiteral("kept"), QString(), QString(), QString());
        WriteBytes(run.path(QStringLiteral("t.ini")), Text::EncodeLocal(text));
        TestSupport::Wait(Model::ImportTaskList(*run.state, run.path(QStringLiteral("t.ini"))));
        QCOMPARE(run.ui.status(), status);
        if (rows < 0) {
            QCOMPARE(run.state->articles.articleCount(), 1);
            QCOMPARE(run.state->task.TaskName, QStringLiteral("current"));
            QVERIFY(run.ui.commandStates.isEmpty());
        } else {
            QCOMPARE(run.state->articles.articleCount(), rows);
            QCOMPARE(run.state->articles.title(1), QStringLiteral("标题一"));
        }
    }

    void importWaitsForASearch()
    {
        TestRun run;
        WriteBytes(run.path(QStringLiteral("t.ini")), Text::EncodeLocal(TwoArticlesFile));
        run.state->discoveryRunning = true;
        TestSupport::Wait(Model::ImportTaskList(*run.state, run.path(QStringLiteral("t.ini"))));
        QCOMPARE(run.ui.status(), QStringLiteral("正在查找或下载文章，请完成后再导入"));
        QCOMPARE(run.state->articles.articleCount(), 0);
        // No file chosen: nothing happens.
        run.state->discoveryRunning = false;
        TestSupport::Wait(Model::ImportTaskList(*run.state, QString()));
        QCOMPARE(run.ui.statusHistory.size(), 1);
    }

    void checkpointFile()
    {
        TestRun run;
        run.state->task = Model::BlogTask{QStringLiteral("凤凰博客"), 5, QString(), false, false};
        Model::WriteCheckpoint(*run.state, 7);
        QCOMPARE(ReadBytes(run.path(QStringLiteral("find.dat"))),
                 Text::EncodeLocal(QStringLiteral("<blog>5</blog><name>凤凰博客</name><page>7</page>\r\n")));
    }

    void checkpointNotOffered_data()
    {
        QTest::addColumn<QString>("findDat"); // empty: no file
        QTest::addColumn<bool>("asked");
        QTest::newRow("no checkpoint") << QString() << false;
        QTest::newRow("another task")
            << QStringLiteral("<blog>5</blog><name>other</name><page>2</page>") << false;
        QTest::newRow("another platform")
            << QStringLiteral("<blog>1</blog><name>feng</name><page>2</page>") << false;
        QTest::newRow("cut short") << QStringLiteral("<blog>5</blog><name>feng</name><pa") << false;
        QTest::newRow("page no number")
            << QStringLiteral("<blog>5</blog><name>feng</name><page>x</page>") << false;
        // Yes, but the task file is missing: the search starts afresh.
        QTest::newRow("no task file")
            << QStringLiteral("<blog>5</blog><name>feng</name><page>2</page>") << true;
    }
    void checkpointNotOffered()
    {
        QFETCH(QString, findDat);
        QFETCH(bool, asked);
        TestRun run;
        run.state->task = Model::BlogTask{QStringLiteral("feng"), 5, QString(), false, false};
        if (!findDat.isEmpty()) {
            Text::WriteTextFile(run.folder.path(), QStringLiteral("find.dat"), findDat);
        }
        const Model::CheckpointAnswer answer = TestSupport::Wait(Model::ReadCheckpoint(*run.state));
        QCOMPARE(answer.kind, Model::CheckpointAnswer::Kind::Nothing);
        QCOMPARE(answer.resumePage(), std::nullopt);
        QCOMPARE(run.ui.questions.size(), asked ? 1 : 0);
        QCOMPARE(QFile::exists(run.path(QStringLiteral("find.dat"))), !findDat.isEmpty());
        QCOMPARE(run.state->articles.articleCount(), 0);
    }

    void checkpointWithTheTaskFileOfAnotherPlatform()
    {
        TestRun run;
        // "feng.ini" was exported later by a task of the same name on Sina.
        Fill(*run.state, TwoArticles);
        run.state->task.TaskName = QStringLiteral("feng");
        Model::expini(*run.state);
        run.state->ResetArticleList();
        run.state->task =
            Model::BlogTask{QStringLiteral("feng"), 5, QStringLiteral("http://feng/"), false, false};
        Model::WriteCheckpoint(*run.state, 4);

        const Model::CheckpointAnswer answer = TestSupport::Wait(Model::ReadCheckpoint(*run.state));
        QCOMPARE(answer.kind, Model::CheckpointAnswer::Kind::Nothing);
        QCOMPARE(run.state->articles.articleCount(), 0);
        QCOMPARE(run.state->task.PlatformCode, 5);
        QCOMPARE(run.state->task.BlogAddress, QStringLiteral("http://feng/"));
    }
};

QTEST_GUILESS_MAIN(TestTaskFiles)
#include "test_taskfiles.moc"
