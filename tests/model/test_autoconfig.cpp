#include "model/autoconfig.h"
#include "support/testrun.h"
#include "text/textfiles.h"

#include <QTest>

class TestAutoConfig : public QObject
{
    Q_OBJECT

private slots:
    void fields_data()
    {
        QTest::addColumn<QString>("file"); // empty: no auto.cfg
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("automatic");
        QTest::newRow("no file") << QString() << QStringList{{}, {}, {}, {}, {}} << false;
        QTest::newRow("complete")
            << QStringLiteral(
                   "\r\n<blog>0</blog><name>卷轴</name><href>http://x/</href><pic>True</pic><cmt>0</cmt>")
            << QStringList{QStringLiteral("0"), QStringLiteral("卷轴"), QStringLiteral("http://x/"),
                           QStringLiteral("True"), QStringLiteral("0")}
            << true;
        // The first two bytes are never read: a file starting with the tag loses it.
        QTest::newRow("tag in the first bytes")
            << QStringLiteral("<blog>3</blog><name>n</name>")
            << QStringList{QStringLiteral("未找到"), QStringLiteral("n"), QStringLiteral("未找到"),
                           QStringLiteral("未找到"), QStringLiteral("未找到")}
            << true;
        QTest::newRow("empty platform: manual")
            << QStringLiteral("  <blog></blog><name>n</name>")
            << QStringList{QString(), QStringLiteral("n"), QStringLiteral("未找到"), QStringLiteral("未找到"),
                           QStringLiteral("未找到")}
            << false;
    }
    void fields()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, fields);
        QFETCH(bool, automatic);
        TestRun run;
        if (!file.isEmpty()) {
            Text::WriteTextFile(run.folder.path(), QStringLiteral("auto.cfg"), file);
        }
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(run.state->readAutoConfigField(i), fields.at(i));
        }
        QCOMPARE(run.state->readAutoConfigField(5), QString());
        QCOMPARE(run.state->automaticMode(), automatic);
        // In automatic mode the buttons keep the states automatic mode gave them.
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
