// Text primitives, matching, cutting, file names and character sets.
#include "model/platformprofile.h"
#include "support/realpages.h"
#include "text/charset.h"
#include "text/failure.h"
#include "text/matching.h"
#include "text/pagecharset.h"
#include "text/recordfile.h"
#include "text/recordwriter.h"
#include "text/safefilename.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Text;

class TestTextServices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findAndCut()
    {
        QCOMPARE(Find(QStringLiteral("abc"), QString(), 1), 1);
        QCOMPARE(Find(QString(), QString(), 1), 0);
        QCOMPARE(Find(QStringLiteral("abcabc"), QStringLiteral("c"), 4), 6);
        QCOMPARE(Find(QStringLiteral("abc"), QStringLiteral("C"), 1), 0);
        QCOMPARE(Middle(QStringLiteral("abc"), 5, 2), QString());
        QVERIFY_THROWS_EXCEPTION(Failure, Middle(QStringLiteral("abc"), 1, -1));
        QVERIFY_THROWS_EXCEPTION(Failure, Left(QStringLiteral("abc"), -1));
        QCOMPARE(Right(QStringLiteral("abc"), 10), QStringLiteral("abc"));
        QCOMPARE(Split(QStringLiteral("a,b,"), QStringLiteral(",")), QStringList({"a", "b", ""}));
        QVERIFY(Split(QString(), QStringLiteral(",")).isEmpty());
        QCOMPARE(Replace(QStringLiteral("aaa"), QStringLiteral("aa"), QStringLiteral("a")),
                 QStringLiteral("aa"));
        QCOMPARE(Trim(QStringLiteral("\t a b  ")), QStringLiteral("\t a b"));
        QCOMPARE(TrimWhiteSpace(QStringLiteral("\r\n\t\u3000\u00a0\u200b\ufeff 1620782 a\r\n  \u3000")),
                 QStringLiteral("1620782 a"));
    }

    void numbers()
    {
        QCOMPARE(ToInt(QStringLiteral("  42 ")), 42);
        QCOMPARE(ToInt(QStringLiteral("-7")), -7);
        QVERIFY_THROWS_EXCEPTION(Failure, ToInt(NotFound));
        QVERIFY_THROWS_EXCEPTION(Failure, ToInt(QString()));
        QVERIFY_THROWS_EXCEPTION(Failure, ToInt(QStringLiteral("99999999999")));
    }

    void textBetween_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("skip");
        QTest::addColumn<QString>("expected");
        QTest::newRow("end right after start") << "abcXYdefXYg"
                                               << "abc"
                                               << "XY" << 0 << "";
        QTest::newRow("skip passes the first end") << "abcXYdefXYg"
                                                   << "abc"
                                                   << "XY" << 1 << "XYdef";
        QTest::newRow("start missing") << "abcXY"
                                       << "zz"
                                       << "XY" << 0 << QString(NotFound);
        QTest::newRow("end missing") << "abcXY"
                                     << "abc"
                                     << "QQ" << 0 << QString(NotFound);
        QTest::newRow("plain") << "<b>hi</b>"
                               << "<b>"
                               << "</b>" << 0 << "hi";
    }
    void textBetween()
    {
        QFETCH(QString, subject);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(int, skip);
        QFETCH(QString, expected);
        QCOMPARE(TextBetween(subject, start, end, skip), expected);
    }
    void textBetweenFailsWhenEndOnlyBeforeStart()
    {
        QVERIFY_THROWS_EXCEPTION(
            Failure, TextBetween(QStringLiteral("XYabcdef"), QStringLiteral("abc"), QStringLiteral("XY"), 0));
    }

    void matchAll()
    {
        QCOMPARE(MatchAll(QStringLiteral("zz"), QStringLiteral("abc")), QString());
        QVERIFY(
            Split(MatchAll(QStringLiteral("zz"), QStringLiteral("abc")), QStringLiteral("\r\n")).isEmpty());
        const QString two = MatchAll(QStringLiteral("a\\d"), QStringLiteral("a1 b a2"));
        QCOMPARE(two, QStringLiteral("a1\r\na2\r\n"));
        QCOMPARE(Split(two, QStringLiteral("\r\n")).size(), 3);
        QCOMPARE(MatchList(QStringLiteral("title"), QStringLiteral("TITLE Title")),
                 QStringList({"TITLE", "Title"}));
        // "." never crosses a line feed, so greedy matches stay within a line.
        QCOMPARE(MatchList(QStringLiteral("<a.*</a>"), QStringLiteral("<a>1</a>\n<a>2</a>")).size(), 2);
        QCOMPARE(MatchAll(QStringLiteral("(unclosed"), QStringLiteral("(unclosed")), QString());
        // A pattern met again matches as the first time, case and all.
        QCOMPARE(MatchList(QStringLiteral("title"), QStringLiteral("tiTLe")), QStringList({"tiTLe"}));
        QCOMPARE(MatchAll(QStringLiteral("(unclosed"), QStringLiteral("(unclosed")), QString());
        QCOMPARE(HashToQuote(QStringLiteral("a=#b#")), QStringLiteral("a=\"b\""));
        QCOMPARE(ReplaceMatches(QStringLiteral("<li id=cmt12>x<li id=cmt3>"),
                                QStringLiteral("<li id=cmt\\d*>"), QStringLiteral("<li>")),
                 QStringLiteral("<li>x<li>"));
    }

    void safeFileName_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blank") << "a b"
                               << "a-b";
        QTest::newRow("nbsp ends as dash") << "a&nbsp;b"
                                           << "a-b";
        QTest::newRow("slash and backslash") << "a/b\\c"
                                             << "a_b_c";
        QTest::newRow("two dots vanish") << "a..b"
                                         << "ab";
        QTest::newRow("vertical bar stays") << "a|b"
                                            << "a|b";
        QTest::newRow("removed marks") << "%<>\"x"
                                       << "x";
        QTest::newRow("address") << "http://s1.sinaimg.cn/a.jpg?x=1&y=2"
                                 << "http___s1.sinaimg.cn_a.jpg_x=1_y=2";
        QTest::newRow("nul") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << "ab";
        QTest::newRow("nul between dots") << QStringLiteral(".") + QChar(0) + QStringLiteral(".") << "";
        QTest::newRow("single dot") << "."
                                    << "_";
    }
    void safeFileName()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(SafeFileName(text), expected);
    }
    void safeFileNameFitsLinux()
    {
        const QString longName = QString(200, QChar(u'中'));
        const QString safe = SafeFileName(longName);
        QVERIFY(safe.toUtf8().size() <= 255);
        QCOMPARE(safe, QString(85, QChar(u'中')));
        QString any;
        for (int c = 1; c < 0x3000; c += 7) {
            any += QChar(char16_t(c));
        }
        QVERIFY(!SafeFileName(any).contains(u'/'));
    }

    void charsets()
    {
        // 𠀀 (U+20000) is outside GBK: GB18030 keeps it.
        const QString text = QStringLiteral("中文 𠀀 €");
        QCOMPARE(DecodeBytes(EncodeLocal(text), QStringLiteral("GB2312")), text);
        QCOMPARE(DecodeBytes(text.toUtf8(), QStringLiteral("UTF-8")), text);
        const QString broken = DecodeBytes(QByteArray("\xff\xfe\x81", 3), QStringLiteral("UTF-8"));
        QVERIFY(broken.contains(QChar::ReplacementCharacter));

        // Every character, astral pairs and lone surrogates among them, is written as the converter
        // writes it.
        QString every;
        for (char32_t c = 0; c < 0x10000; c += 1) {
            every.append(QChar(c));
            if (c % 4096 == 0) {
                every.append(QString::fromUcs4(U"\U00020000\U0001F600"));
            }
        }
        QStringEncoder converter("GB18030");
        QCOMPARE(EncodeLocal(every), QByteArray(converter.encode(every)));
    }

    // Where a page says which character set it is written in: a byte order mark, then the answer's header,
    // then a <meta> among the first bytes; GB2312 and GBK stand for their superset GB18030.
    void declaredCharset_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QString>("expected");
        QTest::newRow("header") << QByteArray("<p>x</p>") << QByteArray("text/html; charset=GBK") << "GB18030";
        QTest::newRow("quoted header") << QByteArray() << QByteArray("text/html;charset=\"utf-8\"") << "UTF-8";
        QTest::newRow("meta charset") << QByteArray("<head><meta charset=\"gb2312\" />") << QByteArray()
                                      << "GB18030";
        QTest::newRow("http-equiv reordered")
            << QByteArray("<META content='text/html;  charset = x-gbk' HTTP-EQUIV='Content-Type'>") << QByteArray()
            << "GB18030";
        QTest::newRow("http-equiv without charset, then unquoted meta")
            << QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html\"><meta charset=utf-8>")
            << QByteArray() << "UTF-8";
        QTest::newRow("header before meta")
            << QByteArray("<meta charset=\"gbk\">") << QByteArray("text/html; charset=utf-8") << "UTF-8";
        QTest::newRow("byte order mark before all")
            << QByteArray("\xef\xbb\xbf<meta charset=\"gbk\">") << QByteArray("text/html; charset=gbk")
            << "UTF-8";
        QTest::newRow("commented out") << QByteArray("<!-- <meta charset=\"gbk\"> --><meta charset=\"utf-8\">")
                                       << QByteArray() << "UTF-8";
        QTest::newRow("beyond the first bytes")
            << QByteArray(CharsetDeclarationBytes, ' ') + "<meta charset=\"gbk\">" << QByteArray() << "";
        QTest::newRow("unknown name") << QByteArray("<meta charset=\"no-such-set\">")
                                      << QByteArray("text/html; charset=") << "";
        QTest::newRow("cut off in the tag") << QByteArray("<html><meta charset=\"gb") << QByteArray() << "";
        QTest::newRow("UTF-16 in a meta") << QByteArray("<meta charset=\"utf-16\">") << QByteArray() << "UTF-8";
    }
    void declaredCharset()
    {
        QFETCH(QByteArray, page);
        QFETCH(QByteArray, contentType);
        QFETCH(QString, expected);
        QCOMPARE(DeclaredCharset(page, contentType), expected);
    }

    // The decoded page; the platform's character set counts only where the page declares none, and bytes
    // that plainly contradict a declaration win over it.
    void decodePage_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("fallback");
        QTest::addColumn<QString>("expected");
        const QString text = QStringLiteral("<p>中文博客 𠀀</p>");
        const QByteArray gb = EncodeLocal(text);
        const QByteArray utf8 = text.toUtf8();
        const QByteArray metaUtf8("<meta charset=\"utf-8\">");
        const QByteArray metaGb("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">");
        QTest::newRow("UTF-8 page of a GB2312 platform")
            << metaUtf8 + utf8 << QStringLiteral("GB2312") << QString::fromUtf8(metaUtf8) + text;
        QTest::newRow("GB2312 read as GB18030")
            << metaGb + gb << QStringLiteral("UTF-8") << QString::fromUtf8(metaGb) + text;
        QTest::newRow("no declaration") << gb << QStringLiteral("GB2312") << text;
        QTest::newRow("GBK page declaring UTF-8")
            << metaUtf8 + gb << QStringLiteral("UTF-8") << QString::fromUtf8(metaUtf8) + text;
        QTest::newRow("UTF-8 page declaring GB2312")
            << metaGb + utf8 << QStringLiteral("GB2312") << QString::fromUtf8(metaGb) + text;
        QTest::newRow("byte order mark dropped") << "\xef\xbb\xbf" + utf8 << QStringLiteral("GB2312") << text;
        QTest::newRow("UTF-16") << QByteArray("\xff\xfe") +
                                       QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2)
                                << QStringLiteral("GB2312") << text;
        QTest::newRow("UTF-8 cut off in a character")
            << metaGb + utf8.left(utf8.size() - 6) << QStringLiteral("GB2312")
            << QString::fromUtf8(metaGb + utf8.left(utf8.size() - 6));
    }
    void decodePage()
    {
        QFETCH(QByteArray, page);
        QFETCH(QString, fallback);
        QFETCH(QString, expected);
        QCOMPARE(DecodePage(page, fallback), expected);
    }

    // Every page a real site served, read as its platform's downloads read it, says what it said.
    void realPagesDecodeAsTheirSitesWroteThem()
    {
        REAL_PAGES_OR_SKIP(pages);
        const Model::PlatformProfileTable profiles;
        for (const TestSupport::RealPage& page : pages) {
            const QString decoded = DecodePage(page.served, profiles[page.platform].Charset);
            QVERIFY2(decoded == page.text, qPrintable(page.name));
        }
    }

    void textFiles()
    {
        QTemporaryDir dir;
        WriteTextFile(dir.path(), QStringLiteral("a.txt"), QStringLiteral("中文"));
        QFile file(dir.filePath(QStringLiteral("a.txt")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("\xd6\xd0\xce\xc4\r\n"));
        file.close();
        // The settings reader discards the first two bytes, even when they begin a tag.
        QFile settings(dir.filePath(QStringLiteral("s.cfg")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("<blog>0</blog>");
        settings.close();
        QCOMPARE(ReadTextFile(settings.fileName()), QStringLiteral("log>0</blog>"));
        QVERIFY_THROWS_EXCEPTION(Failure,
                                 WriteTextFile(dir.path(), QStringLiteral("missing/x.txt"), QString()));
        AppendTextFile(dir.filePath(QStringLiteral("b.txt")), QStringLiteral("1"));
        AppendTextFile(dir.filePath(QStringLiteral("b.txt")), QStringLiteral("2"));
        QCOMPARE(ReadLocalFile(dir.filePath(QStringLiteral("b.txt"))), QStringLiteral("1\r\n2\r\n"));
    }

    // A record kept open keeps its lines whole when its file is cut by a kill of another writer, removed
    // with its folder, or replaced while the run goes on.
    void recordWriter()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("task/.record"));
        const auto lines = [&path] {
            QStringList read;
            for (const QList<QByteArray>& fields : ReadRecordLines(path)) {
                read.append(QString::fromUtf8(fields.join(',')));
            }
            return read;
        };
        RecordWriter writer;
        QVERIFY(writer.append(path, {"a", "1"}));
        QCOMPARE(lines(), QStringList({"a,1"}));
        {
            QFile other(path);
            QVERIFY(other.open(QIODevice::Append));
            other.write("cut\tby a kill");
        }
        QVERIFY(writer.append(path, {"b"}));
        QCOMPARE(lines(), QStringList({"a,1", "b"}));

        QVERIFY(QDir(dir.filePath(QStringLiteral("task"))).removeRecursively());
        QVERIFY(writer.append(path, {"c"}));
        QCOMPARE(lines(), QStringList({"c"}));

        const QString replacement = dir.filePath(QStringLiteral("replacement"));
        QVERIFY(AppendRecordLine(replacement, {"d"}));
        QVERIFY(QFile::remove(path) && QFile::rename(replacement, path));
        QVERIFY(writer.append(path, {"e"}));
        QCOMPARE(lines(), QStringList({"d", "e"}));

        QVERIFY(!writer.append(dir.filePath(QStringLiteral("task/.record/inside")), {"f"}));
    }

    void largeInputs()
    {
        const QString page = QString(10 * 1024 * 1024, QChar(u'x')) + QStringLiteral("<b>end</b>");
        QCOMPARE(TextBetween(page, QStringLiteral("<b>"), QStringLiteral("</b>"), 0), QStringLiteral("end"));
        QCOMPARE(MatchList(QStringLiteral("<b>.*</b>"), page).size(), 1);
        QCOMPARE(SafeFileName(page).toUtf8().size(), 255);
    }
};

QTEST_GUILESS_MAIN(TestTextServices)
#include "test_textservices.moc"
