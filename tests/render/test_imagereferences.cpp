#include "assets/assetnames.h"
#include "render/imagereferences.h"
#include "support/realpages.h"
#include "support/testrun.h"
#include "text/safefilename.h"

#include <QRegularExpression>
#include <QTest>

#include <algorithm>

class TestImageReferences : public QObject
{
    Q_OBJECT

private:
    // The queued jobs as "kind|address|folder".
    static QStringList jobs(const Model::RunState& state)
    {
        QStringList list;
        for (int row = 1; row <= state.assets.jobCount(); ++row) {
            list.append(QString::number(state.assets.kind(row)) + u'|' + state.assets.address(row) + u'|' +
                        state.assets.folder(row));
        }
        return list;
    }

private slots:
    void listMatchesPutsEveryTagOnItsOwnLine()
    {
        const QString body = QStringLiteral("<p>a<IMG SRC=\"x.gif\"><img src=\"y.gif\" alt=\"b\"/></p><img>");
        QCOMPARE(Render::ListMatches(QStringLiteral("<img .*>"), body),
                 QStringLiteral("<IMG SRC=\"x.gif\">\r\n<img src=\"y.gif\" alt=\"b\"/>\r\n"));
        QCOMPARE(Render::ListMatches(QStringLiteral("<img .*>"), QStringLiteral("no images")), QString());
        QCOMPARE(Render::ListMatches(QStringLiteral("<img (.*>"), body), QString()); // broken pattern
        QCOMPARE(Render::ListMatches(QStringLiteral("<img .*>"), QString()), QString());
    }

    void rewritesAndQueuesPerPlatform_data()
    {
        QTest::addColumn<int>("platform");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("queued");

        QTest::newRow("sina-placeholder-and-real_src")
            << 0
            << QStringLiteral("<p><img src=\"http://simg.sinajs.cn/blog7style/images/common/sg_trans.gif\" "
                              "real_src =\"http://s1.sinaimg.cn/middle/4b2b&690\" title=\"t\" /></p>")
            << QStringLiteral("<p><img src=\"http___s1.sinaimg.cn_middle_4b2b_690\" "
                              "real_src =\"http___s1.sinaimg.cn_middle_4b2b_690\" title=\"t\" /></p>")
            << QStringList{QStringLiteral("http://s1.sinaimg.cn/middle/4b2b&690")};
        QTest::newRow("hexun-shrink-script")
            << 2
            << QStringLiteral(
                   "<img onload=\"var image=new Image();image.src=this.src;if(image.width>0 && "
                   "image.height>0){if(image.width>=700){this.width=700;this.height=image.height*700/"
                   "image.width;}}\" src=\"http://img.hexun.com/2012/a.jpg\">")
            << QStringLiteral("<img  src=\"http___img.hexun.com_2012_a.jpg\">")
            << QStringList{QStringLiteral("http://img.hexun.com/2012/a.jpg")};
        QTest::newRow("qzone-orgsrc")
            << 6 << QStringLiteral("<img src=\"/ac/b.gif\" orgsrc=\"http://b1.qpic.cn/psb?/x/y.jpg\">")
            << QStringLiteral("<img src=\"http___b1.qpic.cn_psb__x_y.jpg\" orgsrc=\"http___b1.qpic.cn_psb__x_y.jpg\">")
            << QStringList{QStringLiteral("http://b1.qpic.cn/psb?/x/y.jpg")};
        QTest::newRow("tianya2-unquoted")
            << 15
            << QStringLiteral("<img src=http://img.example.cn/p/1.jpg onload=\"javascript:resize(this)\">")
            << QStringLiteral("<img src=http___img.example.cn_p_1.jpg onload=\"javascript:resize(this)\">")
            << QStringList{QStringLiteral("http://img.example.cn/p/1.jpg")};
        QTest::newRow("tianya2-own-host-untouched")
            << 15
            << QStringLiteral("<img src=http://img3.laibafile.cn/p/1.jpg onload=\"javascript:r(this)\">"
                              "<img src=http://img.example.cn/p/2.jpg onload=\"javascript:r(this)\">")
            << QStringLiteral("<img src=http://img3.laibafile.cn/p/1.jpg onload=\"javascript:r(this)\">"
                              "<img src=http://img.example.cn/p/2.jpg onload=\"javascript:r(this)\">")
            << QStringList{};
        QTest::newRow("upper-case-tag")
            << 1 << QStringLiteral("<IMG SRC=\"http://hiphotos.baidu.com/a/b.jpg\">")
            << QStringLiteral("<IMG SRC=\"http___hiphotos.baidu.com_a_b.jpg\">")
            << QStringList{QStringLiteral("http://hiphotos.baidu.com/a/b.jpg")};
        QTest::newRow("short-and-relative-renamed-not-queued")
            << 1 << QStringLiteral("<img src=\"http://a.cn/1.j\"><img src=\"/pic/a.jpg\">")
            << QStringLiteral("<img src=\"http___a.cn_1.j\"><img src=\"_pic_a.jpg\">") << QStringList{};
        QTest::newRow("sixteen-characters-queued") << 1 << QStringLiteral("<img src=\"http://a.cn/12.j\">")
                                                   << QStringLiteral("<img src=\"http___a.cn_12.j\">")
                                                   << QStringList{QStringLiteral("http://a.cn/12.j")};
        QTest::newRow("no-src-unquoted-and-too-short")
            << 1 << QStringLiteral("<img alt=\"x\"><img src=foo.gif><img src=\"ab\">")
            << QStringLiteral("<img alt=\"x\"><img src=foo.gif><img src=\"ab\">") << QStringList{};
        QTest::newRow("data-address")
            << 1 << QStringLiteral("<img src=\"data:image/gif;base64,R0lGOD+/\">")
            << QStringLiteral("<img src=\"data_image_gif_base64,R0lGOD__\">") << QStringList{};
        QTest::newRow("same-address-twice")
            << 1
            << QStringLiteral(
                   "<img src=\"http://p.cn/photo/a.png\"><br><img src=\"http://p.cn/photo/a.png\">")
            << QStringLiteral(
                   "<img src=\"http___p.cn_photo_a.png\"><br><img src=\"http___p.cn_photo_a.png\">")
            << QStringList{QStringLiteral("http://p.cn/photo/a.png"),
                           QStringLiteral("http://p.cn/photo/a.png")};
        QTest::newRow("address-that-begins-another")
            << 1
            << QStringLiteral(
                   "<img src=\"http://p.cn/photo/a.png\"><img src=\"http://p.cn/photo/a.png?w=2\">")
            << QStringLiteral(
                   "<img src=\"http___p.cn_photo_a.png\"><img src=\"http___p.cn_photo_a.png_w=2\">")
            << QStringList{QStringLiteral("http://p.cn/photo/a.png"),
                           QStringLiteral("http://p.cn/photo/a.png?w=2")};
        // Each image is rewritten where it stands and nothing else of the page changes: no attribute after
        // an empty src, no link to the picture, no script that names an address.
        QTest::newRow("empty-src")
            << 3
            << QStringLiteral("<img src=\"\" alt=\"a\"><table cellpadding=\"6\" width=\"100%\"><tr><td "
                              "width=\"100%\">x</td></tr></table><img src=\"http://img.bimg.126.net/a.jpg\" "
                              "width=\"100%\">")
            << QStringLiteral("<img src=\"\" alt=\"a\"><table cellpadding=\"6\" width=\"100%\"><tr><td "
                              "width=\"100%\">x</td></tr></table><img src=\"http___img.bimg.126.net_a.jpg\" "
                              "width=\"100%\">")
            << QStringList{QStringLiteral("http://img.bimg.126.net/a.jpg")};
        QTest::newRow("single-quoted")
            << 16 << QStringLiteral("<img src='https://s2.51cto.com/images/a.png' alt='a'>")
            << QStringLiteral("<img src='https___s2.51cto.com_images_a.png' alt='a'>")
            << QStringList{QStringLiteral("https://s2.51cto.com/images/a.png")};
        QTest::newRow("lazy-data-src-and-srcset")
            << 10
            << QStringLiteral("<img src=\"data:image/gif;base64,R0l\" data-src=\" https://img.csdn.cn/a.png\r\n\" "
                              "srcset=\"https://img.csdn.cn/a.png 1x,https://img.csdn.cn/a@2x.png 2x\">")
            << QStringLiteral("<img src=\"https___img.csdn.cn_a.png\" data-src=\"https___img.csdn.cn_a.png\" "
                              "srcset=\"https___img.csdn.cn_a.png 1x,https___img.csdn.cn_a.png 2x\">")
            << QStringList{QStringLiteral("https://img.csdn.cn/a.png")};
        QTest::newRow("quotes-and-brackets-inside-attributes")
            << 10
            << QStringLiteral("<a href=\"https://img.csdn.cn/b.png\"><img alt=\"a > b\" "
                              "onerror=\"this.src='https://img.csdn.cn/d.png'\" src=\"https://img.csdn.cn/b.png\"></a>")
            << QStringLiteral("<a href=\"https://img.csdn.cn/b.png\"><img alt=\"a > b\" "
                              "onerror=\"this.src='https://img.csdn.cn/d.png'\" src=\"https___img.csdn.cn_b.png\"></a>")
            << QStringList{QStringLiteral("https://img.csdn.cn/b.png")};
        QTest::newRow("markup-inside-scripts")
            << 3
            << QStringLiteral("<script>var t = '<img src=\"' + a + '\">';</script>"
                              "<p>x = \"<img src=\\\"http://img.bimg.126.net/c.jpg\\\">\"</p>")
            << QStringLiteral("<script>var t = '<img src=\"' + a + '\">';</script>"
                              "<p>x = \"<img src=\\\"http://img.bimg.126.net/c.jpg\\\">\"</p>")
            << QStringList{};
        QTest::newRow("cut-off-tag")
            << 1 << QStringLiteral("<img src=\"http://p.cn/photo/a.png\"><img alt=\"x")
            << QStringLiteral("<img src=\"http___p.cn_photo_a.png\"><img alt=\"x")
            << QStringList{QStringLiteral("http://p.cn/photo/a.png")};
    }

    void rewritesAndQueuesPerPlatform()
    {
        QFETCH(int, platform);
        QFETCH(QString, body);
        QFETCH(QString, expected);
        QFETCH(QStringList, queued);

        TestRun run;
        run.state->task.PlatformCode = platform;
        const int row = run.state->addArticleRow(QStringLiteral("标题"), QStringLiteral("旅行 日记"),
                                                 QStringLiteral("blog_1.html"), QStringLiteral("2012-01-01"));
        QCOMPARE(Render::RewriteImages(*run.state, body, row), expected);

        QStringList expectedJobs;
        for (const QString& address : queued) {
            expectedJobs.append(QStringLiteral("1|") + address + QStringLiteral("|旅行-日记"));
        }
        QCOMPARE(jobs(*run.state), expectedJobs);
    }

    // Every page real sites served, rewritten whole: with the image addresses masked, the page is the same
    // to the byte, and each queued image's local name stands in it.
    void realPagesChangeOnlyImageAddresses()
    {
        REAL_PAGES_OR_SKIP(pages);
        static const QRegularExpression address(
            QStringLiteral("(\\b(?:src|real_src|orgsrc|data-src|srcset)\\s*=\\s*)(\"[^\"]*\"|'[^']*'|[^\\s>]*)"),
            QRegularExpression::CaseInsensitiveOption);
        const auto masked = [](QString page) { return page.replace(address, QStringLiteral("\\1~")); };
        int queued = 0;
        for (const TestSupport::RealPage& page : pages) {
            TestRun run;
            run.state->task.PlatformCode = page.platform;
            const int row =
                run.state->addArticleRow(QStringLiteral("t"), QStringLiteral("c"), QStringLiteral("l"), QString());
            const QString rewritten = Render::RewriteImages(*run.state, page.text, row);
            const QString before = masked(page.text);
            const QString after = masked(rewritten);
            qsizetype same = 0;
            while (same < before.size() && same < after.size() && before.at(same) == after.at(same)) {
                ++same;
            }
            QVERIFY2(before == after,
                     qPrintable(page.name + QStringLiteral(": ") + after.mid(std::max<qsizetype>(0, same - 60), 120)));
            for (int job = 1; job <= run.state->assets.jobCount(); ++job) {
                QVERIFY2(rewritten.contains(Assets::LocalImageName(run.state->assets.address(job))),
                         qPrintable(page.name + u' ' + run.state->assets.address(job)));
            }
            queued += run.state->assets.jobCount();
        }
        QVERIFY(queued > 100);
    }

    void longAddressIsCutToTheFetchersName()
    {
        TestRun run;
        run.state->task.PlatformCode = 1;
        run.state->task.TaskName = QStringLiteral("任务");
        const int row =
            run.state->addArticleRow(QStringLiteral("t"), QString(), QStringLiteral("l"), QString());
        const QString address =
            QStringLiteral("http://img.example.cn/") + QString(120, u'p') + QStringLiteral(".jpg");
        const QString body = Render::RewriteImages(
            *run.state, QStringLiteral("<img src=\"") + address + QStringLiteral("\">"), row);

        const QString name = Text::SafeFileName(address).left(100);
        QCOMPARE(body, QStringLiteral("<img src=\"") + name + QStringLiteral("\">"));
        QCOMPARE(run.state->assets.jobCount(), 1);
        QCOMPARE(run.state->assets.folder(1), QString());
        QCOMPARE(Assets::AssetTargetPath(*run.state, 1, address, QString()),
                 run.state->taskFolder() + u'/' + name);
    }
};

QTEST_GUILESS_MAIN(TestImageReferences)
#include "test_imagereferences.moc"
