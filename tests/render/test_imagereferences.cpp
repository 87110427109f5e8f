#include "assets/assetnames.h"
#include "render/imagereferences.h"
#include "support/testrun.h"
#include "text/safefilename.h"

#include <QTest>

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
            << QStringLiteral("<p><img  src=\"http___s1.sinaimg.cn_middle_4b2b_690\" title=\"t\" /></p>")
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
            << QStringLiteral("<img  src=\"http___b1.qpic.cn_psb__x_y.jpg\">")
            << QStringList{QStringLiteral("http://b1.qpic.cn/psb?/x/y.jpg")};
        QTest::newRow("tianya2-unquoted")
            << 15
            << QStringLiteral("<img src=http://img.example.cn/p/1.jpg onload=\"javascript:resize(this)\">")
            << QStringLiteral(
                   "<img src=\"http___img.example.cn_p_1.jpg\" onload=\"javascript:resize(this)\">")
            << QStringList{QStringLiteral("http://img.example.cn/p/1.jpg")};
        QTest::newRow("tianya2-own-host-untouched")
            << 15
            << QStringLiteral("<img src=http://img3.laibafile.cn/p/1.jpg onload=\"javascript:r(this)\">"
                              "<img src=http://img.example.cn/p/2.jpg onload=\"javascript:r(this)\">")
            << QStringLiteral("<img src=\"http://img3.laibafile.cn/p/1.jpg\" onload=\"javascript:r(this)\">"
                              "<img src=\"http://img.example.cn/p/2.jpg\" onload=\"javascript:r(this)\">")
            << QStringList{};
        QTest::newRow("upper-case-tag")
            << 1 << QStringLiteral("<IMG SRC=\"http://hiphotos.baidu.com/a/b.jpg\">")
            << QStringLiteral("<IMG src=\"http___hiphotos.baidu.com_a_b.jpg\">")
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
