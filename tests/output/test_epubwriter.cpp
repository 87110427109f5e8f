#include "assets/sampleimages.h"
#include "output/epubwriter.h"
#include "output/projectfiles.h"
#include "output/xhtmlcleaner.h"
#include "render/articlepage.h"
#include "support/files.h"
#include "support/testrun.h"
#include "taskfixture.h"
#include "text/charset.h"

#include <QCoro/QCoroTask>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

#include <zip.h>

using namespace Output;

namespace {

const QString Epubcheck = QStringLiteral("/usr/share/java/epubcheck.jar");

// The files of a book, by name, in the order the archive holds them.
struct Book
{
    QStringList names;
    QHash<QString, QByteArray> files;
    bool mimetypeStored = false;
};

Book Open(const QString& path)
{
    Book book;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        return book;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        const QString name = QString::fromUtf8(stat.name);
        if (i == 0) {
            book.mimetypeStored = stat.comp_method == ZIP_CM_STORE;
        }
        QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (file != nullptr) {
            zip_fread(file, bytes.data(), stat.size);
            zip_fclose(file);
        }
        book.names.append(name);
        book.files.insert(name, bytes);
    }
    zip_close(archive);
    return book;
}

// The contents as a list: headings as they are, entries below them indented by two spaces.
QStringList NavOutline(const QByteArray& nav)
{
    QStringList outline;
    QXmlStreamReader reader(nav);
    int depth = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("ol")) {
            ++depth;
        } else if (reader.isEndElement() && reader.name() == QLatin1String("ol")) {
            --depth;
        } else if (reader.isStartElement() &&
                   (reader.name() == QLatin1String("a") || reader.name() == QLatin1String("span"))) {
            outline.append(QString(2 * (depth - 1), u' ') + reader.readElementText());
        }
    }
    return outline;
}

// The CHM's contents in the same form.
QStringList ChmOutline(const Model::RunState& state)
{
    // Names are written as they are, quotes and all.
    static const QRegularExpression name(
        QStringLiteral("name=\"Name\" value=\"(.*)\"> <param name=\"Local\""));
    QStringList outline;
    const QStringList lines = ContentsFileLines(state.articles, state.categories, state.task.PlatformCode);
    for (const QString& line : lines.mid(1)) {
        const auto match = name.match(line);
        if (match.hasMatch()) {
            outline.append((line.startsWith(QLatin1String("<UL>")) ? QStringLiteral("  ") : QString()) +
                           XmlSafeText(match.captured(1))); // the book drops control characters
        }
    }
    return outline;
}

// The spine as the pages' titles, in reading order.
QStringList SpineTitles(const Book& book)
{
    const QByteArray opf = book.files.value(QStringLiteral("OEBPS/content.opf"));
    QHash<QString, QString> hrefs;
    QStringList titles;
    QXmlStreamReader reader(opf);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("item")) {
            hrefs.insert(reader.attributes().value(QStringLiteral("id")).toString(),
                         reader.attributes().value(QStringLiteral("href")).toString());
        } else if (reader.isStartElement() && reader.name() == QLatin1String("itemref")) {
            const QString page = hrefs.value(reader.attributes().value(QStringLiteral("idref")).toString());
            QXmlStreamReader xhtml(book.files.value(QStringLiteral("OEBPS/") + page));
            while (xhtml.readNextStartElement() && xhtml.name() != QLatin1String("title")) {
                if (xhtml.name() != QLatin1String("html") && xhtml.name() != QLatin1String("head")) {
                    xhtml.skipCurrentElement();
                }
            }
            titles.append(xhtml.readElementText());
        }
    }
    return titles;
}

// Adds an article whose page is as hostile as saved pages get, in a category with an odd name: broken
// markup, scripts, control characters, invalid bytes, a "picture" that is an error page, a real picture,
// links out of the task folder and to a comment page with an odd name, ten megabytes of text.
void AddHostileArticle(Model::RunState& state)
{
    const int row = state.addArticleRow(QStringLiteral("怪题 <b>&amp; \"引\" 100% ?#\x01"),
                                        QStringLiteral("奇怪 <名> & \"引\" 100% ?#;"),
                                        QStringLiteral("blog_4c01.html"), QStringLiteral("2012-01-01 08:00"));
    const QString folder = state.categoryFolder(state.articles.category(row));
    TestSupport::WriteBytes(Text::JoinPath(folder, QStringLiteral("notimage.jpg")),
                            "<html><body>404 Not Found</body></html>");
    TestSupport::WriteBytes(Text::JoinPath(folder, QStringLiteral("real&pic (1).png")), SampleImages::png());
    TestSupport::WriteBytes(Text::JoinPath(folder, QStringLiteral("评论 页'1.html")),
                            Text::EncodeLocal(QStringLiteral("<li>读者：<b>好<li>再评")));
    QByteArray page = Text::EncodeLocal(QStringLiteral(
        "<title>怪题</title>\r\n<font color=#339933 "
        "size=5>怪题</font><br><div><p>第一段<b>未闭合<table><tr><td>"
        "表格文字<script>document.write('<p>')</script><style>p{}</style>A & B &nbsp;&bogus;"
        "<img src=notimage.jpg alt=坏图><img src=\"real&amp;pic (1).png\"><img "
        "src=http://remote.invalid/a.gif>"
        "<a href=\"评论 页'1.html\">评论1</a><a href=../../../etc/passwd>外逃</a><a "
        "href=javascript:alert(1)>脚本"
        "</a><a href=\"http://例子.invalid/路径 空格?q=中&x=<1>\">网址</a><a href=#top>顶</a>"));
    page += QByteArray("\x01\x02\x81\x20\xff", 5);
    // Ten megabytes of paragraphs, some never closed.
    page +=
        Text::EncodeLocal(QStringLiteral("<p>很长的文章 & <i>斜<b>粗</i> 的一段<br>\r\n")).repeated(250000);
    page += Text::EncodeLocal(QStringLiteral("<span>句尾<div>块</div></span>结束语"));
    TestSupport::WriteBytes(state.articlePagePath(row), page);
}

// Runs epubcheck on a book: its exit status and what it printed.
std::pair<int, QString> CheckBook(const QString& path)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("java"), {QStringLiteral("-jar"), Epubcheck, path});
    if (!process.waitForFinished(240000)) {
        return {-1, QStringLiteral("epubcheck did not finish")};
    }
    return {process.exitCode(), QString::fromLocal8Bit(process.readAll())};
}

} // namespace

class TestEpubWriter : public QObject
{
    Q_OBJECT

private slots:
    void bookHoldsTheTaskInTheOrderOfTheChm()
    {
        TestRun run;
        TaskFixture::Build(*run.state);
        AddHostileArticle(*run.state);

        QVERIFY(QCoro::waitFor(PackEpub(*run.state, QDateTime(QDate(2024, 3, 5), QTime(10, 0), Qt::UTC))));
        QCOMPARE(run.ui.status(), QStringLiteral("生成EPUB成功！"));
        QCOMPARE(run.ui.openedLocal, QStringList{run.path(QStringLiteral("myblog.epub"))});
        QVERIFY(run.ui.statusHistory.contains(QStringLiteral("生成EPUB第4/4篇")));
        QCOMPARE(EpubPath(*run.state), run.path(QStringLiteral("myblog.epub")));
        // Only the book is left in the program folder: no temporary file.
        QCOMPARE(QDir(run.folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("myblog.epub")});
        QCOMPARE(QDir(run.folder.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("myblog")});

        const Book book = Open(run.path(QStringLiteral("myblog.epub")));
        QCOMPARE(book.names.value(0), QStringLiteral("mimetype"));
        QVERIFY(book.mimetypeStored);
        QCOMPARE(book.files.value(QStringLiteral("mimetype")), QByteArray("application/epub+zip"));
        // The raw archive starts with the stored mimetype, no extra field: what readers look for.
        const QByteArray raw = TestSupport::ReadBytes(run.path(QStringLiteral("myblog.epub")));
        QCOMPARE(raw.mid(30, 28), QByteArray("mimetypeapplication/epub+zip"));

        const QStringList nav = NavOutline(book.files.value(QStringLiteral("OEBPS/nav.xhtml")));
        QCOMPARE(nav.mid(0, 2), (QStringList{QStringLiteral("首页"), QStringLiteral("全部清单")}));
        // The CHM's contents write "#" as a quote; otherwise entry for entry the same.
        QCOMPARE(nav.mid(2).replaceInStrings(QStringLiteral("#"), QStringLiteral("\"")),
                 ChmOutline(*run.state));

        // The cover and the contents open the book; comment pages follow their article; the index pages
        // come first.
        const QStringList spine = SpineTitles(book);
        QCOMPARE(spine.mid(0, 4), (QStringList{QStringLiteral("myblog"), QStringLiteral("目录"),
                                               QStringLiteral("myblog"), QStringLiteral("全部清单")}));
        const QString cover = QString::fromUtf8(book.files.value(QStringLiteral("OEBPS/cover.svg")));
        QVERIFY2(cover.contains(QStringLiteral(">myblog<")) &&
                     cover.contains(QStringLiteral(">2011-05-03—2012-01-01<")) &&
                     cover.contains(QStringLiteral(">") + run.state->profile().Name + u'<'),
                 qPrintable(cover));
        const qsizetype first = spine.indexOf(QStringLiteral("第一篇 游记"));
        QVERIFY(first > 3);
        QCOMPARE(spine.value(first + 1), QStringLiteral("第一篇 游记"));
        QCOMPARE(spine.count(QStringLiteral("怪题 <b>&amp; \"引\" 100% ?#")), 2);

        // The one real picture is in; the error page saved as a picture, the fixture's JPEG that ends in its
        // header and the remote picture are not.
        QStringList images;
        for (const QString& name : book.names) {
            if (name.startsWith(QLatin1String("OEBPS/images/"))) {
                images.append(name);
            }
        }
        QCOMPARE(images, QStringList{QStringLiteral("OEBPS/images/image1.png")});
        QString text;
        for (const QString& name : book.names) {
            text += QString::fromUtf8(book.files.value(name));
        }
        for (const QString& word : {QStringLiteral("未闭合"), QStringLiteral("表格文字"),
                                    QStringLiteral("坏图"), QStringLiteral("结束语"), QStringLiteral("再评"),
                                    QStringLiteral("正文 searchword3 中文内容")}) {
            QVERIFY2(text.contains(word), qPrintable(word));
        }
        QVERIFY(!text.contains(QStringLiteral("passwd")));
        QVERIFY(!text.contains(QStringLiteral("javascript")));
        QVERIFY(!text.contains(QStringLiteral("document.write")));

        const QString opf = QString::fromUtf8(book.files.value(QStringLiteral("OEBPS/content.opf")));
        QVERIFY(opf.contains(QStringLiteral("<dc:title>myblog</dc:title>")));
        QVERIFY(opf.contains(QStringLiteral("<dc:language>zh</dc:language>")));
        QVERIFY(opf.contains(QStringLiteral("<dc:source>http://blog.sina.com.cn/myblog</dc:source>")));
        QVERIFY(opf.contains(QStringLiteral("<dc:date>2024-03-05</dc:date>")));
        QVERIFY(opf.contains(QStringLiteral(">2024-03-05T10:00:00Z</meta>")));
        QVERIFY(opf.contains(
            QStringLiteral("href=\"cover.svg\" media-type=\"image/svg+xml\" properties=\"cover-image\"")));
        QVERIFY(!opf.contains(QStringLiteral("belongs-to-collection")));

        if (!QFile::exists(Epubcheck)) {
            QSKIP("epubcheck is not installed");
        }
        const auto [status, report] = CheckBook(run.path(QStringLiteral("myblog.epub")));
        QVERIFY2(status == 0 && !report.contains(QLatin1String("ERROR")) &&
                     !report.contains(QLatin1String("FATAL")),
                 qPrintable(report));
    }

    // An unchanged task keeps its book; a changed one gets a new book under the same identifier.
    void packingAgainReplacesTheBookWithTheSameIdentifier()
    {
        TestRun run;
        TaskFixture::Build(*run.state);
        QVERIFY(QCoro::waitFor(PackEpub(*run.state)));
        const QString path = run.path(QStringLiteral("myblog.epub"));
        const QByteArray before = Open(path).files.value(QStringLiteral("OEBPS/content.opf"));
        static const QRegularExpression id(QStringLiteral("urn:uuid:[0-9a-f-]{36}"));
        QVERIFY(id.match(QString::fromUtf8(before)).hasMatch());

        const QDateTime made = QFileInfo(path).lastModified();
        QVERIFY(QCoro::waitFor(PackEpub(*run.state, QDateTime::currentDateTime().addDays(1))));
        QCOMPARE(run.ui.status(), QStringLiteral("电子书已是最新，未重新打包：") + path);
        QCOMPARE(QFileInfo(path).lastModified(), made);
        QCOMPARE(run.ui.openedLocal, (QStringList{path, path}));

        QFile::remove(run.state->articlePagePath(3));
        QVERIFY(QCoro::waitFor(PackEpub(*run.state)));
        const Book after = Open(run.path(QStringLiteral("myblog.epub")));
        const QString opf = QString::fromUtf8(after.files.value(QStringLiteral("OEBPS/content.opf")));
        QCOMPARE(id.match(opf).captured(), id.match(QString::fromUtf8(before)).captured());
        // The article whose page is gone has no chapter and no entry.
        QVERIFY(!NavOutline(after.files.value(QStringLiteral("OEBPS/nav.xhtml")))
                     .contains(QStringLiteral("  1.第二篇")));
    }

    // Past the article limit the book is written as volumes: no article lost, none in two volumes, a
    // category that fits a volume kept whole, each volume a valid book that says its place in the whole.
    // An article whose download failed is marked in the contents.
    void largeBookIsWrittenInVolumes()
    {
        TestRun run;
        Model::RunState& state = *run.state;
        TaskFixture::Build(state);
        const int failed =
            state.addArticleRow(QStringLiteral("失败"), QStringLiteral("随笔"),
                                QStringLiteral("blog_4a09.html"), QStringLiteral("2011-06-01"));
        Render::SaveFallbackPage(state, failed);
        for (int i = 1; i <= 4; ++i) {
            const int row = state.addArticleRow(QStringLiteral("卷%1").arg(i), QStringLiteral("第1卷"),
                                                QStringLiteral("blog_4e0%1.html").arg(i),
                                                QStringLiteral("2012-0%1-01 10:00").arg(i));
            TaskFixture::WritePage(state.articlePagePath(row), QStringLiteral("正文%1").arg(i));
        }
        TestSupport::WriteBytes(run.path(QStringLiteral("myblog.epub")), "one book before");
        TestSupport::WriteBytes(run.path(QStringLiteral("myblog 第9卷.epub")), "a volume before");
        state.epubVolumeArticles = 3;

        QVERIFY(QCoro::waitFor(PackEpub(state)));
        QCOMPARE(run.ui.status(), QStringLiteral("生成EPUB成功！共3卷"));
        const QStringList files = EpubFiles(state);
        QCOMPARE(files, (QStringList{run.path(QStringLiteral("myblog 第1卷.epub")),
                                     run.path(QStringLiteral("myblog 第2卷.epub")),
                                     run.path(QStringLiteral("myblog 第3卷.epub"))}));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("myblog.epub"))));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("myblog 第9卷.epub"))));

        QStringList articles;
        QList<QStringList> outlines;
        for (int v = 0; v < files.size(); ++v) {
            const Book book = Open(files.at(v));
            const QStringList nav = NavOutline(book.files.value(QStringLiteral("OEBPS/nav.xhtml")));
            outlines.append(nav);
            const QStringList own = nav.filter(QRegularExpression(QStringLiteral("^  ")));
            QVERIFY2(own.size() <= 3, qPrintable(nav.join(u'\n')));
            articles += own;
            const QString opf = QString::fromUtf8(book.files.value(QStringLiteral("OEBPS/content.opf")));
            QVERIFY2(opf.contains(QStringLiteral("<dc:title>myblog 第%1卷（").arg(v + 1)) &&
                         opf.contains(QStringLiteral(
                             "property=\"belongs-to-collection\" id=\"collection\">myblog<")) &&
                         opf.contains(QStringLiteral("property=\"group-position\">%1<").arg(v + 1)),
                     qPrintable(opf));
        }
        // The list of all articles would be the whole blog again in every volume.
        QCOMPARE(outlines.at(0).value(0), QStringLiteral("首页"));
        QVERIFY(!outlines.at(0).contains(QStringLiteral("全部清单")));
        // 随笔 fits the first volume whole; 第1卷 does not fit any, so it is split between its articles.
        QCOMPARE(outlines.at(0).filter(QStringLiteral("随笔")).size(), 1);
        QVERIFY2(outlines.at(0).contains(QStringLiteral("  1.失败（未能下载）")),
                 qPrintable(outlines.at(0).join(u'\n')));
        QCOMPARE(outlines.at(1).filter(QStringLiteral("第1卷(")).size(), 1);
        QCOMPARE(outlines.at(2).filter(QStringLiteral("第1卷(")).size(), 1);
        articles.sort();
        QStringList expected;
        for (const QString& entry : ChmOutline(state)) {
            if (entry.startsWith(QLatin1String("  "))) {
                expected.append(entry + (entry.endsWith(QStringLiteral("失败"))
                                             ? QStringLiteral("（未能下载）")
                                             : QString()));
            }
        }
        expected.sort();
        QCOMPARE(articles, expected);

        if (!QFile::exists(Epubcheck)) {
            QSKIP("epubcheck is not installed");
        }
        for (const QString& file : files) {
            const auto [status, report] = CheckBook(file);
            QVERIFY2(status == 0 && !report.contains(QLatin1String("ERROR")), qPrintable(report));
        }
    }

    void articlesOfNoCategoryComeLast()
    {
        TestRun run;
        TaskFixture::Build(*run.state);
        const int row = run.state->addArticleRow(QStringLiteral("无类"), QString(),
                                                 QStringLiteral("blog_4d01.html"), QString());
        TaskFixture::WritePage(run.state->articlePagePath(row), QStringLiteral("无类正文"));
        QVERIFY(QCoro::waitFor(PackEpub(*run.state)));
        const QStringList nav = NavOutline(
            Open(run.path(QStringLiteral("myblog.epub"))).files.value(QStringLiteral("OEBPS/nav.xhtml")));
        QCOMPARE(nav.mid(nav.size() - 2),
                 (QStringList{QStringLiteral("未分类"), QStringLiteral("  1.无类")}));
    }

    void nothingToPackIsReported_data()
    {
        QTest::addColumn<QString>("taskName");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no task") << QString() << false << QStringLiteral("不能使用");
        QTest::newRow("slash") << QStringLiteral("a/b") << false << QStringLiteral("不能使用");
        QTest::newRow("folder missing")
            << QStringLiteral("never") << false << QStringLiteral("找不到任务文件夹");
        QTest::newRow("nothing downloaded")
            << QStringLiteral("empty") << true << QStringLiteral("没有已下载的文章");
    }
    void nothingToPackIsReported()
    {
        QFETCH(QString, taskName);
        QFETCH(bool, folder);
        QFETCH(QString, reason);
        TestRun run;
        run.state->task.TaskName = taskName;
        if (folder) {
            QDir().mkpath(run.state->taskFolder());
        }
        run.state->addArticleRow(QStringLiteral("t"), QStringLiteral("c"), QStringLiteral("x.html"),
                                 QString());
        TestSupport::WriteBytes(run.path(QStringLiteral("keep.epub")), "earlier");

        QVERIFY(!QCoro::waitFor(PackEpub(*run.state)));
        QVERIFY2(run.ui.status().startsWith(QStringLiteral("生成EPUB失败：")) &&
                     run.ui.status().contains(reason),
                 qPrintable(run.ui.status()));
        QCOMPARE(QDir(run.folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.epub")});
    }

    // A book that cannot be written leaves the earlier book as it was.
    void unwritableBookKeepsTheEarlierOne()
    {
        TestRun run;
        TaskFixture::Build(*run.state);
        QVERIFY(QDir().mkpath(run.path(QStringLiteral("myblog.epub.part/x"))));
        TestSupport::WriteBytes(run.path(QStringLiteral("myblog.epub")), "earlier");

        QVERIFY(!QCoro::waitFor(PackEpub(*run.state)));
        QVERIFY(run.ui.status().startsWith(QStringLiteral("生成EPUB失败：")));
        QCOMPARE(TestSupport::ReadBytes(run.path(QStringLiteral("myblog.epub"))), QByteArray("earlier"));
        QCOMPARE(QDir(run.folder.path()).entryList({QStringLiteral("myblog.epub.files-*")}, QDir::Dirs),
                 QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestEpubWriter)
#include "test_epubwriter.moc"
