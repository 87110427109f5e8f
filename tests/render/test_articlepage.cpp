#include "downloadfixture.h"
#include "model/endpoints.h"
#include "model/layoutfiles.h"
#include "model/localpage.h"
#include "render/articlepage.h"
#include "render/bodylayouts.h"
#include "render/laterlayouts.h"
#include "support/realpages.h"
#include "support/testrun.h"
#include "support/wait.h"
#include "text/elements.h"
#include "text/failure.h"
#include "text/pagecharset.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

using namespace DownloadFixture;
using Render::PageOutcome;
using namespace Qt::StringLiterals;

namespace {

// Every page the program writes opens with its character set.
const QString Declaration =
    QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb18030\">\r\n");

PageOutcome Save(TestRun& run, const QString& page, int row)
{
    return TestSupport::Wait(Render::SaveArticlePage(*run.state, page, row));
}

bool Fails(TestRun& run, const QString& page, int row)
{
    try {
        Save(run, page, row);
    } catch (const Text::Failure&) {
        return true;
    }
    return false;
}

// The text a reader sees: tags and scripts gone, white space and the usual entities made single blanks.
QString VisibleText(QString html)
{
    html.remove(QRegularExpression(QStringLiteral("<script.*?</script>"),
                                   QRegularExpression::DotMatchesEverythingOption |
                                       QRegularExpression::CaseInsensitiveOption));
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    html.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    html.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    html.replace(QChar(0x200B), QString());
    return html.simplified();
}

// The text of a built-in description file.
QString BuiltInLayout(const QString& file)
{
    QFile builtIn(QStringLiteral(":/layouts/") + file);
    return builtIn.open(QIODevice::ReadOnly) ? QString::fromUtf8(builtIn.readAll()) : QString();
}

bool ReplaceOnce(QString& text, const QString& from, const QString& to)
{
    if (text.count(from) != 1) {
        return false;
    }
    text.replace(from, to);
    return true;
}

// The program started again in the same folder, so that it reads the layout files there.
void Restart(TestRun& run)
{
    run.state.reset();
    run.state = std::make_unique<Model::RunState>(run.folder.path(), run.ui, &run.network);
}

} // namespace

class TestArticlePage : public QObject
{
    Q_OBJECT

private slots:
    void writesHeaderAndBody()
    {
        TestRun run;
        MakeSinaTask(*run.state, 1);
        run.state->articles.setMark(1, QStringLiteral("●"));
        const QString body = QStringLiteral("<p>正文 <b>第一段</b></p><param VALUE=\"\" /><p>end</p>");
        QCOMPARE(Save(run, SinaPageText(body), 1), PageOutcome::Written);

        const QString expected =
            Declaration +
            QStringLiteral(
                "<title>文章1</title>\r\n<font color=#339933 size=5>文章1</font><br><font color=#993333 "
                "size=3>分类: 随笔<br>日期: 2012-04-2</font><br>原文地址: <a target=_blank "
                "href=http://blog.sina.com.cn/s/blog_1.html>http://blog.sina.com.cn/s/blog_1.html</a>"
                "<hr size=1 color=#C0C0C0><p>正文 <b>第一段</b></p><已替代><p>end</p>\r\n");
        QCOMPARE(ReadBytes(run.path(QStringLiteral("blog/随笔/blog_1.html"))), Text::EncodeLocal(expected));
        QCOMPARE(ReadBytes(run.path(QStringLiteral("TEST.htm"))),
                 Text::EncodeLocal(Declaration + SinaPageText(body) + QStringLiteral("\r\n")));
        QCOMPARE(run.state->articles.mark(1), QStringLiteral("●"));
        QVERIFY(run.state->attemptList.isEmpty());
    }

    void pagesWithoutCategoryOrWithAwkwardNames()
    {
        TestRun run;
        const QString awkward = QStringLiteral("a/b\\c?d:e*f<g>h\"i..j&nbsp;k#l;m+n%o&p q");
        MakeSinaTask(*run.state, 3, [&](int n) { return n == 1 ? QString() : awkward; });
        QCOMPARE(Save(run, SinaPageText(QStringLiteral("没有分类的文章正文，第一篇")), 1),
                 PageOutcome::Written);
        QVERIFY(QFile::exists(run.path(QStringLiteral("blog/blog_1.html"))));
        QCOMPARE(Save(run, SinaPageText(QStringLiteral("名字古怪的分类里的文章正文")), 2),
                 PageOutcome::Written);
        QVERIFY(QFile::exists(run.state->articlePagePath(2)));
        QVERIFY(run.state->articlePagePath(2).startsWith(run.state->taskFolder() + u'/'));

        // A body of 10 MB, and bytes that are no UTF-8 at all.
        QString big = QString(10 * 1024 * 1024, u'字');
        QCOMPARE(Save(run, SinaPageText(big), 3), PageOutcome::Written);
        QVERIFY(QFileInfo(run.state->articlePagePath(3)).size() > 20 * 1024 * 1024);
        const QByteArray garbled = QByteArray("\xff\xfe\x80") + BodyStart.toUtf8() +
                                   QByteArray("\xc3\x28 invalid \xff bytes in the body") + BodyEnd.toUtf8();
        QCOMPARE(Save(run, Text::DecodeBytes(garbled, QStringLiteral("UTF-8")), 3), PageOutcome::Written);
    }

    void retriesThreeTimesThenWritesTheFallbackPage()
    {
        TestRun run;
        MakeSinaTask(*run.state, 2);
        const QString path = run.state->articlePagePath(2);
        const QString broken =
            QStringLiteral("<html>") + BodyStart + QStringLiteral("正文没有结束标记</html>");
        for (int attempt = 1; attempt <= 3; ++attempt) {
            // The fallback page of an earlier run goes, so that the row is fetched again.
            QDir().mkpath(QFileInfo(path).path());
            Text::WriteTextFileAt(path, Render::FallbackPage(*run.state, 2));
            run.state->articles.setMark(2, QStringLiteral("●"));
            QCOMPARE(Save(run, broken, 2), PageOutcome::TryAgain);
            QCOMPARE(run.state->articles.mark(2), QString());
            QVERIFY(!QFile::exists(path));
        }
        run.state->articles.setMark(2, QStringLiteral("●"));
        QCOMPARE(Save(run, broken, 2), PageOutcome::GaveUp);
        QCOMPARE(run.state->articles.mark(2), QStringLiteral("●"));
        QVERIFY(run.state->attemptList.isEmpty());
        // The caller records the failure, then writes the page that points to the web address.
        QVERIFY(!QFile::exists(path));
        QVERIFY(Render::SaveFallbackPage(*run.state, 2));
        const QString fallback =
            Declaration + QStringLiteral("<!-- qvlrx:fallback -->") +
            QStringLiteral(
                "博文已经删除或访问受限或者下载超时，请访问网络地址，如果能正常访问，请删除本文件然后重新下载"
                "。<br><A "
                "target=_blank href=http://blog.sina.com.cn/s/blog_2.html>点击这里打开网络地址</a> <br><br> "
                "--qvlrx博客下载备份工具<br><br> <a href= ") +
            Model::Endpoints::MakerCompanyPage() + QStringLiteral(" >访问官方网站</a> \r\n");
        QCOMPARE(ReadBytes(path), Text::EncodeLocal(fallback));
        QCOMPARE(Model::InspectLocalPage(path), Model::LocalPage::Fallback);

        // Counting starts again: the next hand-over is a first attempt.
        QCOMPARE(Save(run, broken, 2), PageOutcome::TryAgain);

        // A page of the fallback written before it carried its mark is known too.
        Text::WriteTextFileAt(path, QString(fallback).remove(QStringLiteral("<!-- qvlrx:fallback -->")));
        QCOMPARE(Model::InspectLocalPage(path), Model::LocalPage::Fallback);
        Text::WriteTextFileAt(path, QStringLiteral("<title>博文已经删除或访问受限或者下载超时</title>"));
        QCOMPARE(Model::InspectLocalPage(path), Model::LocalPage::Article);
    }

    void noArticleMarkers()
    {
        TestRun run;
        MakeSinaTask(*run.state, 6);
        // The blog's own notice of a closed blog: deleted at once.
        QCOMPARE(Save(run, QStringLiteral("<p>myblog/htmlsource/blog_notopen</p><a>版权所有</a></p>"), 1),
                 PageOutcome::Deleted);
        // The site's footer alone stands on a busy or login page just as well.
        QCOMPARE(Save(run, QStringLiteral("<p>系统繁忙 <a>版权所有</a></p>"), 2), PageOutcome::SiteMarkOnly);
        run.state->task.PlatformCode = Model::Sohu;
        QCOMPARE(Save(run, QStringLiteral("如果地址无误就说明此博客或文章已被删除"), 3),
                 PageOutcome::Deleted);
        // Nothing of the written pages: the caller writes the fallback page once it recorded why.
        for (int row = 1; row <= 3; ++row) {
            QVERIFY(!QFile::exists(run.state->articlePagePath(row)));
        }

        // 39 health has an empty second marker: any page without a body falls back at once, but an
        // empty answer is tried again.
        run.state->task.PlatformCode = Model::Health39;
        QCOMPARE(Save(run, QStringLiteral("<html>服务器忙</html>"), 4), PageOutcome::Bodiless);
        QCOMPARE(Save(run, QStringLiteral("<p>39健康网 版权所有</p>"), 5), PageOutcome::SiteMarkOnly);
        QCOMPARE(Save(run, QString(), 6), PageOutcome::TryAgain);
    }

    // Article pages the real sites served, in the layouts they went over to: the body is cut without
    // the site's header, share bar, QR codes or recommendations; a locked article is recognised.
    void realArticlePages_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<PageOutcome>("outcome");
        QTest::addColumn<QString>("first"); // the body's text begins with this
        QTest::addColumn<QString>("last");  // and ends with this
        QTest::addColumn<int>("images");
        const auto row = [](const char* name, PageOutcome outcome, const QString& first, const QString& last,
                            int images) {
            QTest::newRow(name) << QString::fromUtf8(name) << outcome << first << last << images;
        };
        const PageOutcome written = PageOutcome::Written;
        row("0-sina/blog_4abd5fba0100w2bs.html", written, u"我牛逼的2011年大总结套餐"_s,
            u"2011年12月31日星期六"_s, 0);
        row("3-netease/article-bkdwei-173505304201511685839577.html", written, u"（全文见原文）各层对应"_s,
            u"中继器，集线器、网线、HUB"_s, 0);
        row("3-netease/article-bkdwei-1735053042015116911483.html", written, u"俺素计算机系毕业滴"_s,
            u"为了下一代的诞生，努力呀！"_s, 0);
        row("3-netease/article-bkdwei-173505304201511691445297.html", written, u"把书上的字快速弄到电脑上"_s,
            u"输出的文字一定要校对呀！"_s, 3);
        row("3-netease/article-bkdwei-17350530420151169194232.html", written, u"写字楼里写字间"_s,
            u"哪个归得程序员."_s, 0);
        row("3-netease/article-bkdwei-173505304201511692135401.html", written, u"一些常用的正则表达式"_s,
            u"//匹配url"_s, 0);
        row("3-netease/article-bkdwei-173505304201511692241446.html", written, u"for /f \"delims=\""_s,
            u"$(TargetDir)\\%%i )"_s, 0);
        row("3-netease/article-bkdwei-1735053042015210528237.html", written, u"开始时本无意进行所谓总结"_s,
            u"所控制（在prc）。"_s, 0);
        row("3-netease/article-qiyt72-162078220186104153503.html", written, u"再美的晚霞如果天天见"_s,
            u"更加充满神秘，让人思考。"_s, 5);
        row("3-netease/qiyt72-blog-static-162078220186104153503.html", written, u"再美的晚霞如果天天见"_s,
            u"更加充满神秘，让人思考。"_s, 5);
        row("3-netease/bkdwei-blog-static-17350530420141067580909-locked.html", PageOutcome::Deleted, {}, {},
            0);
        row("3-netease/bkdwei-blog-static-1735053042015231179889.html", written, u"山东移动送1一元话费"_s,
            u"邮政储蓄10话费代金券。"_s, 0);
        row("3-netease/bkdwei-blog-static-17350530420153144228773.html", written, u"1.止损法则"_s,
            u"是逸童教我的，受益匪浅！"_s, 14);
        row("3-netease/bkdwei-blog-static-173505304201543085710642.html", written, u"about:config里"_s,
            u"设置成2。"_s, 0);
        row("3-netease/bkdwei-blog-static-17350530420157824025948.html", written, u"DG8FV-B9TKY-FRT9J"_s,
            u"x14-74070"_s, 0);
        row("3-netease/zwssd1980-blog-static-30296492007623102756345.html", written, u"Wondows平台的游戏"_s,
            u"想不想下载几一个试一下呢？"_s, 15);
        row("3-netease/zwssd1980-blog-static-30296492011291111091.html", written,
            u"Python代码 #!/usr/bin/pytho"_s, u"print filename,'替换成功!';"_s, 0);
        row("3-netease/zwssd1980-blog-static-3029649201129114421409.html", written,
            u"你好，中国政府网络审查部门。"_s, u"我们即将到来。"_s, 0);
        row("16-51cto/u_15214399-5880761.html", written, u"摘要：在 Karmada 最新版本 v1.3中"_s,
            u"点击关注，第一时间了解华为云新鲜技术~"_s, 2);
    }
    void realArticlePages()
    {
        QFETCH(QString, name);
        QFETCH(PageOutcome, outcome);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(int, images);
        REAL_PAGES_OR_SKIP(pages);
        const auto real = std::find_if(pages.begin(), pages.end(),
                                       [&name](const TestSupport::RealPage& p) { return p.name == name; });
        QVERIFY2(real != pages.end(), qPrintable(name));

        TestRun run;
        MakeSinaTask(*run.state, 1);
        run.state->task.PlatformCode = real->platform;
        run.state->task.TaskName =
            real->platform == Model::Cto51 ? QStringLiteral("u_15214399") : QStringLiteral("blog");
        // Decoded as the download does: in the character set the page declares, the profile's otherwise.
        const QString page = Text::DecodePage(real->served, run.state->profile().Charset);
        QCOMPARE(Save(run, page, 1), outcome);
        if (outcome != PageOutcome::Written) {
            return;
        }
        QString body = Text::DecodeLocal(ReadBytes(run.state->articlePagePath(1)));
        body = body.mid(body.indexOf(QStringLiteral("<hr size=1 color=#C0C0C0>")) + 25);
        QCOMPARE(body.count(QStringLiteral("<img"), Qt::CaseInsensitive), images);
        const QString text = VisibleText(body);
        QVERIFY2(text.startsWith(first), qPrintable(text.left(80)));
        QVERIFY2(text.endsWith(last), qPrintable(text.right(80)));
        // None of the site's own furniture.
        for (const QString& chrome : {u"字号"_s, u"分享到"_s, u"扫一扫"_s, u"bitMaxImageGen"_s, u"举报"_s,
                                      u"上一篇"_s, u"著作权归作者所有"_s, u"nbw-blog-start"_s}) {
            QVERIFY2(!body.contains(chrome), qPrintable(chrome));
        }
    }

    // The body of a later layout is the content of one element: nested elements of its name, comments
    // holding its end tag, a look-alike attribute and a page cut off before the end.
    void elementBody_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("body");
        QTest::newRow("nested") << u"<div id=\"result\"><div class=\"a\"><div>x</div></div>y</div></div>"_s
                                << u"<div class=\"a\"><div>x</div></div>y"_s;
        QTest::newRow("comment") << u"<DIV id='result' data-v=0>a<!-- </div> -->b</Div>"_s
                                 << u"a<!-- </div> -->b"_s;
        QTest::newRow("look-alike") << u"<div data-id=\"result\">no</div><div id=result><br/>yes</div>"_s
                                    << u"<br/>yes"_s;
        QTest::newRow("divider") << u"<div id=\"result\"><divider>a</divider><div/>b</div>"_s
                                 << u"<divider>a</divider><div/>b"_s;
        QTest::newRow("cut off") << u"<div id=\"result\"><div>text"_s << u"未找到"_s;
        QTest::newRow("cut in a tag") << u"<div id=\"result\">text<div class=\"x"_s << u"未找到"_s;
        QTest::newRow("absent") << u"<div id=\"other\">text</div>"_s << u"未找到"_s;
    }
    void elementBody()
    {
        QFETCH(QString, page);
        QFETCH(QString, body);
        QCOMPARE(Render::ElementContent(page, u"div"_s, u"id"_s, u"result"_s), body);
    }

    void aPageHoldingTheArticleIsNeverLost()
    {
        TestRun run;
        MakeSinaTask(*run.state, 1);
        run.state->articles.setText(1, Model::ArticleList::LinkColumn,
                                    QStringLiteral("blog_0123456789abcdef.html"));
        const QString path = run.state->articlePagePath(1);
        QCOMPARE(Save(run, SinaPageText(QStringLiteral("<p>早先保存的完整正文</p>")), 1),
                 PageOutcome::Written);
        const QByteArray saved = ReadBytes(path);

        // A retry without body neither deletes it, nor does giving up overwrite it.
        const QString broken = QStringLiteral("<html>") + BodyStart + QStringLiteral("没有结束标记</html>");
        for (int attempt = 1; attempt <= 3; ++attempt) {
            QCOMPARE(Save(run, broken, 1), PageOutcome::TryAgain);
        }
        QCOMPARE(Save(run, broken, 1), PageOutcome::GaveUp);
        QVERIFY(!Render::SaveFallbackPage(*run.state, 1));
        QCOMPARE(ReadBytes(path), saved);

        // Comments wanted but not to be had: the new page is no better than the one there.
        run.state->task.FetchComments = true;
        run.state->http.manager = nullptr;
        QCOMPARE(Save(run, SinaPageText(QStringLiteral("<p>重新下载的正文</p>")), 1),
                 PageOutcome::WrittenWithoutComments);
        QCOMPARE(ReadBytes(path), saved);
    }

    void commentsAreForSinaOnly()
    {
        TestRun run;
        MakeSinaTask(*run.state, 1);
        run.state->task.FetchComments = true;
        run.state->http.manager = nullptr; // no request may be made
        for (const int platform : {int(Model::Baidu), int(Model::Qzone), int(Model::Cto51)}) {
            run.state->task.PlatformCode = platform;
            QCOMPARE(Save(run,
                          QStringLiteral("<p>正文</p>") + run.state->profile().BodyStartMarker +
                              QStringLiteral("<p>这是一篇没有评论的文章正文</p>") +
                              run.state->profile().BodyEndMarker,
                          1),
                     PageOutcome::Written);
            QVERIFY(!ReadPage(run.state->articlePagePath(1))
                         .contains(QStringLiteral("<hr size=1 color=#a0C0C0>")));
        }
        // A Sina row whose link holds no article number fails its comments, not its page.
        run.state->task.PlatformCode = Model::Sina;
        QCOMPARE(Save(run, SinaPageText(QStringLiteral("<p>新浪文章</p>")), 1),
                 PageOutcome::WrittenWithoutComments);
        QVERIFY(QFile::exists(run.state->articlePagePath(1)));
    }

    void bodyLengthAndMarkerPositions_data()
    {
        QTest::addColumn<int>("platform");
        QTest::addColumn<QString>("page");
        QTest::addColumn<PageOutcome>("outcome");
        QTest::newRow("five characters kept")
            << int(Model::Ifeng) << QStringLiteral("abcde") << PageOutcome::Written;
        QTest::newRow("four characters not")
            << int(Model::Ifeng) << QStringLiteral("abcd") << PageOutcome::TryAgain;
        QTest::newRow("end marker at position 1")
            << int(Model::Sina) << BodyEnd + BodyStart + QStringLiteral("0123456789 正文") + BodyEnd
            << PageOutcome::TryAgain;
        QTest::newRow("end marker at position 2")
            << int(Model::Sina) << u' ' + BodyEnd + BodyStart + QStringLiteral("0123456789 正文") + BodyEnd
            << PageOutcome::Written;
        QTest::newRow("end marker only before the start")
            << int(Model::Sina)
            << QStringLiteral("<p>") + BodyEnd + BodyStart + QStringLiteral("0123456789 正文")
            << PageOutcome::TryAgain;
        QTest::newRow("empty body") << int(Model::Sina) << QStringLiteral("<p>") + BodyStart + BodyEnd
                                    << PageOutcome::TryAgain;
    }
    void bodyLengthAndMarkerPositions()
    {
        QFETCH(int, platform);
        QFETCH(QString, page);
        QFETCH(PageOutcome, outcome);
        TestRun run;
        MakeSinaTask(*run.state, 1);
        run.state->task.PlatformCode = platform;
        run.state->articles.setMark(1, QStringLiteral("●"));
        QCOMPARE(Save(run, page, 1), outcome);
        QCOMPARE(QFile::exists(run.state->articlePagePath(1)), outcome == PageOutcome::Written);
        QCOMPARE(run.state->articles.mark(1),
                 outcome == PageOutcome::TryAgain ? QString() : QStringLiteral("●"));
    }

    void ifengScriptIsUnescaped()
    {
        TestRun run;
        MakeSinaTask(*run.state, 1);
        run.state->task.PlatformCode = Model::Ifeng;
        const QString page =
            QStringLiteral("var a={\"message\":\"<p class=\\\"t\\\">\\u4e2d\\u6587<\\/p>\\n<a "
                           "href=\\\"x\\/y\\\">\\tz\\r<\\/a> \\u12\"}");
        QCOMPARE(Save(run, page, 1), PageOutcome::Written);
        const QString written = ReadPage(run.state->articlePagePath(1));
        QVERIFY2(written.endsWith(QStringLiteral("var a={\"message\":\"<p class=\"t\">中文</p>\r\n<a "
                                                 "href=\"x/y\">z</a> \\u12\"}\r\n")),
                 qPrintable(written));
    }

    void cnblogsAndCerspRepairs()
    {
        TestRun run;
        MakeSinaTask(*run.state, 4);
        run.state->task.PlatformCode = Model::Cnblogs;
        QCOMPARE(
            Save(run,
                 QStringLiteral("<div class = \"post\">博客园的正文内容。</div>$ = jQuery.noConflict();"), 1),
            PageOutcome::Written);
        QVERIFY(
            ReadPage(run.state->articlePagePath(1)).endsWith(QStringLiteral("博客园的正文内容。</div>\r\n")));

        // The first education-platform page without the table's end marker switches the markers for
        // this page and every later one.
        run.state->task.PlatformCode = Model::CerspEblog;
        QCOMPARE(Save(run, QStringLiteral("<a>相册</a>新版式的正文，这是第一篇>阅读全文<span id=1>"), 2),
                 PageOutcome::Written);
        QVERIFY(
            ReadPage(run.state->articlePagePath(2)).endsWith(QStringLiteral("新版式的正文，这是第一篇\r\n")));
        QCOMPARE(run.state->profile().BodyStartMarker, QStringLiteral("相册</a>"));
        QCOMPARE(run.state->profile().BodyEndMarker, QStringLiteral(">阅读全文<span id="));
        const QString oldLayout =
            QStringLiteral("<TD>x</TD></STRONG></TD>旧版式的正文内容<td><div align=\"right\">"
                           "<span class=\"textbox-urls\">");
        QCOMPARE(Save(run, oldLayout, 3), PageOutcome::Bodiless);
        QCOMPARE(Save(run, QStringLiteral("相册</A>相册</a>又一篇新版式的正文内容>阅读全文<span id=2"), 4),
                 PageOutcome::Written);
    }

    // Every article page of the real sites in their later layouts: the body is the article alone, from
    // its first words to its last, with its images, and a row listed without a title takes the page's.
    void realPagesOfLaterLayouts_data()
    {
        QTest::addColumn<int>("platform");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("images");
        const auto row = [](const char* file, int platform, const char* title, const char* start,
                            const char* end, int images) {
            QTest::newRow(file) << platform << QString::fromUtf8(title) << QString::fromUtf8(start)
                                << QString::fromUtf8(end) << images;
        };
        const int csdn = Model::Csdn;
        const int cnblogs = Model::Cnblogs;
        row("10-csdn/2403_89110232-article-details-143888439.html", csdn, "git设置多用户配置",
            "# 一、背景作为", "就可以进行拉取和提交代码了**", 5);
        row("10-csdn/article-107096460.html", csdn, "周末学会了 10个超级实用 Javascript 技巧!",
            "众所周知，JavaScript 一直在快速变化。", "代码托管平台GitHub可能要改术语了", 1);
        row("10-csdn/article-129474149.html", csdn, "SolVES模型的生态系统社会价值评估代做",
            "SolVES模型的生态系统社会价值评估代做 1107436458", "某鹅 说明来处", 1);
        row("10-csdn/article-138497415.html", csdn, "为什么 ChatGPT 不火了？", "不火了是有原因的",
            "教程交流： xhd825", 1);
        row("10-csdn/m0_66248056-article-details-142639406.html", csdn, "微积分入门（真的很入门）",
            "前置知识 前置知识", "只能通过计算机模拟。", 10);
        row("10-csdn/moon_sky1999-article-details-52744845.html", csdn, "NOIP2013货车运输",
            "题目来源https://www.luogu.org", "return 0; }", 0);
        // Its <title> is the site's advertising; the article's own heading says "nobug".
        row("10-csdn/qcghdy-article-details-41822655.html", csdn, "nobug", "/* _ooOoo_", "依次从代码中消失*/",
            0);
        row("14-cnblogs/article-18182241.html", cnblogs, "对于Docker和Podman的一点使用经验",
            "前言：本文会以多个实际的线上例子", "轻轻松松进大厂！", 1);
        row("14-cnblogs/dongwanhong-p-13735671.html", cnblogs, "test", "Promise Promise 是一个对象",
            "Promises/A+", 0);
        row("14-cnblogs/wangyang1225-p-16535598.html", cnblogs, "文章内容测试", "前言 cd /data/wwwroot",
            "cnblogsEdit 一般不处理", 40);
        row("14-cnblogs/xu-tao-p-16324793.html", cnblogs, "第十三周作业", "1 2 3 4 5 6 7 8 9 10", "&nbsp; }",
            0);
    }
    void realPagesOfLaterLayouts()
    {
        QFETCH(int, platform);
        QFETCH(QString, title);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(int, images);
        REAL_PAGES_OR_SKIP(pages);
        const QString name = QString::fromUtf8(QTest::currentDataTag());
        const auto page =
            std::find_if(pages.begin(), pages.end(), [&](const auto& p) { return p.name == name; });
        QVERIFY(page != pages.end());

        TestRun run;
        MakeSinaTask(*run.state, 0);
        run.state->task.PlatformCode = platform;
        run.state->addArticleRow(QString(), QStringLiteral("随笔"), QStringLiteral("1.html"),
                                 QStringLiteral("2020"));
        run.state->addArticleRow(QStringLiteral("列表里的标题"), QStringLiteral("随笔"),
                                 QStringLiteral("2.html"), QStringLiteral("2020"));
        run.state->addArticleRow(QString(), QStringLiteral("随笔"), QStringLiteral("3.html"),
                                 QStringLiteral("2020"));
        // A page that ends inside its body is not saved as the whole article.
        const qsizetype bodyStart =
            page->text.indexOf(platform == Model::Csdn ? QStringLiteral("id=\"content_views\"")
                                                       : QStringLiteral("id=\"cnblogs_post_body\""));
        QVERIFY(bodyStart > 0);
        QVERIFY(Save(run, page->text.left(bodyStart + 200), 3) != PageOutcome::Written);
        QVERIFY(!QFile::exists(run.state->articlePagePath(3)));
        QCOMPARE(Save(run, page->text, 1), PageOutcome::Written);
        QCOMPARE(Save(run, page->text, 2), PageOutcome::Written);

        const QString written = ReadPage(run.state->articlePagePath(1));
        QVERIFY2(written.contains(QStringLiteral("<title>") + title + QStringLiteral("</title>")),
                 qPrintable(written.left(300)));
        QVERIFY(
            ReadPage(run.state->articlePagePath(2)).contains(QStringLiteral("<title>列表里的标题</title>")));
        const QString rule = QStringLiteral("<hr size=1 color=#C0C0C0>");
        const QString body = written.mid(written.indexOf(rule) + rule.size());
        const QString text = Text::PlainText(body);
        QVERIFY2(text.startsWith(start), qPrintable(text.left(80)));
        QVERIFY2(text.endsWith(end), qPrintable(text.right(80)));
        QCOMPARE(body.count(QStringLiteral("<img"), Qt::CaseInsensitive), images);
        // Nothing of the site around the article or inside it.
        for (const char* chrome : {"title-article", "cb_post_title_url", "<title", "sharePanel", "toolbar",
                                   "blog_post_info_block", "MySignature", "post_next_prev", "hljs-button",
                                   "登录后复制", "cnblogs-toc-button", "recommend", "qrcode", "二维码"}) {
            QVERIFY2(!body.contains(QString::fromUtf8(chrome), Qt::CaseInsensitive), chrome);
        }
    }

    // A description file in layouts/ beside the program replaces the built-in one without a rebuild:
    // Sina pages with other body markers are read with them, and --layouts names the file.
    void layoutFileBesideTheProgram()
    {
        const QString page =
            QStringLiteral("<html><body><div class=\"post-neu\">换了版式以后依然读得出的文章正文</div><!-- "
                           "post-neu end --></body></html>");
        {
            TestRun run;
            MakeSinaTask(*run.state, 1);
            QVERIFY(Save(run, page, 1) != PageOutcome::Written);
        }
        TestRun run;
        QString sina = BuiltInLayout(QStringLiteral("sina.json"));
        QVERIFY(ReplaceOnce(sina, QStringLiteral("<!-- 正文开始 -->"),
                            QStringLiteral("<div class=\\\"post-neu\\\">")));
        QVERIFY(ReplaceOnce(sina, QStringLiteral("<!-- 正文结束 -->"),
                            QStringLiteral("</div><!-- post-neu end -->")));
        const QString path = run.path(QStringLiteral("layouts/sina.json"));
        TestSupport::WriteBytes(path, sina.toUtf8());
        Restart(run);
        MakeSinaTask(*run.state, 1);
        QCOMPARE(Save(run, page, 1), PageOutcome::Written);
        QVERIFY(TestSupport::ReadPage(run.state->articlePagePath(1))
                    .contains(QStringLiteral("换了版式以后依然读得出的文章正文")));
        QVERIFY(run.ui.listLines().isEmpty());

        const QString listing = Model::LayoutListing();
        QVERIFY2(listing.contains(QStringLiteral("0 新浪（sina.json）：") + path + u'\n'),
                 qPrintable(listing));
        // The layout the program knew first stays the first of a platform; the others stay built in.
        QVERIFY2(
            listing.contains(QStringLiteral("3 网易（netease.json）：内置\n    1. multicntwrap\n    2. ")),
            qPrintable(listing));
        Model::InstallLayouts(QString());
    }

    // A broken description file is refused with its path and field named, in the list box and the
    // status line, and the built-in description is used instead.
    void refusedLayoutFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("field");
        QTest::newRow("no JSON") << u"sina.json"_s << u"\"charset\": \"UTF-8\","_s
                                 << u"\"charset\": \"UTF-8\""_s << u"JSON"_s;
        QTest::newRow("no character set")
            << u"sina.json"_s << u"\"charset\": \"UTF-8\","_s << u""_s << u"charset"_s;
        QTest::newRow("no end marker")
            << u"sina.json"_s << u"\"bodyEnd\": \"<!-- 正文结束 -->\","_s << u""_s << u"layouts[0].bodyEnd"_s;
        QTest::newRow("empty marker") << u"sina.json"_s << u"\"bodyStart\": \"<!-- 正文开始 -->\""_s
                                      << u"\"bodyStart\": \"\""_s << u"layouts[0].bodyStart"_s;
        QTest::newRow("notices not a list")
            << u"netease.json"_s << u"\"notices\": [\"<title>权限错误</title>\"]"_s
            << u"\"notices\": \"<title>权限错误</title>\""_s << u"layouts[1].notices"_s;
        QTest::newRow("pattern does not compile")
            << u"csdn.json"_s << u"\"linkPattern\": \"/article/details/(\\\\d+)\""_s
            << u"\"linkPattern\": \"/article/details/(\\\\d+\""_s << u"layouts[1].rows[0].linkPattern"_s;
        QTest::newRow("pattern matches everything")
            << u"csdn.json"_s
            << u"\"datePattern\": \"\\\\d{4}-\\\\d\\\\d-\\\\d\\\\d \\\\d\\\\d:\\\\d\\\\d(:\\\\d\\\\d)?\""_s
            << u"\"datePattern\": \"\\\\d*\""_s << u"layouts[1].rows[0].datePattern"_s;
        QTest::newRow("category link matches everything")
            << u"cnblogs.json"_s << u"\"categoryLink\": \"/category/\\\\d+\\\\.html$\""_s
            << u"\"categoryLink\": \"x?\""_s << u"layouts[1].categoryLink"_s;
    }

    void refusedLayoutFiles()
    {
        QFETCH(QString, file);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, field);
        TestRun run;
        QString description = BuiltInLayout(file);
        QVERIFY(ReplaceOnce(description, from, to));
        const QString path = run.path(QStringLiteral("layouts/") + file);
        TestSupport::WriteBytes(path, description.toUtf8());
        Restart(run);

        QCOMPARE(run.ui.listLines().size(), 1);
        const QString message = run.ui.listLines().constFirst();
        QVERIFY2(message.contains(path) && message.contains(field), qPrintable(message));
        QCOMPARE(run.ui.status(), message);
        for (int platform = 0; platform < Model::PlatformCount; ++platform) {
            QVERIFY(Model::LayoutDescription(platform).source.startsWith(QStringLiteral(":/layouts/")));
        }
        // What the built-in description reads is read still.
        MakeSinaTask(*run.state, 1);
        QCOMPARE(Save(run, SinaPageText(QStringLiteral("依旧按内置版式读出的文章正文")), 1),
                 PageOutcome::Written);
        QCOMPARE(Render::ReadLaterLayout(Model::Csdn,
                                         QStringLiteral("<div id=\"content_views\"><p>CSDN 正文</p></div>"))
                     ->body,
                 QStringLiteral("<p>CSDN 正文</p>"));
    }

    void failedWritesLeaveNoPage()
    {
        TestRun run;
        MakeSinaTask(*run.state, 3,
                     [](int n) { return n == 3 ? QStringLiteral("被占用") : QStringLiteral("随笔"); });

        // A write cut off part-way (the file size limit stands in for a full disk or a kill).
        const QString page = SinaPageText(QString(64 * 1024, u'长'));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 16 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool threw = Fails(run, page, 1);
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(threw);
        QVERIFY(!QFile::exists(run.state->articlePagePath(1)));
        QCOMPARE(QDir(run.path(QStringLiteral("blog/随笔"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList());

        // The task folder vanished during the download: it is made again.
        QVERIFY(QDir(run.state->taskFolder()).removeRecursively());
        QCOMPARE(Save(run, SinaPageText(QStringLiteral("文件夹被删除以后下载的文章")), 2),
                 PageOutcome::Written);

        // A file stands where the category folder belongs.
        Text::WriteTextFileAt(run.path(QStringLiteral("blog/被占用")), QStringLiteral("a file"));
        QVERIFY_THROWS_EXCEPTION(Text::Failure,
                                 Save(run, SinaPageText(QStringLiteral("无处可放的文章正文")), 3));
        QVERIFY(QFile::exists(run.state->articlePagePath(2)));
    }
};

QTEST_GUILESS_MAIN(TestArticlePage)
#include "test_articlepage.moc"
