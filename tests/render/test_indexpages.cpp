#include "downloadfixture.h"
#include "model/endpoints.h"
#include "render/indexpages.h"
#include "support/testrun.h"
#include "support/wait.h"
#include "text/safefilename.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace DownloadFixture;

namespace {

const QDateTime Now(QDate(2012, 4, 19), QTime(8, 5, 9));

const QString StyleA = QStringLiteral("<style type= Text/css><!--.style4 {margin-top : 2px; padding-bottom : "
                                      "2px; margin-bottom : 1px; margin-left : "
                                      "15px; margin-right : 10px; font-size : 14px; font-family : "
                                      "Tahoma,Verdana,Arial; color: #000000;}--></style>");
const QString StyleC = QStringLiteral("<style type= Text/css><!--.style4 {margin-top : 5px; padding-bottom : "
                                      "5px; margin-bottom : 0px; margin-left : "
                                      "5px; margin-right : 5px; font-size : 14px; font-family : "
                                      "Tahoma,Verdana,Arial; color: #000000;}--></style>");

// The first line of every page.
const QString Declaration =
    QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb18030\">");

QString Lines(const QStringList& pieces)
{
    QString text;
    for (const QString& piece : pieces) {
        text += piece + QStringLiteral("\r\n");
    }
    return text;
}

void WritePageOfSize(const QString& path, int bytes)
{
    TestSupport::WriteBytes(path, QByteArray(bytes, 'x'));
}

} // namespace

class TestIndexPages : public QObject
{
    Q_OBJECT

private slots:
    void sizeTexts_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("missing") << qint64(0) << QStringLiteral("0");
        QTest::newRow("2500") << qint64(2500) << QStringLiteral("2.5");
        QTest::newRow("250 tie down") << qint64(250) << QStringLiteral("0.2");
        QTest::newRow("750 tie up") << qint64(750) << QStringLiteral("0.8");
        QTest::newRow("251") << qint64(251) << QStringLiteral("0.3");
        QTest::newRow("12000") << qint64(12000) << QStringLiteral("12");
        QTest::newRow("1950 tie up to whole") << qint64(1950) << QStringLiteral("2");
        QTest::newRow("49") << qint64(49) << QStringLiteral("0");
    }
    void sizeTexts()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(Render::SizeText(bytes), text);
    }

    void homePageOfASmallBlog()
    {
        TestRun run;
        MakeSinaTask(*run.state, 3,
                     [](int n) { return n == 2 ? QStringLiteral("技术") : QStringLiteral("生活 随笔"); });
        WritePageOfSize(run.state->articlePagePath(1), 2500);
        TestSupport::Wait(Render::WriteIndexPages(*run.state, Now));

        const QString home = Lines({
            Declaration,
            QStringLiteral("<center><table  width=90% border=1 bordercolordark=#dddddd cellspacing=0 "
                           "bordercolor=#90aaaa>"),
            QStringLiteral(
                "<tr><td bgcolor=#CCFFFF align=center colspan=5><font color=#663399 size=5><B>新浪博客：<a "
                "target=_blank  href=http://blog.sina.com.cn/u/1>blog</a></B></font></td></tr>"),
            StyleC,
            QStringLiteral(
                "<tr><td width=5%><center>所有</center></td><td width=28% ><p class= style4><A "
                "title=点此查看所有文章 target=_blank href=all.htm><b>全部清单</a></b>(3)</td><td><---"
                "点击左边查看所有文章按日期排序。  更新日期：2012-4-19[8:05:09]</td>"),
            QStringLiteral(
                "<tr><td width=5%><center>1</center></td><td width=28% ><p class= style4><A title=生活 随笔 "
                "target=_blank href=生活-随笔.htm><b>生活 随笔</a></b>(2)</td><td>"),
            QStringLiteral("<A href=生活-随笔1.htm><b>1</b></a>"),
            QStringLiteral("</td></tr>"),
            QStringLiteral(
                "<tr><td width=5%><center>2</center></td><td width=28% ><p class= style4><A title=技术 "
                "target=_blank href=技术.htm><b>技术</a></b>(1)</td><td>"),
            QStringLiteral("<A href=技术1.htm><b>1</b></a>"),
            QStringLiteral("</td></tr>"),
            QStringLiteral("<tr><td align=center colspan=5>本电子书由<a href=") +
                Model::Endpoints::MakerCompanyPage() +
                QStringLiteral(">卷轴匣</a>制作，文章版权属原作者</td></tr>"),
        });
        QCOMPARE(ReadPage(run.path(QStringLiteral("blog/index.html"))), home);

        const QString firstPage = Lines({
            Declaration,
            QStringLiteral(
                "<title>生活 随笔1</title><BR><center><table border=1 width=90% bordercolordark=#F0fFFF "
                "cellspacing=0 bordercolor=#800000>"),
            QStringLiteral(
                "<tr><td bgcolor=80F0FF align=center colspan=5 ><font size=5>生活-随笔1</font></td></tr>"),
            StyleA,
            QStringLiteral("<tr><td width=3%>1</td><td ><p class= style4><A "
                           "href=生活-随笔/blog_1.html>文章1</a></td><td "
                           "width=15%>2012-04-2 </td><td width=6%>2.5KB</td><tr>"),
            QStringLiteral("<tr><td width=3%>2</td><td ><p class= style4><A "
                           "href=生活-随笔/blog_3.html>文章3</a></td><td "
                           "width=15%>2012-04-4 </td><td width=6%>0KB</td><tr>"),
        });
        QCOMPARE(ReadBytes(run.path(QStringLiteral("blog/生活-随笔1.htm"))), Text::EncodeLocal(firstPage));
        QVERIFY(ReadPage(run.path(QStringLiteral("blog/生活-随笔.htm")))
                    .startsWith(Declaration + QStringLiteral("\r\n<title>生活 随笔</title><BR><center>")));

        const QString all = ReadPage(run.path(QStringLiteral("blog/all.htm")));
        QVERIFY(all.startsWith(Declaration + QStringLiteral("\r\n<center><table")));
        QVERIFY(all.endsWith(
            QStringLiteral("<tr><td width=5%>3</td><td ><p class= style4><A target=_blank "
                           "href=生活-随笔/blog_3.html>文章3</a></td><td width=25%>生活-随笔 </td><td "
                           "width=15%>2012-04-4</td><td width=6%>0KB</td><tr>\r\n")));

        // A later run over the same articles leaves every page as it was, the home page with its date, so
        // that a book made of them stays current; a changed article brings the new date.
        const QString homePath = run.path(QStringLiteral("blog/index.html"));
        const QString allPath = run.path(QStringLiteral("blog/all.htm"));
        const QDateTime written = QFileInfo(homePath).lastModified();
        const QDateTime allWritten = QFileInfo(allPath).lastModified();
        QTest::qWait(20);
        TestSupport::Wait(Render::WriteIndexPages(*run.state, Now.addDays(1)));
        QCOMPARE(ReadPage(homePath), home);
        QCOMPARE(QFileInfo(homePath).lastModified(), written);
        QCOMPARE(QFileInfo(allPath).lastModified(), allWritten);
        WritePageOfSize(run.state->articlePagePath(2), 5000);
        TestSupport::Wait(Render::WriteIndexPages(*run.state, Now.addDays(1)));
        QVERIFY(ReadPage(homePath).contains(QStringLiteral("更新日期：2012-4-20[8:05:09]")));
    }

    void pagingOfLargeCategories()
    {
        TestRun run;
        const QString longName =
            QStringLiteral("一个名字非常非常长的分类，长度超过了三十个字符，主页上只显示前三十个");
        QVERIFY(longName.size() > 30);
        // 45 articles in 甲, 20 in 乙, interleaved; one in the long category.
        MakeSinaTask(*run.state, 66, [&](int n) {
            if (n == 66) {
                return longName;
            }
            return n % 3 == 0 && n <= 60 ? QStringLiteral("乙") : QStringLiteral("甲");
        });
        QCOMPARE(run.state->categories.countOf(QStringLiteral("甲")), 45);
        QCOMPARE(run.state->categories.countOf(QStringLiteral("乙")), 20);
        const int sizes[] = {2500, 250, 750};
        for (int row = 1; row <= 3; ++row) {
            WritePageOfSize(run.state->articlePagePath(row), sizes[row - 1]);
        }
        TestSupport::Wait(Render::WriteIndexPages(*run.state, Now));

        const auto page = [&](const QString& name) {
            return ReadPage(run.path(QStringLiteral("blog/") + name));
        };
        const QString paging1 = QStringLiteral("<center> <A href=甲0.htm> </table>←上一页</a>&nbsp;&nbsp;<A "
                                               "href=甲2.htm>下一页→</a>\r\n");
        QVERIFY(page(QStringLiteral("甲1.htm")).endsWith(paging1));
        QVERIFY(page(QStringLiteral("甲2.htm")).endsWith(QStringLiteral("<A href=甲3.htm>下一页→</a>\r\n")));
        QCOMPARE(page(QStringLiteral("甲1.htm")).count(QStringLiteral("<tr><td width=3%>")), 20);
        QCOMPARE(page(QStringLiteral("甲3.htm")).count(QStringLiteral("<tr><td width=3%>")), 5);
        QVERIFY(page(QStringLiteral("甲3.htm")).endsWith(QStringLiteral("KB</td><tr>\r\n")));
        QVERIFY(page(QStringLiteral("甲3.htm")).contains(QStringLiteral("<tr><td width=3%>5</td>")));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("blog/甲4.htm"))));
        QVERIFY(page(QStringLiteral("乙1.htm"))
                    .endsWith(QStringLiteral("<center> <A href=乙0.htm> </table>←上一页</a>&nbsp;&nbsp;<A "
                                             "href=乙2.htm>下一页→</a>\r\n")));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("blog/乙2.htm"))));
        // The whole page numbers its rows by their place in the category.
        QCOMPARE(page(QStringLiteral("甲.htm")).count(QStringLiteral("<tr><td width=3%>")), 45);
        QVERIFY(page(QStringLiteral("甲.htm")).contains(QStringLiteral("<tr><td width=3%>45</td>")));

        const QString home = page(QStringLiteral("index.html"));
        QVERIFY(home.contains(
            QStringLiteral("(45)</td><td>\r\n<A href=甲1.htm><b>1</b></a>\r\n<A "
                           "href=甲2.htm><b>2</b></a>\r\n<A href=甲3.htm><b>3</b></a>\r\n</td></tr>")));
        QVERIFY(home.contains(QStringLiteral("(20)</td><td>\r\n<A href=乙1.htm><b>1</b></a>\r\n</td></tr>")));
        QVERIFY(home.contains(QStringLiteral("<A title=") + longName +
                              QStringLiteral(" target=_blank href=") + Text::SafeFileName(longName) +
                              QStringLiteral(".htm><b>") + longName.left(30) +
                              QStringLiteral("</a></b>(1)")));
        QVERIFY(page(Text::SafeFileName(longName) + QStringLiteral("1.htm"))
                    .startsWith(Declaration + QStringLiteral("\r\n<title>") + longName +
                                QStringLiteral("1</title>")));
        QVERIFY(home.contains(QStringLiteral("全部清单</a></b>(66)")));

        const QString all = page(QStringLiteral("all.htm"));
        QVERIFY(all.contains(QStringLiteral("<td width=6%>2.5KB</td><tr>\r\n<tr><td width=5%>2</td>")));
        QVERIFY(all.contains(QStringLiteral("<td width=6%>0.2KB</td><tr>\r\n<tr><td width=5%>3</td>")));
        QVERIFY(all.contains(QStringLiteral("<td width=6%>0.8KB</td><tr>\r\n<tr><td width=5%>4</td>")));
        QCOMPARE(all.count(QStringLiteral("<td width=6%>0KB</td>")), 63);
    }

    // A disk that fills while the index pages are written stops the run's writing once, in words, and
    // leaves no half page behind.
    void aFullDiskStopsTheWriting()
    {
        TestRun run;
        MakeSinaTask(*run.state, 400, [](int) { return QStringLiteral("甲"); });
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 16 * 1024; // the page of all 400 articles is larger
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        TestSupport::Wait(Render::WriteIndexPages(*run.state, Now));
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY2(run.state->writeStopped.contains(QStringLiteral("磁盘已满")),
                 qPrintable(run.state->writeStopped));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("blog/甲.htm"))));
        QVERIFY(
            ReadPage(run.path(QStringLiteral("blog/甲1.htm"))).endsWith(QStringLiteral("下一页→</a>\r\n")));
    }

    // A large blog whose page names collide (甲 page 11 and 甲1 page 1 are both 甲11.htm, the whole page
    // of "all" is all.htm, articles without a category lie beside the index pages) gives the same
    // bytes as the writer that built every page in memory did; the digest pins them.
    void largeBlogKeepsItsBytes()
    {
        TestRun run;
        const QStringList names = {QStringLiteral("甲"),
                                   QStringLiteral("甲1"),
                                   QStringLiteral("all"),
                                   QString(),
                                   QStringLiteral("a/b"),
                                   QStringLiteral("a_b"),
                                   QStringLiteral("长") + QString(40, u'名')};
        MakeSinaTask(*run.state, 3000, [&](int n) { return names.at((n * n) % 11 % names.size()); });
        for (int row = 1; row <= 3000; row += 7) {
            WritePageOfSize(run.state->articlePagePath(row), row * 13 % 5000);
        }
        TestSupport::Wait(Render::WriteIndexPages(*run.state, Now));

        QDir folder(run.path(QStringLiteral("blog")));
        QCryptographicHash digest(QCryptographicHash::Sha256);
        const QStringList pages =
            folder.entryList({QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files, QDir::Name);
        for (const QString& name : pages) {
            digest.addData(name.toUtf8() + '\0' + ReadBytes(folder.filePath(name)));
        }
        QCOMPARE(pages.size(), 204);
        QCOMPARE(digest.result().toHex(),
                 QByteArray("01f752cf430554067c829db6a0959f869c22864d9803720fcf9cf850423f2a84"));
    }
};

QTEST_GUILESS_MAIN(TestIndexPages)
#include "test_indexpages.moc"
