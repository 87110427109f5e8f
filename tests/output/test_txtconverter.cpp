#include "output/txtconverter.h"
#include "support/files.h"
#include "support/testrun.h"
#include "taskfixture.h"
#include "text/charset.h"

#include <QCoro/QCoroTask>

#include <QElapsedTimer>
#include <QTest>

using namespace Output;

using TestSupport::ReadBytes;

class TestTxtConverter : public QObject
{
    Q_OBJECT

private slots:
    void scanner_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("title runs into the text")
            << QByteArray("<title>T</title>\r\n<font>A</font><BR>B</P>\r\n") << QByteArray("TA\r\nB\r\n");
        QTest::newRow("the character set leaves no trace")
            << QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb18030\">\r\n"
                          "<title>T</title>\r\nA")
            << QByteArray("TA");
        QTest::newRow("closing head drops what came before")
            << QByteArray("<html><head><title>X</title></head><body>Y<br>Z</body>\r\n")
            << QByteArray("Y\r\nZ");
        QTest::newRow("script and style are left out")
            << QByteArray("<p>a<script>var x='<b>';</script>b<style>.c{}</style>c</p>\r\n")
            << QByteArray("abc\r\n");
        QTest::newRow("only </P> and <BR> break lines")
            << QByteArray("<p>1<br/>2<br >3<P>4<Br>5</p>\r\n") << QByteArray("1234\r\n5\r\n");
        QTest::newRow("text before the first > is dropped") << QByteArray("abc>def") << QByteArray("def");
        QTest::newRow("a tag at the very end is not looked into") << QByteArray("x>a</P>") << QByteArray("a");
        QTest::newRow("unclosed tag") << QByteArray("<p>text<b") << QByteArray("text");
        QTest::newRow("empty page") << QByteArray() << QByteArray();
    }
    void scanner()
    {
        QFETCH(QByteArray, page);
        QFETCH(QByteArray, text);
        QCOMPARE(ScanPageBytes(page), text);
    }

    void references_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("every occurrence") << QStringLiteral("&#20013;国&#20013;") << QStringLiteral("中国中");
        QTest::newRow("hexadecimal") << QStringLiteral("&#x4E2D;&#X4e2d;") << QStringLiteral("中中");
        QTest::newRow("above 65535") << QStringLiteral("a&#128512;b&#x1F600;") << QStringLiteral("a😀b😀");
        QTest::newRow("no semicolon stays, the rest converts")
            << QStringLiteral("&#12 und &#20013;") << QStringLiteral("&#12 und 中");
        QTest::newRow("not a character stays") << QStringLiteral("&#99999999;&#0;&#xD800;&#;&#x;&#20013;")
                                               << QStringLiteral("&#99999999;&#0;&#xD800;&#;&#x;中");
        QTest::newRow("decoded text is not decoded again")
            << QStringLiteral("&#38;#20013;") << QStringLiteral("&#20013;");
        QTest::newRow("named entities stay") << QStringLiteral("&lt;&amp;") << QStringLiteral("&lt;&amp;");
        QTest::newRow("at the very end") << QStringLiteral("x&#") << QStringLiteral("x&#");
    }
    void references()
    {
        QFETCH(QString, text);
        QFETCH(QString, decoded);
        QCOMPARE(DecodeNumericEntities(text), decoded);
    }

    void pageToTextFile()
    {
        TestRun run;
        const QString page = run.path(QStringLiteral("p.html"));
        TaskFixture::WriteBytes(
            page, Text::EncodeLocal(QStringLiteral("<b>中文&nbsp;&#20013;&lt;</b><br>第二行</P>\r\n")));
        const QString text = ConvertPageToText(page, run.path(QStringLiteral("p.txt")));
        QCOMPARE(text, QStringLiteral("中文中&lt;\r\n第二行\r\n"));
        QCOMPARE(ReadBytes(run.path(QStringLiteral("p.txt"))),
                 Text::EncodeLocal(text + QStringLiteral("\r\n")));

        QCOMPARE(
            ConvertPageToText(run.path(QStringLiteral("missing.html")), run.path(QStringLiteral("m.txt"))),
            QString());
        QVERIFY(!QFile::exists(run.path(QStringLiteral("m.txt"))));
    }

    void largePage()
    {
        TestRun run;
        const QByteArray piece =
            Text::EncodeLocal(QStringLiteral("<p>中文&#20013;&#x4E2D;&#12 text</p><br>"));
        const QByteArray page = piece.repeated(10 * 1024 * 1024 / piece.size());
        TaskFixture::WriteBytes(run.path(QStringLiteral("big.html")), page);
        QElapsedTimer clock;
        clock.start();
        const QString text =
            ConvertPageToText(run.path(QStringLiteral("big.html")), run.path(QStringLiteral("big.txt")));
        QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(text.startsWith(QStringLiteral("中文中中&#12 text\r\n\r\n中文")));
        QCOMPARE(text.count(QStringLiteral("中文中中")), page.size() / piece.size());
    }

    void collectionsAndArticleFiles()
    {
        TestRun run;
        Model::RunState& state = *run.state;
        state.task.TaskName = QStringLiteral("abc");
        state.task.PlatformCode = 1; // local names: the link and ".html"
        state.addArticleRow(QStringLiteral("一"), QStringLiteral("A"), QStringLiteral("a1"), QString());
        state.addArticleRow(QStringLiteral("二"), QStringLiteral("A"), QStringLiteral("a2"), QString());
        state.addArticleRow(QStringLiteral("三 3"), QStringLiteral("A"), QStringLiteral("a3"), QString());
        state.addArticleRow(QStringLiteral("随"), QStringLiteral("随笔"), QStringLiteral("b1"), QString());
        TaskFixture::WritePage(state.articlePagePath(1), QStringLiteral("<b>第一</b><br>&#20013;"));
        TaskFixture::WritePage(state.articlePagePath(3), QStringLiteral("<b>第三</b>"));
        TaskFixture::WritePage(state.articlePagePath(4), QStringLiteral("<b>随笔</b>"));
        // Leftovers of an earlier run: collections go, article files stay until overwritten.
        TaskFixture::WriteBytes(run.path(QStringLiteral("abcTXT/allA.txt")), "old");
        TaskFixture::WriteBytes(run.path(QStringLiteral("abcTXT/A/old.txt")), "old");

        QCoro::waitFor(ConvertToText(state));

        QCOMPARE(run.ui.status(), QStringLiteral("转换TXT完成,一共3个"));
        QCOMPARE(run.ui.statusHistory.mid(0, 4),
                 (QStringList{QStringLiteral("转换TXT：1/4"), QStringLiteral("转换TXT：2/4"),
                              QStringLiteral("转换TXT：3/4"), QStringLiteral("转换TXT：4/4")}));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("abc/abcTXT"))));
        const QString separator = QStringLiteral("----------------   %1.txt   ----------------\r\n");
        QCOMPARE(ReadBytes(run.path(QStringLiteral("abcTXT/allA.txt"))),
                 Text::EncodeLocal(separator.arg(QStringLiteral("三-3")) + QStringLiteral("第三\r\n") +
                                   separator.arg(QStringLiteral("二")) + QStringLiteral("\r\n") +
                                   separator.arg(QStringLiteral("一")) + QStringLiteral("第一\r\n中\r\n")));
        QCOMPARE(ReadBytes(run.path(QStringLiteral("abcTXT/all随笔.txt"))),
                 Text::EncodeLocal(separator.arg(QStringLiteral("随")) + QStringLiteral("随笔\r\n")));
        QCOMPARE(ReadBytes(run.path(QStringLiteral("abcTXT/A/一.txt"))),
                 Text::EncodeLocal(QStringLiteral("第一\r\n中\r\n")));
        QVERIFY(QFile::exists(run.path(QStringLiteral("abcTXT/A/三-3.txt"))));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("abcTXT/A/二.txt"))));
        QVERIFY(QFile::exists(run.path(QStringLiteral("abcTXT/A/old.txt"))));

        // A second run rebuilds the collections instead of appending to them.
        const QByteArray first = ReadBytes(run.path(QStringLiteral("abcTXT/allA.txt")));
        QCoro::waitFor(ConvertToText(state));
        QCOMPARE(ReadBytes(run.path(QStringLiteral("abcTXT/allA.txt"))), first);
    }

    void oddTasks()
    {
        TestRun run;
        Model::RunState& state = *run.state;
        state.task.TaskName = QStringLiteral("gone");
        QCoro::waitFor(ConvertToText(state));
        QCOMPARE(run.ui.status(), QStringLiteral("转换TXT完成,一共0个"));
        QVERIFY(QFileInfo(run.path(QStringLiteral("goneTXT"))).isDir());

        const QString longTitle = QStringLiteral("长").repeated(100);
        state.addArticleRow(longTitle, QStringLiteral("a/b:c*?"), QStringLiteral("x1"), QString());
        state.addArticleRow(QString(), QString(), QStringLiteral("x2"), QString());
        TaskFixture::WritePage(state.articlePagePath(1), QStringLiteral("<b>long</b>"));
        TaskFixture::WritePage(state.articlePagePath(2), QStringLiteral("<b>loose</b>"));
        QCoro::waitFor(ConvertToText(state));
        QCOMPARE(run.ui.status(), QStringLiteral("转换TXT完成,一共2个"));
        QVERIFY(QFile::exists(run.path(QStringLiteral("goneTXT/alla_b_c__.txt"))));
        const QStringList texts = QDir(run.path(QStringLiteral("goneTXT/a_b_c__"))).entryList(QDir::Files);
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts.first().endsWith(QLatin1String(".txt")));
        QVERIFY(texts.first().toUtf8().size() <= 255);
        QCOMPARE(ReadBytes(run.path(QStringLiteral("goneTXT/all.txt"))),
                 QByteArray("----------------   .txt   ----------------\r\nloose\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestTxtConverter)
#include "test_txtconverter.moc"
