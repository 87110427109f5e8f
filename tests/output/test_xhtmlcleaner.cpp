#include "output/xhtmlcleaner.h"
#include "text/charset.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>

using namespace Output;

namespace {

// What a cleaned page holds, read back with an XML parser.
struct Reading
{
    bool wellFormed = false;
    QString error;
    QString text;           // all character data of the body
    QStringList elements;   // every element of the body, in document order
    QStringList misplaced;  // "parent>child" where the child may not stand
    QStringList attributes; // "element@name=value"
};

const QSet<QString> Blocks{QStringLiteral("div"), QStringLiteral("p"),  QStringLiteral("blockquote"),
                           QStringLiteral("pre"), QStringLiteral("ul"), QStringLiteral("ol"),
                           QStringLiteral("li"),  QStringLiteral("hr"), QStringLiteral("h1"),
                           QStringLiteral("h2"),  QStringLiteral("h3"), QStringLiteral("h4"),
                           QStringLiteral("h5"),  QStringLiteral("h6")};
// Elements that hold text and inline elements only.
const QSet<QString> TextOnly{QStringLiteral("p"),     QStringLiteral("pre"),    QStringLiteral("h1"),
                             QStringLiteral("h2"),    QStringLiteral("h3"),     QStringLiteral("h4"),
                             QStringLiteral("h5"),    QStringLiteral("h6"),     QStringLiteral("span"),
                             QStringLiteral("a"),     QStringLiteral("b"),      QStringLiteral("i"),
                             QStringLiteral("em"),    QStringLiteral("strong"), QStringLiteral("u"),
                             QStringLiteral("s"),     QStringLiteral("sub"),    QStringLiteral("sup"),
                             QStringLiteral("small"), QStringLiteral("code"),   QStringLiteral("abbr")};
const QSet<QString> Allowed =
    Blocks + TextOnly + QSet<QString>{QStringLiteral("br"), QStringLiteral("img"), QStringLiteral("cite"),
                                      QStringLiteral("q"),  QStringLiteral("ins"), QStringLiteral("del")};

Reading Read(const QByteArray& xhtml)
{
    Reading reading;
    QXmlStreamReader reader(xhtml);
    QStringList open;
    bool inBody = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QString name = reader.name().toString();
            if (name == QLatin1String("body")) {
                inBody = true;
            } else if (inBody) {
                reading.elements.append(name);
                const QString parent = open.isEmpty() ? QStringLiteral("body") : open.last();
                const bool misplaced = !Allowed.contains(name) ||
                                       (Blocks.contains(name) && TextOnly.contains(parent)) ||
                                       ((parent == QLatin1String("ul") || parent == QLatin1String("ol")) &&
                                        name != QLatin1String("li")) ||
                                       (name == QLatin1String("li") && parent != QLatin1String("ul") &&
                                        parent != QLatin1String("ol")) ||
                                       (name == QLatin1String("a") && open.contains(QStringLiteral("a")));
                if (misplaced) {
                    reading.misplaced.append(parent + u'>' + name);
                }
                for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                    reading.attributes.append(name + u'@' + attribute.name().toString() + u'=' +
                                              attribute.value().toString());
                }
                open.append(name);
            }
        } else if (reader.isEndElement() && inBody) {
            if (reader.name() == QLatin1String("body")) {
                inBody = false;
            } else {
                open.removeLast();
            }
        } else if (reader.isCharacters() && inBody) {
            reading.text += reader.text();
        }
    }
    reading.wellFormed = !reader.hasError();
    reading.error = reader.errorString();
    return reading;
}

QByteArray Gb(const QString& text)
{
    return Text::EncodeLocal(text);
}

// Links go to "chapter.xhtml" when they name "known.html", web links stay; images only "pic.jpg".
PageLinks TestLinks()
{
    PageLinks links;
    links.link = [](const QString& href) {
        if (href == QLatin1String("known.html")) {
            return QStringLiteral("chapter.xhtml");
        }
        return href.startsWith(QLatin1String("http://")) ? href : QString();
    };
    links.image = [](const QString& src) {
        return src == QLatin1String("pic.jpg") ? QStringLiteral("images/image1.jpg") : QString();
    };
    return links;
}

} // namespace

class TestXhtmlCleaner : public QObject
{
    Q_OBJECT

private slots:
    // Every hostile page gives a well-formed document, every kept element where it may stand, every
    // word of the text kept and nothing of what must go.
    void hostilePagesBecomeValidXhtml_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QStringList>("gone");

        QTest::newRow("unclosed tags")
            << Gb(QStringLiteral("<div><p>一段<b>粗体<i>斜体</div>后文<td>格"))
            << QStringList{QStringLiteral("一段"), QStringLiteral("粗体"), QStringLiteral("斜体"),
                           QStringLiteral("后文"), QStringLiteral("格")}
            << QStringList{};
        QTest::newRow("stray ampersands")
            << Gb(QStringLiteral("A & B && C;&nbsp;D &#x4E2D; &bogus; x < y 1 &lt; 2 & 3 &"))
            << QStringList{QStringLiteral("A & B && C;"), QStringLiteral("D 中"), QStringLiteral("&bogus;"),
                           QStringLiteral("x < y 1 < 2 & 3 &")}
            << QStringList{};
        QTest::newRow("scripts and styles")
            << Gb(QStringLiteral("<head><style>p{color:red}</style><script>var secret=1;</script></head>"
                                 "正文<script type=text/javascript>document.write('<b>x</b>')</script>"
                                 "<iframe src=http://ad.invalid/>广告</iframe><!-- 注释 -->尾"
                                 "<object><param name=a value=b><embed src=x.swf></object>"
                                 "<form action=x><input name=q>表单文字<select><option>选项</select></form>"))
            << QStringList{QStringLiteral("正文"), QStringLiteral("尾"), QStringLiteral("表单文字"),
                           QStringLiteral("选项")}
            << QStringList{QStringLiteral("secret"), QStringLiteral("color"), QStringLiteral("document"),
                           QStringLiteral("注释"), QStringLiteral("swf")};
        static const char controls[] = "<p>\x01"
                                       "before\x08\x0b\x1f\x7f"
                                       "after\x00"
                                       "end</p>";
        QTest::newRow("control characters") << QByteArray(controls, sizeof(controls) - 1)
                                            << QStringList{QStringLiteral("beforeafterend")} << QStringList{};
        QTest::newRow("invalid bytes")
            << (Gb(QStringLiteral("<p>中文")) + QByteArray("\x81\x20\xff\xfe\x80") +
                Gb(QStringLiteral("尾巴</p>")))
            << QStringList{QStringLiteral("中文"), QStringLiteral("尾巴")} << QStringList{};
        QTest::newRow("page names its character set")
            << Gb(QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                                 "charset=gb18030\"><title>页名</title></head><body>汉字𠀋</body></html>"))
            << QStringList{QStringLiteral("汉字𠀋")} << QStringList{QStringLiteral("页名")};
        QTest::newRow("blocks inside text")
            << Gb(QStringLiteral(
                   "<span>前<div>块<p>段</p></div>后</span><a href=known.html>链<table><tr>"
                   "<td>表</td></tr></table></a><b><ul><li>项</li></ul></b><p>段<hr>尾</p>"
                   "<font size=5><center>居中</center></font><h2>题<blockquote>引</blockquote></h2>"))
            << QStringList{QStringLiteral("前块段后"), QStringLiteral("链表"), QStringLiteral("项"),
                           QStringLiteral("居中"), QStringLiteral("题引")}
            << QStringList{};
        QTest::newRow("lists holding other things")
            << Gb(QStringLiteral("<ul>散文<li>项一</li><p>段落</p><b>粗</b></ul><li>孤项</li><ol><li><div>块"
                                 "</div></li></ol>"))
            << QStringList{QStringLiteral("散文"), QStringLiteral("项一"), QStringLiteral("段落"),
                           QStringLiteral("粗"),   QStringLiteral("孤项"), QStringLiteral("块")}
            << QStringList{};
        QTest::newRow("links inside links")
            << Gb(QStringLiteral("<a href=known.html>外<span><a href=http://x.invalid/>内</a></span>文</a>"))
            << QStringList{QStringLiteral("外"), QStringLiteral("内"), QStringLiteral("文")} << QStringList{};
        QTest::newRow("obsolete elements")
            << Gb(QStringLiteral(
                   "<marquee>滚动</marquee><blink>闪</blink><big>大</big><tt>等宽</tt><strike>删"
                   "</strike><nobr>不断</nobr><xmp>原样</xmp><o:p>办公</o:p><dl><dt>词</dt><dd>释"
                   "</dd></dl><noscript>无脚本</noscript>"))
            << QStringList{QStringLiteral("滚动"), QStringLiteral("闪"),    QStringLiteral("大"),
                           QStringLiteral("等宽"), QStringLiteral("删"),    QStringLiteral("不断"),
                           QStringLiteral("原样"), QStringLiteral("办公"),  QStringLiteral("词"),
                           QStringLiteral("释"),   QStringLiteral("无脚本")}
            << QStringList{};
        QTest::newRow("odd names in attributes")
            << Gb(QStringLiteral("<img src=\"a b&c<>'%.jpg\" alt='图\"&amp;说'><a href=\"java&#115;cript:x\" "
                                 "onclick=\"x()\" style=\"color:red\" id=\"1 2\">点</a><img src=pic.jpg>"))
            << QStringList{QStringLiteral("图\"&说"), QStringLiteral("点")}
            << QStringList{QStringLiteral("onclick"), QStringLiteral("color")};
        QTest::newRow("empty page") << QByteArray() << QStringList{} << QStringList{};
        QTest::newRow("only a comment") << QByteArray("<!-- -->") << QStringList{} << QStringList{};
        QTest::newRow("thousands of unclosed tags")
            << (Gb(QStringLiteral("<font><b>")).repeated(3000) + Gb(QStringLiteral("最深处")))
            << QStringList{QStringLiteral("最深处")} << QStringList{};
        QTest::newRow("a hundred thousand nested blocks")
            << (Gb(QStringLiteral("<div><ul><li>层<img src=pic.jpg><br>")).repeated(100000) +
                Gb(QStringLiteral("底")))
            << QStringList{QStringLiteral("层层层"), QStringLiteral("底")} << QStringList{};
    }
    void hostilePagesBecomeValidXhtml()
    {
        QFETCH(QByteArray, page);
        QFETCH(QStringList, kept);
        QFETCH(QStringList, gone);

        const CleanedPage cleaned = CleanPage(page, QStringLiteral("标题 & <题>"), TestLinks());
        const Reading reading = Read(cleaned.xhtml);
        QVERIFY2(reading.wellFormed, qPrintable(reading.error + u'\n' + QString::fromUtf8(cleaned.xhtml)));
        QVERIFY2(reading.misplaced.isEmpty(), qPrintable(reading.misplaced.join(u' ')));
        const QString text = reading.text.simplified().remove(u' ');
        for (const QString& word : kept) {
            QVERIFY2(text.contains(QString(word).remove(u' ')),
                     qPrintable(word + QStringLiteral(" in ") + text));
        }
        for (const QString& word : gone) {
            QVERIFY2(!QString::fromUtf8(cleaned.xhtml).contains(word), qPrintable(word));
        }
        for (const QString& attribute : reading.attributes) {
            QVERIFY2(attribute.startsWith(QLatin1String("a@href=")) ||
                         attribute.startsWith(QLatin1String("img@src=")) ||
                         attribute.startsWith(QLatin1String("img@alt=")) ||
                         attribute.startsWith(QLatin1String("div@class=")),
                     qPrintable(attribute));
        }
        QVERIFY(cleaned.xhtml.contains("<title>标题 &amp; &lt;题&gt;</title>"));
    }

    // Links and pictures go where the book says, or lose their target and keep their text.
    void linksAndImagesAreRewritten()
    {
        const QByteArray page = Gb(QStringLiteral(
            "<a href=known.html>本书</a><a href=unknown.html>别处</a><a href=http://blog.invalid/x>网上</a>"
            "<a>无址</a><img src=pic.jpg alt=图><img src=notimage.jpg alt=丢图><img src=gone.jpg>"));
        const Reading reading = Read(CleanPage(page, QStringLiteral("t"), TestLinks()).xhtml);
        QVERIFY(reading.wellFormed);
        QCOMPARE(reading.attributes,
                 (QStringList{QStringLiteral("a@href=chapter.xhtml"),
                              QStringLiteral("a@href=http://blog.invalid/x"),
                              QStringLiteral("img@src=images/image1.jpg"), QStringLiteral("img@alt=图")}));
        QCOMPARE(reading.text, QStringLiteral("本书别处网上无址丢图"));
    }

    // A table keeps its rows and cells apart, for the style sheet to lay out as a table.
    void tablesKeepTheirRowsAndCells()
    {
        const QByteArray page = Gb(QStringLiteral("<table><tr><td>1</td><td>随笔</td></tr><tr><td>2"));
        const QByteArray xhtml = CleanPage(page, QStringLiteral("t"), {}).xhtml;
        QVERIFY2(
            xhtml.contains("<div class=\"table\"><div class=\"row\"><div class=\"cell\">1</div><div "
                           "class=\"cell\">随笔</div></div><div class=\"row\"><div class=\"cell\">2</div>"
                           "</div></div>"),
            xhtml.constData());
    }

    void pageTitleIsTakenWhenNoneIsGiven()
    {
        const QByteArray page = Gb(QStringLiteral("<title> 随笔\t2 </title><tr><td>x</td>"));
        const CleanedPage cleaned = CleanPage(page, QString(), {});
        QCOMPARE(cleaned.pageTitle, QStringLiteral("随笔 2"));
        QVERIFY(cleaned.xhtml.contains("<title>随笔 2</title>"));
        QVERIFY(CleanPage(QByteArray("x"), QString(), {}).xhtml.contains("<title>无标题</title>"));
    }

    // A 10 MB page is cleaned in one go, whole, in a few seconds.
    void hugePageKeepsAllItsText()
    {
        QByteArray page = Gb(QStringLiteral("<p>开头"));
        const QByteArray line = Gb(QStringLiteral("很长的一行文字 & more <b>bold</b><br>\r\n"));
        page += line.repeated(10 * 1024 * 1024 / line.size());
        page += QByteArray(2 * 1024 * 1024, 'x'); // one text run of 2 MB
        page += Gb(QStringLiteral("结尾</p>"));
        QElapsedTimer clock;
        clock.start();
        const CleanedPage cleaned = CleanPage(page, QStringLiteral("大"), {});
        qInfo("10 MB page cleaned in %lld ms", qint64(clock.elapsed()));
        const Reading reading = Read(cleaned.xhtml);
        QVERIFY(reading.wellFormed);
        QVERIFY(reading.text.startsWith(QStringLiteral("开头")));
        QVERIFY(reading.text.endsWith(QStringLiteral("结尾")));
        QCOMPARE(reading.text.count(QStringLiteral("很长的一行文字")), 10 * 1024 * 1024 / line.size());
    }

    void xmlSafeTextDropsWhatXmlCannotHold()
    {
        QString text = QStringLiteral("a\tb\r\nc");
        text += QChar(0x01);
        text += QChar(0xFFFE);
        text += QChar(0xD800); // a lone high surrogate
        text += QStringLiteral("d𠀋");
        text += QChar(0xDC00); // a lone low surrogate
        QCOMPARE(XmlSafeText(text), QStringLiteral("a\tb\r\ncd𠀋"));
    }
};

QTEST_GUILESS_MAIN(TestXhtmlCleaner)
#include "test_xhtmlcleaner.moc"
