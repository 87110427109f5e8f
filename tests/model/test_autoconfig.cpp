#include "model/autoconfig.h"
#include "support/testrun.h"
#include "text/charset.h"
#include "text/textfiles.h"

#include <QFile>

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

    // auto.cfg as users save it: UTF-8 (with or without a byte order mark) or the code page; the first two
    // bytes are never read unless a tag starts there, a byte order mark stands in their place.
    void readsTheFileInTheEncodingItWasSavedIn_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        const QString lines = QStringLiteral("\r\n<blog>0</blog><name>备份</name>");
        QTest::newRow("code page") << Text::EncodeLocal(lines) << QStringLiteral("备份");
        QTest::newRow("utf-8") << lines.toUtf8() << QStringLiteral("备份");
        QTest::newRow("utf-8 with mark")
            << QByteArray("\xEF\xBB\xBF") + lines.toUtf8() << QStringLiteral("备份");
        QTest::newRow("utf-8 with mark, no break")
            << QByteArray("\xEF\xBB\xBF") + lines.mid(2).toUtf8() << QStringLiteral("备份");
        // A Linux line break is one byte, and a file may begin with its first tag.
        QTest::newRow("line feed") << lines.mid(1).toUtf8() << QStringLiteral("备份");
        QTest::newRow("no break") << Text::EncodeLocal(lines.mid(2)) << QStringLiteral("备份");
        QTest::newRow("two other bytes") << QByteArray("xy") + lines.mid(2).toUtf8() << QStringLiteral("备份");
        // Valid UTF-8 only in part: the code page.
        QTest::newRow("code page after utf-8")
            << lines.toUtf8() + Text::EncodeLocal(QStringLiteral("<pic>真</pic>"))
            << QStringLiteral("澶囦唤");
        // Only the first 64 KB are read.
        QTest::newRow("beyond the start")
            << QByteArray(64 * 1024, ' ') + lines.toUtf8() << QStringLiteral("未找到");
    }
    void readsTheFileInTheEncodingItWasSavedIn()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        TestRun run;
        QFile file(run.path(QStringLiteral("auto.cfg")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QCOMPARE(Model::ReadAutoConfigField(run.folder.path(), 1), name);
        const bool found = name != QStringLiteral("未找到");
        QCOMPARE(Model::ReadAutoConfigField(run.folder.path(), 0), found ? QStringLiteral("0") : name);
    }

    // A blog address is a web address; QQ zone, which finds a blog by its number alone, may go without.
    void blogAddressOfTheSettings()
    {
        QVERIFY(Model::BlogAddressProblem(Model::Qzone, QString()).isEmpty());
        QVERIFY(!Model::BlogAddressProblem(Model::Qzone, QStringLiteral("javascript:alert(1)")).isEmpty());
        QVERIFY(!Model::BlogAddressProblem(Model::Sina, QString()).isEmpty());
        QVERIFY(Model::BlogAddressProblem(Model::Sina, QStringLiteral("http://blog.sina.com.cn/u/1")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAutoConfig)
#include "test_autoconfig.moc"
