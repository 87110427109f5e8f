// An unattended backup in the window: auto.cfg, the start-up question, discovery, download, images and
// comments, the index page shown, and the CHM packed without the full-text question.
#include "assets/assetfetcher.h"
#include "sinablog.h"
#include "support/files.h"
#include "ui/modalanswerer.h"
#include "windowrun.h"

#include <QFile>
#include <QPushButton>
#include <QTest>

class TestAutomaticWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void backsUpASinaBlogFromStartUpToChm()
    {
        WindowRun run(false);
        Assets::AssetFetcher fetcher(*run.state);
        const FakeWeb::SinaBlog blog({.articles = 12, .categories = 2, .images = 1, .comments = 3});
        blog.install(run.web);
        TestSupport::WriteAutoConfig(run.folder.path(),
                                     {QStringLiteral("0"), QStringLiteral("auto"), blog.firstPageAddress()});
        ModalAnswerer answerer;
        run.load();

        QTRY_COMPARE_WITH_TIMEOUT(run.state->ui.status(), QStringLiteral("打包CHM成功！"), 60000);
        // Only the start-up question was asked: no full-text question in automatic mode.
        QCOMPARE(answerer.texts.size(), 1);
        const QString chm = run.path(QStringLiteral("auto.chm"));
        QVERIFY(QFile::exists(chm));
        QVERIFY(run.shell.openedLocal.contains(run.path(QStringLiteral("auto/index.html"))));
        QVERIFY(run.shell.openedLocal.contains(chm));
        QCOMPARE(run.state->articles.articleCount(), 12);
        for (int row = 1; row <= 12; ++row) {
            QVERIFY(QFile::exists(run.state->articlePagePath(row)));
        }
        for (int job = 1; job <= run.state->assets.jobCount(); ++job) {
            QCOMPARE(run.state->assets.result(job), QStringLiteral("●"));
        }
        // The buttons the automatic start disabled stay disabled; only 目录 works.
        for (int number = 1; number <= 10; ++number) {
            auto* button = run.find<QPushButton>(QStringLiteral("Command") + QString::number(number));
            QCOMPARE(button->isEnabled(), number == 4);
        }
        // Packing is not started a second time.
        QTest::qWait(2500);
        QCOMPARE(run.state->ui.status(), QStringLiteral("打包CHM成功！"));
    }
};

QTEST_MAIN(TestAutomaticWindow)
#include "test_automaticwindow.moc"
