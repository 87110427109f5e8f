#include "model/localpage.h"
#include "output/markdownexport.h"
#include "output/markdownwriter.h"
#include "render/articlepage.h"
#include "support/files.h"
#include "support/testrun.h"
#include "taskfixture.h"
#include "text/charset.h"

#include <QCoro/QCoroTask>

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace Output;

using TestSupport::ReadBytes;

namespace {

// Links to the web stay; images are "here.png" only when the page names it.
PageLinks SomeLinks()
{
    PageLinks links;
    links.link = [](const QString& href) {
        return href.startsWith(QLatin1String("http")) ? href : QString();
    };
    links.image = [](const QString& src) { return src == QLatin1String("here.png") ? src : QString(); };
    return links;
}

QString FileText(const QString& path)
{
    return QString::fromUtf8(ReadBytes(path));
}

QStringList MarkdownFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
}

// Adds the articles a migrating blog brings along: titles a generator's front matter or path chokes on,
// bodies with every kind of markup, a category named like a book's volume, two articles of one title and
// date.
void AddAwkwardArticles(Model::RunState& state)
{
    const QStringList titles{QString(),
                             QStringLiteral("!!!…——？"),
                             QStringLiteral("长").repeated(500),
                             QStringLiteral(": # - > | * [ ] ! ` {{< x >}} {% y %}"),
                             QStringLiteral("- 开头的破折号: \"引号\" 'single'"),
                             QStringLiteral("控制\x01\x1f字符\u0085\u2028\uFEFF") + QChar(0xD800),
                             QStringLiteral("index"),
                             QStringLiteral("同名"),
                             QStringLiteral("同名")};
    const QString body =
        QStringLiteral("<table><tr><th>名</th><th>值</th></tr><tr><td>a|b</td><td>1</td></tr></table>"
                       "<ul><li>一<ul><li>二<ol><li>三</li></ol></li></ul></li></ul>"
                       "<pre>int main() { return `x`; }\n```\n</pre><script>alert(1)</script>"
                       "<iframe src=http://x.invalid/></iframe><img src=notimage.jpg alt=坏图>"
                       "<p>{{< shortcode >}} {{ .Title }} {% raw %}</p><p>1. 不是列表 # 不是标题</p>");
    const QString category = QStringLiteral("第1卷");
    int n = 0;
    for (const QString& title : titles) {
        const int row = state.addArticleRow(title, category, QStringLiteral("blog_4f%1.html").arg(++n),
                                            QStringLiteral("2013-07-08 09:10"));
        TaskFixture::WritePage(Text::JoinPath(state.categoryFolder(category), QStringLiteral("notimage.jpg")),
                               QStringLiteral("<html>404</html>"));
        TaskFixture::WritePage(state.articlePagePath(row),
                               QStringLiteral("<title>t</title>\r\n<font color=#339933 size=5>t</font><br>"
                                              "<hr size=1 color=#C0C0C0>") +
                                   body);
    }
}

} // namespace

class TestMarkdownExport : public QObject
{
    Q_OBJECT

private slots:
    void converter_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("markdown");
        QTest::newRow("paragraphs, breaks, emphasis")
            << QStringLiteral("<p>一 <b> 粗 </b><i>斜</i><br>二</p><p>三<br><br>四</p>")
            << QStringLiteral("一 **粗** *斜*\\\n二\n\n三\n\n四\n");
        QTest::newRow("text never becomes markup")
            << QStringLiteral(
                   "<p>*a* _b_ [c](d) `e` &lt;x&gt; | ~ & \\</p><p># h</p><p>- i</p><p>12. j</p><p>+ k</p>")
            << QStringLiteral(
                   "\\*a\\* \\_b\\_ \\[c\\](d) \\`e\\` \\<x\\> \\| \\~ \\& \\\\\n\n\\# h\n\n\\- i\n\n"
                   "12\\. j\n\n\\+ k\n");
        QTest::newRow("template tags of site generators")
            << QStringLiteral("<p>{{< s >}} {{% t %}} {% u %} {# v #} {w}</p>")
            << QStringLiteral("&#123;{\\< s \\>}} &#123;&#123;% t %}} &#123;% u %} &#123;# v #} {w}\n");
        QTest::newRow("headings and rules") << QStringLiteral("<h2>C# <i>x</i></h2>text<hr>more")
                                            << QStringLiteral("## C\\# *x*\n\ntext\n\n---\n\nmore\n");
        QTest::newRow("nested lists")
            << QStringLiteral("<ul><li>a<ol><li>b</li><li>c</li></ol></li><li>d</li></ul>")
            << QStringLiteral("- a\n\n  1. b\n  2. c\n- d\n");
        QTest::newRow("code keeps its text")
            << QStringLiteral("<pre>if (a < b) {\n  x = `y`;\n}\n```</pre><p><code>a*b</code></p>")
            << QStringLiteral("````\nif (a < b) {\n  x = `y`;\n}\n```\n````\n\n`a*b`\n");
        QTest::newRow("a data table and a layout table")
            << QStringLiteral("<table><tr><td>名</td><td>值</td></tr><tr><td>a|b</td></tr></table>"
                              "<table><tr><td><p>左</p><table><tr><td>内</td></tr></table></td></tr></table>")
            << QStringLiteral("| 名 | 值 |\n| --- | --- |\n| a\\|b |   |\n\n左\n\n内\n");
        QTest::newRow("scripts, frames and objects go; text stays")
            << QStringLiteral("<script>x()</script><iframe src=a>i</iframe><object>o</object>"
                              "<noscript>n</noscript><font size=3><p>段</p><p>落</p></font>")
            << QStringLiteral("n\n\n段\n\n落\n");
        QTest::newRow("links and images")
            << QStringLiteral("<a href=\"http://x.cn/a (1)\">网</a> <a href=local.html>本地</a> "
                              "<img src=here.png alt=\"图[1]\"> <img src=gone.png alt=没了> "
                              "<a href=http://y.cn/></a>")
            << QStringLiteral("[网](http://x.cn/a%20%281%29) 本地 ![图\\[1\\]](here.png) 没了 "
                              "[http://y.cn/](http://y.cn/)\n");
        QTest::newRow("quotes and stray items")
            << QStringLiteral("<blockquote><p>甲</p><p>乙</p></blockquote><li>评论一</li><li>评论二</li>")
            << QStringLiteral("> 甲\n>\n> 乙\n\n- 评论一\n\n- 评论二\n");
        QTest::newRow("a Chinese indent stays")
            << QStringLiteral("<p>\u3000\u3000首行&nbsp;</p><p>&nbsp;\u3000</p>")
            << QStringLiteral("\u3000\u3000首行\n");
        QTest::newRow("nothing to show") << QStringLiteral("<script>x</script>  ") << QString();
    }
    void converter()
    {
        QFETCH(QString, html);
        QFETCH(QString, markdown);
        QCOMPARE(HtmlToMarkdown(html, SomeLinks()).text, markdown);
    }

    void deepAndLargePages()
    {
        // Thousands of unclosed tags and megabytes of text: every word arrives.
        QString html;
        for (int i = 0; i < 5000; ++i) {
            html += QStringLiteral("<div><b>") + QString::number(i);
        }
        const MarkdownPage deep = HtmlToMarkdown(html, SomeLinks());
        QVERIFY(deep.text.contains(QStringLiteral("4999")));
        QVERIFY(deep.text.contains(QStringLiteral("2500")));

        const QByteArray page =
            Text::EncodeLocal(QStringLiteral("<p>很长的文章 & <i>斜<b>粗</i> 一段<br>\r\n"))
                .repeated(100000) +
            QByteArray("\x01\x81\xff end", 7);
        const MarkdownPage large = PageToMarkdown(page, SomeLinks());
        QCOMPARE(large.text.count(QStringLiteral("很长的文章")), 100000);
        QVERIFY(large.text.trimmed().endsWith(QLatin1String("end")));
    }

    void frontMatterValues_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("syntax") << QStringLiteral("- a: \"b\" # c \\ d")
                                << QStringLiteral("\"- a: \\\"b\\\" # c \\\\ d\"");
        QTest::newRow("control characters")
            << QStringLiteral("a\nb\tc\x01\x7f\u0085\u2028\uFEFF") + QChar(0xDC00)
            << QStringLiteral("\"a\\nb\\tc\\u0001\\u007f\\u0085\\u2028\\ufeff\uFFFD\"");
        QTest::newRow("outside the basic plane") << QStringLiteral("😀") << QStringLiteral("\"😀\"");
    }
    void frontMatterValues()
    {
        QFETCH(QString, text);
        QFETCH(QString, quoted);
        QCOMPARE(YamlQuoted(text), quoted);
    }

    void namesAndDates_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("stem");
        QTest::addColumn<QString>("frontMatterDate");
        QTest::newRow("usual") << QStringLiteral("Qt & C++ 笔记: 一") << QStringLiteral("2011-05-03 12:30")
                               << QStringLiteral("2011-05-03-qt-c-笔记-一")
                               << QStringLiteral("2011-05-03T12:30:00+08:00");
        QTest::newRow("Chinese date")
            << QStringLiteral("../a/b") << QStringLiteral("2011年5月3日 8:05:09")
            << QStringLiteral("2011-05-03-a-b") << QStringLiteral("2011-05-03T08:05:09+08:00");
        QTest::newRow("punctuation only, no date")
            << QStringLiteral("!!!…") << QStringLiteral("昨天") << QStringLiteral("article") << QString();
        QTest::newRow("reserved name")
            << QStringLiteral("Index") << QString() << QStringLiteral("article-index") << QString();
        QTest::newRow("impossible date")
            << QStringLiteral("x") << QStringLiteral("2011-02-30 25:00") << QStringLiteral("x") << QString();
        QTest::newRow("long title") << QStringLiteral("长").repeated(500) << QString()
                                    << QStringLiteral("长").repeated(60) << QString();
    }
    void namesAndDates()
    {
        QFETCH(QString, title);
        QFETCH(QString, date);
        QFETCH(QString, stem);
        QFETCH(QString, frontMatterDate);
        QCOMPARE(MarkdownStem(title, date), stem);
        QCOMPARE(FrontMatterDate(date), frontMatterDate);
    }

    void exportOfTheTask()
    {
        TestRun run;
        Model::RunState& state = *run.state;
        TaskFixture::Build(state);
        // A fourth article whose download failed, a fifth never downloaded, a leftover of an earlier export.
        const int failed =
            state.addArticleRow(QStringLiteral("失败"), QStringLiteral("随笔"),
                                QStringLiteral("blog_4a09.html"), QStringLiteral("2011-05-04"));
        Render::SaveFallbackPage(state, failed);
        QCOMPARE(Model::InspectLocalPage(state.articlePagePath(failed)), Model::LocalPage::Fallback);
        state.addArticleRow(QStringLiteral("未下载"), QStringLiteral("随笔"),
                            QStringLiteral("blog_4a10.html"), QString());
        const QString folder = MarkdownFolder(state);
        TestSupport::WriteBytes(Text::JoinPath(folder, QStringLiteral("old.md")), "old");
        const QStringList before = QDir(run.folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        QVERIFY(QCoro::waitFor(ExportMarkdown(state)));

        QCOMPARE(run.ui.status(), QStringLiteral("转换Markdown完成,一共3个，1篇未能下载"));
        QVERIFY(run.ui.statusHistory.contains(QStringLiteral("转换Markdown：3/3")));
        QCOMPARE(folder, run.path(QStringLiteral("myblog-markdown")));
        QCOMPARE(QDir(run.folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QCOMPARE(MarkdownFiles(folder), (QStringList{QStringLiteral("2011-05-03-qt-c-笔记.md"),
                                                     QStringLiteral("2011-05-03-第一篇-游记.md"),
                                                     QStringLiteral("2011-05-03-第二篇.md")}));

        const QString first = FileText(Text::JoinPath(folder, QStringLiteral("2011-05-03-第一篇-游记.md")));
        QCOMPARE(first.section(QStringLiteral("---\n"), 1, 1),
                 QStringLiteral("title: \"第一篇 游记\"\ndate: \"2011-05-03T12:30:00+08:00\"\n"
                                "categories: [\"随笔\"]\nsource: \"%1\"\ncomments: \"1\"\n")
                     .arg(state.articleAddress(1)));
        // The body without the header, its picture copied beside, the comments under their heading.
        QVERIFY2(first.contains(QStringLiteral("---\n\n第一篇 游记\\\n正文 searchword1 中文内容"
                                               "![](images/image1.jpg)\n\n## 评论\n\n- 读者：好文章\n")),
                 qPrintable(first));
        QVERIFY(!first.contains(QStringLiteral("原文地址")));
        QCOMPARE(ReadBytes(Text::JoinPath(folder, QStringLiteral("images/image1.jpg"))),
                 QByteArray("\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01", 12));
        const QString second = FileText(Text::JoinPath(folder, QStringLiteral("2011-05-03-第二篇.md")));
        QVERIFY(second.contains(QStringLiteral("comments: \"0\"\n")));
        QVERIFY(!second.contains(QStringLiteral("## 评论")));

        // Exported again, the same files.
        QVERIFY(QCoro::waitFor(ExportMarkdown(state)));
        QCOMPARE(FileText(Text::JoinPath(folder, QStringLiteral("2011-05-03-第一篇-游记.md"))), first);
        QCOMPARE(MarkdownFiles(folder).size(), 3);
    }

    void awkwardArticlesAllArrive()
    {
        TestRun run;
        Model::RunState& state = *run.state;
        TaskFixture::Build(state);
        AddAwkwardArticles(state);
        QVERIFY(QCoro::waitFor(ExportMarkdown(state)));
        const QString folder = MarkdownFolder(state);
        const QStringList files = MarkdownFiles(folder);
        QCOMPARE(files.size(), state.articles.articleCount());
        QVERIFY(files.contains(QStringLiteral("2013-07-08-同名.md")));
        QVERIFY(files.contains(QStringLiteral("2013-07-08-同名-2.md")));
        QVERIFY(files.contains(QStringLiteral("2013-07-08-index.md")));
        for (const QString& file : files) {
            QVERIFY2(QRegularExpression(QStringLiteral(R"(^[\w-]+\.md$)"),
                                        QRegularExpression::UseUnicodePropertiesOption)
                         .match(file)
                         .hasMatch(),
                     qPrintable(file));
            QVERIFY(file.toUtf8().size() < 255);
            const QString text = FileText(Text::JoinPath(folder, file));
            if (file.startsWith(QLatin1String("2013"))) {
                QVERIFY2(text.contains(QStringLiteral("| a\\|b | 1 |")) &&
                             text.contains(QStringLiteral("坏图")) &&
                             text.contains(QStringLiteral("\n    1. 三")) &&
                             text.contains(QStringLiteral("1\\. 不是列表 # 不是标题")) &&
                             !text.contains(QStringLiteral("alert")),
                         qPrintable(text));
            }
        }
    }

    // The export builds in a real site generator: every article becomes a page, without an error or a
    // warning.
    void hugoBuildsEveryArticle()
    {
        const QString hugo = QStandardPaths::findExecutable(QStringLiteral("hugo"));
        if (hugo.isEmpty()) {
            QSKIP("hugo is not installed (apt-get install hugo)");
        }
        TestRun run;
        Model::RunState& state = *run.state;
        TaskFixture::Build(state);
        AddAwkwardArticles(state);
        QVERIFY(QCoro::waitFor(ExportMarkdown(state)));

        const QString site = run.path(QStringLiteral("site"));
        TestSupport::WriteBytes(site + QStringLiteral("/config.toml"),
                                "baseURL = 'http://example.org/'\ntitle = 'blog'\n");
        const QByteArray single = "<html><body><h1>{{ .Title }}</h1>{{ .Content }}</body></html>\n";
        const QByteArray list =
            "<html><body>{{ range .Pages }}<a href=\"{{ .RelPermalink }}\">{{ .Title }}</a>"
            "{{ end }}</body></html>\n";
        TestSupport::WriteBytes(site + QStringLiteral("/layouts/_default/single.html"), single);
        TestSupport::WriteBytes(site + QStringLiteral("/layouts/_default/list.html"), list);
        TestSupport::WriteBytes(site + QStringLiteral("/layouts/index.html"), list);
        QVERIFY(QDir().mkpath(site + QStringLiteral("/content")));
        QVERIFY(QFile::rename(MarkdownFolder(state), site + QStringLiteral("/content/posts")));

        QProcess process;
        process.setWorkingDirectory(site);
        process.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HUGO_CACHEDIR"), run.path(QStringLiteral("cache")));
        process.setProcessEnvironment(environment);
        process.start(hugo, {QStringLiteral("--printPathWarnings"), QStringLiteral("--panicOnWarning")});
        QVERIFY(process.waitForFinished(120000));
        const QString output = QString::fromUtf8(process.readAll());
        QVERIFY2(process.exitCode() == 0, qPrintable(output));
        QVERIFY2(!output.contains(QLatin1String("WARN")) && !output.contains(QLatin1String("ERROR")),
                 qPrintable(output));

        QStringList pages;
        QDirIterator it(site + QStringLiteral("/public/posts"), {QStringLiteral("index.html")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            pages.append(it.next());
        }
        // The list page of the section itself is one more.
        QCOMPARE(pages.size(), state.articles.articleCount() + 1);
        const QString titled = FileText(site + QStringLiteral("/public/posts/2013-07-08-index/index.html"));
        QVERIFY2(titled.contains(QStringLiteral("<h1>index</h1>")), qPrintable(titled));
    }
};

QTEST_GUILESS_MAIN(TestMarkdownExport)
#include "test_markdownexport.moc"
