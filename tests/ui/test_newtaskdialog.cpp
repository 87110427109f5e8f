#include "sinablog.h"
#include "support/files.h"
#include "support/foundrows.h"
#include "ui/commandrunner.h"
#include "ui/commands.h"
#include "ui/modalanswerer.h"
#include "ui/newtaskdialog.h"
#include "ui/platformchoices.h"
#include "ui/sinalogout.h"
#include "ui/windowrun.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkCookie>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <qcorotimer.h>

namespace {

struct Dialog
{
    Ui::NewTaskDialog dialog;
    QComboBox* platforms;
    QLineEdit* name;
    QLineEdit* address;
    QCheckBox* images;
    QCheckBox* comments;

    explicit Dialog(bool automaticMode = false)
        : dialog(automaticMode), platforms(dialog.findChild<QComboBox*>(QStringLiteral("Combo1"))),
          name(dialog.findChild<QLineEdit*>(QStringLiteral("Text1"))),
          address(dialog.findChild<QLineEdit*>(QStringLiteral("Text2"))),
          images(dialog.findChild<QCheckBox*>(QStringLiteral("Check1"))),
          comments(dialog.findChild<QCheckBox*>(QStringLiteral("Check2")))
    {
        dialog.show();
    }
    void type(const QString& text)
    {
        name->clear();
        QTest::keyClicks(name, text);
    }
    QString hint() const { return dialog.findChild<QLabel*>(QStringLiteral("Label3"))->text(); }
};

QNetworkCookie Cookie(const QByteArray& name, const QString& domain)
{
    QNetworkCookie cookie(name, "1");
    cookie.setDomain(domain);
    cookie.setPath(QStringLiteral("/"));
    return cookie;
}

// A command that runs until told to end (a coroutine of its own: a lambda's captures die with it).
QCoro::Task<> WaitFor(const bool* release)
{
    while (!*release) {
        co_await QCoro::sleepFor(std::chrono::milliseconds(20));
    }
}

} // namespace

class TestNewTaskDialog : public QObject
{
    Q_OBJECT

private slots:
    void offersTheSeventeenPlatforms()
    {
        Dialog d;
        const QStringList items{"新浪",          "百度",          "和讯",   "网易",  "搜狐", "凤凰",
                                "QQ空间",        "39健康",        "天涯",   "摇篮",  "CSDN", "ChinaUnix",
                                "中国教育平台1", "中国教育平台2", "博客园", "天涯2", "51cto"};
        QCOMPARE(d.platforms->count(), 17);
        for (int i = 0; i < items.size(); ++i) {
            QCOMPARE(d.platforms->itemText(i), items.at(i));
        }
        QCOMPARE(d.platforms->currentIndex(), -1);
        QCOMPARE(d.platforms->placeholderText(), QStringLiteral("请选择"));
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("新增"));
    }

    void automaticModeOffersOnlySina()
    {
        Dialog d(true);
        QCOMPARE(d.platforms->count(), 1);
        QCOMPARE(d.platforms->currentText(), QStringLiteral("新浪"));
        QCOMPARE(d.dialog.platform(), 0);
        // Only the item is set: no example values, no hint, the switches as they start.
        QVERIFY(d.name->text().isEmpty());
        QVERIFY(d.address->text().isEmpty());
        QVERIFY(d.address->isEnabled());
        QVERIFY(d.hint().isEmpty());
        QVERIFY(d.images->isChecked());
        QVERIFY(d.comments->isEnabled() && !d.comments->isChecked());
        // The name still follows the item's rule, and OK hands over a Sina task.
        QSignalSpy requested(&d.dialog, &Ui::NewTaskDialog::taskRequested);
        d.type(QStringLiteral("a/b"));
        QCOMPARE(d.name->text(), QStringLiteral("a_b"));
        d.address->setText(QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html"));
        QTest::keyClick(d.name, Qt::Key_Return);
        QCOMPARE(requested.count(), 1);
        const auto task = requested.first().first().value<Ui::NewTask>();
        QCOMPARE(task.platform, 0);
        QCOMPARE(task.address, QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html"));
    }

    // Every choice writes its own address, also when the name box already holds the example name
    // (天涯 and ChinaUnix share one) or a name the user typed.
    void addressFollowsEveryPlatformChoice()
    {
        Dialog d;
        QSignalSpy requested(&d.dialog, &Ui::NewTaskDialog::taskRequested);
        d.dialog.choosePlatform(8);
        QCOMPARE(d.address->text(), Ui::GeneratedAddress(8, d.name->text()));
        d.dialog.choosePlatform(11);
        QCOMPARE(d.address->text(), Ui::GeneratedAddress(11, d.name->text()));
        d.dialog.choosePlatform(8);
        QCOMPARE(d.address->text(), Ui::GeneratedAddress(8, d.name->text()));
        // From a typed address to a built one and back.
        d.dialog.choosePlatform(5);
        QVERIFY(d.address->text().startsWith(QStringLiteral("http://blog.ifeng.com/")));
        d.dialog.choosePlatform(11);
        QCOMPARE(d.address->text(), Ui::GeneratedAddress(11, d.name->text()));
        d.type(QStringLiteral("42"));
        d.dialog.choosePlatform(8);
        QTest::keyClick(d.name, Qt::Key_Return);
        const auto task = requested.first().first().value<Ui::NewTask>();
        QCOMPARE(task.platform, 8);
        QCOMPARE(task.address,
                 QStringLiteral("http://blog.tianya.cn/blogger/blog_main.asp?BlogID=") + task.name);
    }

    void addressFollowsTheName_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("address");
        QTest::newRow("百度") << 1 << "http://hi.baidu.com/ab_c/blog";
        QTest::newRow("和讯") << 2 << "http://ab_c.blog.hexun.com";
        QTest::newRow("网易") << 3 << "http://ab_c.blog.163.com/blog/";
        QTest::newRow("搜狐") << 4 << "http://ab_c.blog.sohu.com/entry/";
        QTest::newRow("QQ空间") << 6 << "http://user.qzone.qq.com/ab_c/blog";
        QTest::newRow("39健康") << 7 << "http://blog.39.net/ab_c/ArticleList_0_1.html";
        QTest::newRow("天涯") << 8 << "http://blog.tianya.cn/blogger/blog_main.asp?BlogID=ab_c";
        QTest::newRow("摇篮") << 9 << "http://space.yaolan.com/ab_c/blog/list";
        QTest::newRow("CSDN") << 10 << "http://blog.csdn.net/ab_c/article/list";
        QTest::newRow("ChinaUnix") << 11 << "http://blog.chinaunix.net/space.php?uid=ab_c&page=1";
        QTest::newRow("中国教育平台1") << 12 << "http://blog.cersp.com/index/ab_c.jspx";
        QTest::newRow("博客园") << 14 << "http://www.cnblogs.com/ab_c";
        QTest::newRow("天涯2") << 15 << "http://ab_c.blog.tianya.cn";
        QTest::newRow("51cto") << 16 << "http://ab_c.blog.51cto.com";
    }
    void addressFollowsTheName()
    {
        QFETCH(int, code);
        QFETCH(QString, address);
        Dialog d;
        d.dialog.choosePlatform(code);
        QVERIFY(!d.address->isEnabled());
        QVERIFY(!d.address->text().isEmpty()); // built from the example name
        d.type(QStringLiteral("ab_c"));
        QCOMPARE(d.address->text(), address);
        QCOMPARE(d.name->text(), QStringLiteral("ab_c"));
    }

    void typedNamesBecomeFolderNames_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("新浪") << 0;
        QTest::newRow("凤凰") << 5;
        QTest::newRow("中国教育平台2") << 13;
    }
    void typedNamesBecomeFolderNames()
    {
        QFETCH(int, code);
        Dialog d;
        d.dialog.choosePlatform(code);
        QVERIFY(d.address->isEnabled());
        QVERIFY(d.address->text().startsWith(QStringLiteral("http://")));
        QCOMPARE(d.dialog.findChild<QLabel*>(QStringLiteral("Label2"))->palette().color(QPalette::WindowText),
                 QColor(255, 0, 0));
        const QString example = d.address->text();
        d.type(QStringLiteral("my/blog?2 x"));
        QCOMPARE(d.name->text(), QStringLiteral("my_blog_2-x"));
        QCOMPARE(d.address->text(), example); // the typed address is left alone
    }

    void portalAddressPointsToTheEblogHost()
    {
        Dialog d;
        d.dialog.choosePlatform(13);
        d.address->setText(QStringLiteral("http://www.cersp.com/userlog3/45/index.shtml"));
        QCOMPARE(d.address->text(), QStringLiteral("http://eblog.cersp.com/userlog3/45/index.shtml"));
        d.dialog.choosePlatform(0);
        d.address->setText(QStringLiteral("http://www.cersp.com/x"));
        QCOMPARE(d.address->text(), QStringLiteral("http://www.cersp.com/x"));
    }

    void switchesAndHintsFollowThePlatform()
    {
        Dialog d;
        d.dialog.choosePlatform(0);
        QVERIFY(d.comments->isEnabled() && d.comments->isChecked());
        QCOMPARE(d.hint(), QStringLiteral("请输入名称与地址，名称可以随意，地址就是填 “博文目录” 的链接\n"
                                          "下载时会自动退出登录新浪，下载完后请重新登录。"));
        // 百度 disables the comments switch but keeps it on.
        d.images->setChecked(false);
        d.dialog.choosePlatform(1);
        QVERIFY(!d.comments->isEnabled() && d.comments->isChecked());
        QVERIFY(d.images->isEnabled() && d.images->isChecked());
        QCOMPARE(d.hint(), QStringLiteral("地址不需输入，会自动生成"));
        // 天涯 turns it off.
        d.dialog.choosePlatform(8);
        QVERIFY(!d.comments->isEnabled() && !d.comments->isChecked());
        QCOMPARE(d.hint(), QStringLiteral("名称就是填ID，地址不需输入，会自动生成,天涯的图片有防盗链,"
                                          "评论目前只下一页，且是强制的"));
        QVERIFY(d.name->hasSelectedText());
        QCOMPARE(d.name->selectedText(), d.name->text());
    }

    void aSwitchKeptOnForAnotherPlatformFetchesNoComments()
    {
        Dialog d;
        QSignalSpy requested(&d.dialog, &Ui::NewTaskDialog::taskRequested);
        d.dialog.choosePlatform(0);
        d.dialog.choosePlatform(1);
        QVERIFY(d.comments->isChecked());
        d.type(QStringLiteral("someone"));
        QTest::keyClick(d.name, Qt::Key_Return);
        QCOMPARE(requested.count(), 1);
        QVERIFY(!requested.first().first().value<Ui::NewTask>().fetchComments);
    }

    void okWithoutAPlatformAsksForCorrectInput()
    {
        Dialog d;
        QSignalSpy requested(&d.dialog, &Ui::NewTaskDialog::taskRequested);
        ModalAnswerer answerer;
        d.name->setFocus();
        QTest::keyClick(d.name, Qt::Key_Return);
        QTRY_COMPARE(answerer.texts, QStringList{QStringLiteral("请输入正确信息")});
        QTest::mouseClick(d.dialog.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QTRY_COMPARE(answerer.texts.size(), 2);
        QVERIFY(d.dialog.isVisible());
        QCOMPARE(requested.count(), 0);
    }

    // The pages come from the live site unless the user picks a web archive; the day of its captures
    // may be left empty (the newest), a day that is none, before 1996 or still to come is refused.
    void archiveSourceWithAnOptionalDay()
    {
        Dialog d;
        QSignalSpy requested(&d.dialog, &Ui::NewTaskDialog::taskRequested);
        auto* source = d.dialog.findChild<QComboBox*>(QStringLiteral("Source"));
        auto* day = d.dialog.findChild<QLineEdit*>(QStringLiteral("ArchiveDate"));
        QCOMPARE(source->currentText(), QStringLiteral("网站"));
        QCOMPARE(source->itemText(1), QStringLiteral("网页存档（已关闭的博客）"));
        QVERIFY(!day->isEnabled());
        d.dialog.choosePlatform(14);
        // A day left in the field means nothing for the live site.
        day->setText(QStringLiteral("1990-01-01"));
        d.dialog.accept();
        auto task = requested.takeFirst().first().value<Ui::NewTask>();
        QVERIFY(!task.fromArchive);
        QVERIFY(task.archiveDate.isEmpty());

        const auto handedOver = [&](const QString& typed) {
            d.dialog.show();
            day->setText(typed);
            d.dialog.accept();
            return requested.isEmpty() ? Ui::NewTask{} : requested.takeFirst().first().value<Ui::NewTask>();
        };
        source->setCurrentIndex(1);
        QVERIFY(day->isEnabled());
        task = handedOver(QString());
        QVERIFY(task.fromArchive);
        QVERIFY(task.archiveDate.isEmpty());
        QCOMPARE(handedOver(QStringLiteral("2015-06-01")).archiveDate, QStringLiteral("20150601"));
        QCOMPARE(handedOver(QStringLiteral(" 19960101 ")).archiveDate, QStringLiteral("19960101"));
        QCOMPARE(handedOver(QDate::currentDate().toString(Qt::ISODate)).archiveDate,
                 QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));

        ModalAnswerer answerer;
        const QStringList refused{
            QStringLiteral("1995-12-31"), QDate::currentDate().addDays(1).toString(Qt::ISODate),
            QStringLiteral("2015-02-30"), QStringLiteral("2015-0601"), QStringLiteral("June 2015")};
        for (const QString& typed : refused) {
            handedOver(typed);
            QVERIFY2(d.dialog.isVisible(), qPrintable(typed));
        }
        QCOMPARE(requested.count(), 0);
        QCOMPARE(answerer.texts.size(), refused.size());
        QVERIFY(answerer.texts.at(0).contains(QStringLiteral("1996")));
        QVERIFY(answerer.texts.at(1).contains(QStringLiteral("还没到")));
        QVERIFY(answerer.texts.at(2).contains(QStringLiteral("YYYY-MM-DD")));
    }

    void enterHandsTheTaskOverAndCancelChangesNothing()
    {
        Dialog d;
        QSignalSpy requested(&d.dialog, &Ui::NewTaskDialog::taskRequested);
        d.dialog.choosePlatform(14);
        d.type(QStringLiteral("someone"));
        QTest::keyClick(d.name, Qt::Key_Return);
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(requested.count(), 1);
        const auto task = requested.first().first().value<Ui::NewTask>();
        QCOMPARE(task.platform, 14);
        QCOMPARE(task.name, QStringLiteral("someone"));
        QCOMPARE(task.address, QStringLiteral("http://www.cnblogs.com/someone"));
        QVERIFY(task.fetchImages);
        QVERIFY(!task.fetchComments);

        d.dialog.show();
        QCOMPARE(d.name->text(), QStringLiteral("someone")); // the fields stay
        QTest::mouseClick(d.dialog.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(requested.count(), 1);
    }

    void newTaskButtonStartsTheTaskThroughTheDialog()
    {
        WindowRun run;
        QTest::mouseClick(run.find<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
        Ui::NewTaskDialog* dialog = run.window->commands().newTaskDialog();
        QVERIFY(dialog != nullptr && dialog->isVisible());
        dialog->choosePlatform(2);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("Text1"));
        name->clear();
        QTest::keyClicks(name, QStringLiteral("hexun1"));
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(run.state->task.PlatformCode, 2);
        QCOMPARE(run.state->task.TaskName, QStringLiteral("hexun1"));
        QCOMPARE(run.state->task.BlogAddress, QStringLiteral("http://hexun1.blog.hexun.com"));
        QVERIFY(run.state->task.FetchImages);
        auto* runner = run.window->findChild<Ui::CommandRunner*>();
        QTRY_VERIFY_WITH_TIMEOUT(!runner->isRunning(Ui::Command::Discovery), 15000);

        QCOMPARE(run.window->windowTitle(), QStringLiteral("hexun1 - qvlrx卷轴匣(博客备份工具)"));

        // Shown again, the dialog is the same one with its fields.
        QTest::mouseClick(run.find<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(run.window->commands().newTaskDialog(), dialog);
        QCOMPARE(name->text(), QStringLiteral("hexun1"));

        // A task from a web archive carries its day, and the title says where its pages come from (the
        // archive a closed port here, so nothing leaves the machine).
        qputenv("QVLRX_ARCHIVE", "http://127.0.0.1:9");
        dialog->findChild<QComboBox*>(QStringLiteral("Source"))->setCurrentIndex(1);
        dialog->findChild<QLineEdit*>(QStringLiteral("ArchiveDate"))->setText(QStringLiteral("2015-06-01"));
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QVERIFY(run.state->task.FromArchive);
        QCOMPARE(run.state->task.ArchiveDate, QStringLiteral("20150601"));
        QCOMPARE(run.window->windowTitle(),
                 QStringLiteral("hexun1（网页存档 2015-06-01） - qvlrx卷轴匣(博客备份工具)"));
        QTRY_VERIFY_WITH_TIMEOUT(!runner->isRunning(Ui::Command::Discovery), 15000);
        qunsetenv("QVLRX_ARCHIVE");
    }

    void sinaTaskFillsTheArticleGrid()
    {
        WindowRun run;
        const FakeWeb::SinaBlog blog({.articles = 60, .categories = 3});
        blog.install(run.web);

        QTest::mouseClick(run.find<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
        Ui::NewTaskDialog* dialog = run.window->commands().newTaskDialog();
        dialog->choosePlatform(0);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("Text1"));
        name->clear();
        QTest::keyClicks(name, QStringLiteral("sina/test"));
        auto* address = dialog->findChild<QLineEdit*>(QStringLiteral("Text2"));
        address->setText(blog.firstPageAddress());
        QTest::keyClick(name, Qt::Key_Return);

        auto* runner = run.window->findChild<Ui::CommandRunner*>();
        QTRY_VERIFY_WITH_TIMEOUT(!runner->isRunning(Ui::Command::Discovery), 60000);
        QCOMPARE(run.state->task.TaskName, QStringLiteral("sina_test"));
        QCOMPARE(
            run.state->ui.status(),
            QStringLiteral("文章寻找完成，找到60篇（博客显示60篇），按“下载”开始下载，或者保存本次任务"));
        const QList<FakeWeb::PageKit::ListedArticle> expected = blog.expectedRows();
        const Model::ArticleList& list = run.state->articles;
        QCOMPARE(FoundRows::Of(*run.state), FoundRows::Of(expected));
        // The grid shows the rows, and 下载 is ready.
        auto* grid = run.find<QTableView>(QStringLiteral("msh"));
        QCOMPARE(grid->model()->rowCount(), list.articleCount() + 1);
        QCOMPARE(grid->model()->index(0, 1).data().toString(), expected.first().title);
        QVERIFY(run.find<QPushButton>(QStringLiteral("Command2"))->isEnabled());
    }

    // While the book of the task on hand is made, a new task (or an imported one) waits: it would take
    // the list and the folder's lock from under the book.
    void aNewTaskWaitsForTheTaskOnHand()
    {
        WindowRun run;
        auto* runner = run.window->findChild<Ui::CommandRunner*>();
        bool release = false;
        runner->run(Ui::Command::PackEpub, [&release] { return WaitFor(&release); });
        run.window->commands().startTask({.platform = 14,
                                          .name = QStringLiteral("a"),
                                          .address = QStringLiteral("http://www.cnblogs.com/a")});
        QVERIFY(!runner->isRunning(Ui::Command::Discovery));
        QVERIFY(run.state->ui.status().contains(QStringLiteral("请等它结束")));
        run.window->commands().importFile(run.state->pathInProgramFolder(QStringLiteral("a.ini")));
        QVERIFY(!runner->isRunning(Ui::Command::Import));
        release = true;
        QTRY_VERIFY(!runner->anyRunning());
    }

    void sinaTaskForgetsTheSinaCookies()
    {
        QVERIFY(Ui::IsSinaCookieDomain(QStringLiteral(".sina.com.cn")));
        QVERIFY(Ui::IsSinaCookieDomain(QStringLiteral("login.sina.com.cn")));
        QVERIFY(Ui::IsSinaCookieDomain(QStringLiteral("simg.sinajs.cn")));
        QVERIFY(!Ui::IsSinaCookieDomain(QStringLiteral("notsina.com.cn")));
        QVERIFY(!Ui::IsSinaCookieDomain(QStringLiteral("sina.com.cn.example.org")));

        WindowRun run;
        auto* jar = new Ui::SessionCookieJar;
        run.network.setCookieJar(jar);
        jar->insertCookie(Cookie("SUP", QStringLiteral(".sina.com.cn")));
        jar->insertCookie(Cookie("SUB", QStringLiteral("blog.sina.com.cn")));
        jar->insertCookie(Cookie("U", QStringLiteral(".sinajs.cn")));
        jar->insertCookie(Cookie("keep", QStringLiteral("www.cnblogs.com")));
        QCOMPARE(jar->cookieCount(), 4);

        // Another platform leaves the cookies alone.
        run.window->commands().startTask({.platform = 14,
                                          .name = QStringLiteral("a"),
                                          .address = QStringLiteral("http://www.cnblogs.com/a")});
        QCOMPARE(jar->cookieCount(), 4);
        auto* runner = run.window->findChild<Ui::CommandRunner*>();
        QTRY_VERIFY_WITH_TIMEOUT(!runner->isRunning(Ui::Command::Discovery), 15000);

        run.window->commands().startTask(
            {.platform = 0,
             .name = QStringLiteral("s"),
             .address = QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html")});
        QCOMPARE(jar->cookieCount(), 1);
        QVERIFY(jar->cookiesForUrl(QUrl(QStringLiteral("http://blog.sina.com.cn/"))).isEmpty());
        QCOMPARE(jar->cookiesForUrl(QUrl(QStringLiteral("http://www.cnblogs.com/"))).size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!runner->isRunning(Ui::Command::Discovery), 15000);

        // A jar of another kind is replaced by an empty one.
        run.network.setCookieJar(new QNetworkCookieJar);
        Ui::LogOutOfSina(run.network);
        auto* fresh = qobject_cast<Ui::SessionCookieJar*>(run.network.cookieJar());
        QVERIFY(fresh != nullptr);
        QCOMPARE(fresh->cookieCount(), 0);

        // The dialog hands over the cookie file chosen, until the user drops it again.
        Dialog d;
        QSignalSpy requested(&d.dialog, &Ui::NewTaskDialog::taskRequested);
        const QString cookies = run.folder.filePath(QStringLiteral("cookies.txt"));
        d.dialog.setCookieFile(cookies);
        QCOMPARE(d.dialog.findChild<QLabel*>(QStringLiteral("CookieLabel"))->text(),
                 QStringLiteral("cookies.txt"));
        d.dialog.choosePlatform(0);
        d.dialog.accept();
        const auto chosen = requested.takeFirst().first().value<Ui::NewTask>();
        QCOMPARE(chosen.cookieFile, cookies);
        d.dialog.show();
        d.dialog.findChild<QPushButton*>(QStringLiteral("DropCookies"))->click();
        d.dialog.accept();
        QVERIFY(requested.takeFirst().first().value<Ui::NewTask>().cookieFile.isEmpty());

        // A Sina task with the user's cookie file keeps the user's login and says so; a file that cannot
        // be read starts nothing; the next Sina task without one logs out of Sina as ever.
        Ui::NewTask login = chosen;
        login.cookieFile = run.folder.filePath(QStringLiteral("missing.txt"));
        run.window->commands().startTask(login);
        QVERIFY2(run.state->ui.status().endsWith(QStringLiteral("missing.txt，任务没有开始")),
                 qPrintable(run.state->ui.status()));
        QVERIFY(!runner->isRunning(Ui::Command::Discovery));
        TestSupport::WriteBytes(cookies, "#HttpOnly_.sina.com.cn\tTRUE\t/\tFALSE\t0\tSUP\tme\r\n");
        run.window->commands().startTask(chosen);
        QCOMPARE(run.state->ui.status(),
                 QStringLiteral("使用你的登录：登录Cookie文件cookies.txt，1个Cookie，不退出登录"));
        QCOMPARE(
            run.network.cookieJar()->cookiesForUrl(QUrl(QStringLiteral("http://blog.sina.com.cn/"))).size(),
            1);
        QTRY_VERIFY_WITH_TIMEOUT(!runner->isRunning(Ui::Command::Discovery), 15000);
        run.window->commands().startTask(
            {.platform = 0,
             .name = QStringLiteral("s"),
             .address = QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_1.html")});
        QVERIFY(run.network.cookieJar()
                    ->cookiesForUrl(QUrl(QStringLiteral("http://blog.sina.com.cn/")))
                    .isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!runner->isRunning(Ui::Command::Discovery), 15000);
    }
};

QTEST_MAIN(TestNewTaskDialog)
#include "test_newtaskdialog.moc"
