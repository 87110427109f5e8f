#include "model/autoconfig.h"
#include "support/testrun.h"
#include "text/textfiles.h"

#include <QTest>

class TestAutoConfig : public QObject
{
    Q_OBJECT

private slots:
    // Automatic mode is on when auto.cfg names a platform, and then the buttons keep their states.
    void automaticMode_data()
    {
        QTest::addColumn<QString>("file"); // empty: no auto.cfg
        QTest::addColumn<bool>("automatic");
        QTest::newRow("no file") << QString() << false;
        QTest::newRow("platform") << QStringLiteral("\r\n<blog>0</blog><name>n</name>") << true;
        // The first two bytes are never read: the tag is lost, the field reads "未找到".
        QTest::newRow("tag in the first bytes") << QStringLiteral("<blog>3</blog>") << true;
        QTest::newRow("empty platform") << QStringLiteral("  <blog></blog><name>n</name>") << false;
    }
    void automaticMode()
    {
        QFETCH(QString, file);
        QFETCH(bool, automatic);
        TestRun run;
        if (!file.isEmpty()) {
            Text::WriteTextFile(run.folder.path(), QStringLiteral("auto.cfg"), file);
        }
        QCOMPARE(run.state->automaticMode(), automatic);
        run.state->SetCommandStates(true, false, false, true, false, true);
        QCOMPARE(run.ui.commandStates.size(), automatic ? 0 : 1);
    }

    void automaticPlatformCode_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("code"); // -1: none
        QTest::newRow("sina") << QStringLiteral("0") << 0;
        QTest::newRow("51cto") << QStringLiteral(" 16 ") << 16;
        QTest::newRow("beyond") << QStringLiteral("17") << -1;
        QTest::newRow("negative") << QStringLiteral("-1") << -1;
        QTest::newRow("word") << QStringLiteral("sina") << -1;
        QTest::newRow("tags missing") << QString() << -1;
    }
    void automaticPlatformCode()
    {
        QFETCH(QString, field);
        QFETCH(int, code);
        TestRun run;
        Text::WriteTextFile(run.folder.path(), QStringLiteral("auto.cfg"),
                            field.isNull()
                                ? QStringLiteral("\r\n<name>n</name>")
                                : QStringLiteral("\r\n<blog>") + field + QStringLiteral("</blog>"));
        const std::optional<int> got = Model::AutomaticPlatformCode(run.folder.path());
        QCOMPARE(got, code < 0 ? std::nullopt : std::optional<int>(code));
    }
};

QTEST_GUILESS_MAIN(TestAutoConfig)
#include "test_autoconfig.moc"
