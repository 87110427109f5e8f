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

    // <archive> takes the automatic task's pages from a web archive: the newest captures or those
    // around a day from 1996 to today; anything else must stop the run rather than back up the live site.
    void archiveField_data()
    {
        QTest::addColumn<QString>("field"); // null: no such tag
        QTest::addColumn<bool>("fromArchive");
        QTest::addColumn<QString>("day");
        QTest::addColumn<bool>("problem");
        QTest::newRow("absent") << QString() << false << QString() << false;
        QTest::newRow("empty") << QStringLiteral("") << false << QString() << false;
        QTest::newRow("false") << QStringLiteral("False") << false << QString() << false;
        QTest::newRow("zero") << QStringLiteral("0") << false << QString() << false;
        QTest::newRow("newest") << QStringLiteral(" Newest ") << true << QString() << false;
        QTest::newRow("true") << QStringLiteral("True") << true << QString() << false;
        QTest::newRow("one") << QStringLiteral("1") << true << QString() << false;
        QTest::newRow("day") << QStringLiteral("20150601") << true << QStringLiteral("20150601") << false;
        QTest::newRow("day with dashes")
            << QStringLiteral("2015-06-01") << true << QStringLiteral("20150601") << false;
        QTest::newRow("today") << QStringLiteral("2026-12-10") << true << QStringLiteral("20261210") << false;
        QTest::newRow("before the archives")
            << QStringLiteral("19951231") << true << QStringLiteral("19951231") << true;
        QTest::newRow("to come") << QStringLiteral("20261211") << true << QStringLiteral("20261211") << true;
        QTest::newRow("no such day") << QStringLiteral("20150230") << true << QString() << true;
        QTest::newRow("word") << QStringLiteral("yesterday") << true << QString() << true;
        QTest::newRow("other number") << QStringLiteral("2") << true << QString() << true;
    }
    void archiveField()
    {
        QFETCH(QString, field);
        QFETCH(bool, fromArchive);
        QFETCH(QString, day);
        QFETCH(bool, problem);
        TestRun run;
        Text::WriteTextFile(run.folder.path(), QStringLiteral("auto.cfg"),
                            QStringLiteral("\r\n<blog>0</blog>") +
                                (field.isNull()
                                     ? QString()
                                     : QStringLiteral("<archive>") + field + QStringLiteral("</archive>")));
        const Model::ArchiveSetting setting =
            Model::AutoConfigArchive(run.folder.path(), QDate(2026, 12, 10));
        QCOMPARE(setting.problem.isEmpty(), !problem);
        QCOMPARE(setting.fromArchive, fromArchive);
        QCOMPARE(setting.day, day);
    }

    // A blog address is a web address; QQ zone, which finds a blog by its number alone, may go without.
    void blogAddressOfTheSettings()
    {
        QVERIFY(Model::BlogAddressProblem(Model::Qzone, QString()).isEmpty());
        QVERIFY(!Model::BlogAddressProblem(Model::Qzone, QStringLiteral("javascript:alert(1)")).isEmpty());
        QVERIFY(!Model::BlogAddressProblem(Model::Sina, QString()).isEmpty());
        QVERIFY(
            Model::BlogAddressProblem(Model::Sina, QStringLiteral("http://blog.sina.com.cn/u/1")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAutoConfig)
#include "test_autoconfig.moc"
