// Local page names and web addresses of articles on every platform.
#include "model/articlenames.h"
#include "model/platformprofile.h"

#include <QTest>

using namespace Model;

class TestArticleNames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void localFileName_data()
    {
        QTest::addColumn<int>("platform");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("expected");
        QTest::newRow("htm at the end") << 0 << "blog_4b1a2c3d0100abcd.html"
                                        << "blog_4b1a2c3d0100abcd.html";
        QTest::newRow("query") << 1 << "item?id=5"
                               << "item_id=5.html";
        QTest::newRow("shtml") << 4 << "entry/123.shtml"
                               << "entry_123.html";
        QTest::newRow("upper-case HTM") << 2 << "a.HTM"
                                        << "a.HTM.html";
        QTest::newRow("htm far from the end") << 10 << "x.htm?page=1234567"
                                              << "x.htm_page=1234567.html";
        QTest::newRow("qzone always html") << int(Qzone) << "1234.htm"
                                           << "1234.htm.html";
        QTest::newRow("number") << int(Csdn) << "7412345"
                                << "7412345.html";
    }
    void localFileName()
    {
        QFETCH(int, platform);
        QFETCH(QString, link);
        QFETCH(QString, expected);
        QCOMPARE(LocalFileName(platform, link), expected);
    }

    void addresses_data()
    {
        QTest::addColumn<int>("platform");
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("pathForm");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("fetch");
        const auto same = [](const char* name, int platform, const char* link, const char* address) {
            QTest::newRow(name) << platform << QString::fromUtf8(link) << false << QString::fromUtf8(address)
                                << QString::fromUtf8(address);
        };
        same("sina", int(Sina), "blog_4b1a.html", "http://blog.sina.com.cn/s/blog_4b1a.html");
        same("baidu", int(Baidu), "abc.html", "http://hi.baidu.com/me/blog/item/abc.html");
        same("hexun", int(Hexun), "123_d.html", "http://me.blog.hexun.com/123_d.html");
        same("netease sub-domain", int(Netease), "static/1", "http://me.blog.163.com/blog/static/static/1\\");
        QTest::newRow("netease path form")
            << int(Netease) << "1234" << true << "http://blog.163.com/me/blog/static/1234\\"
            << "http://blog.163.com/me/blog/static/1234\\";
        same("sohu", int(Sohu), "123.html", "http://me.blog.sohu.com/123.html");
        QTest::newRow("ifeng") << int(Ifeng) << "1234567" << false
                               << "http://blog.ifeng.com/article/1234567.html"
                               << "http://blogfile.ifeng.com/article/567/234567/blog_1234567.js";
        QTest::newRow("qzone") << int(Qzone) << "99" << false << "http://user.qzone.qq.com/me/blog/99"
                               << "http://b.qzone.qq.com/cgi-bin/blognew/blog_output_data?uin=me&blogid=99"
                                  "&styledm=qzonestyle.gtimg.cn&imgdm=qzs.qq.com";
        same("39 health", int(Health39), "a/b.html", "http://blog.39.net/me/a/b.html");
        same("tianya", int(Tianya), "77", "http://blog.tianya.cn/blogger/post_read.asp?BlogID=me&PostID=77");
        same("yaolan", int(Yaolan), "5", "http://space.yaolan.com/me/blog/5");
        same("csdn", int(Csdn), "5", "http://blog.csdn.net/me/article/details/5");
        same("chinaunix", int(ChinaUnix), "uid-1-id-2.html", "http://blog.chinaunix.net/uid-1-id-2.html");
        QTest::newRow("cersp") << int(Cersp) << "42" << false
                               << "http://blog.cersp.com/index/me.jspx?articleId=42"
                               << "http://blog.cersp.com/index/article/view/42.jspx?blogUserId=me";
        same("cersp eblog", int(CerspEblog), "/userlog/1.html", "http://eblog.cersp.com/userlog/1.html");
        same("cnblogs dated", int(Cnblogs), "2012/03/01/1.html",
             "http://www.cnblogs.com/me/archive/2012/03/01/1.html");
        same("cnblogs bare", int(Cnblogs), "1.html", "http://www.cnblogs.com/me/articles/1.html");
        same("cnblogs post", int(Cnblogs), "p/13735671.html", "http://www.cnblogs.com/me/p/13735671.html");
        same("cnblogs post without suffix", int(Cnblogs), "p/18182241",
             "http://www.cnblogs.com/me/p/18182241");
        same("tianya 2", int(Tianya2), "8", "http://blog.tianya.cn/blogger/post_read.asp?BlogID=me&PostID=8");
        same("51cto", int(Cto51), "1/2", "http://me.blog.51cto.com/1/2");
    }
    void addresses()
    {
        QFETCH(int, platform);
        QFETCH(QString, link);
        QFETCH(bool, pathForm);
        QFETCH(QString, display);
        QFETCH(QString, fetch);
        const ArticleKey key{platform, QStringLiteral("me"), link, pathForm};
        QCOMPARE(ArticleAddress(key), display);
        QCOMPARE(ArticleFetchAddress(key), fetch);
    }

    // 51cto accounts named "u_" and a number live under the site's blog host: a host name cannot hold
    // the "_". Other names keep their sub-domain.
    void cto51UserPathAddresses()
    {
        QCOMPARE(ArticleAddress(
                     ArticleKey{int(Cto51), QStringLiteral("u_15214399"), QStringLiteral("5880761"), false}),
                 QStringLiteral("http://blog.51cto.com/u_15214399/5880761"));
        QCOMPARE(ArticleFetchAddress(
                     ArticleKey{int(Cto51), QStringLiteral("u_ser"), QStringLiteral("1/2"), false}),
                 QStringLiteral("http://u_ser.blog.51cto.com/1/2"));
    }

    void unescapeUnicode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one") << "a\\u4e2db"
                             << "a中b";
        QTest::newRow("repeated") << "\\u4e2d\\u4e2d"
                                  << "中中";
        QTest::newRow("upper-case digits") << "\\u4E2D"
                                           << "中";
        QTest::newRow("not hex") << "\\uzzzz\\u4e2d"
                                 << "\\uzzzz中";
        QTest::newRow("cut short") << "x\\u4e"
                                   << "x\\u4e";
        QTest::newRow("escaped backslash stays") << "\\u005cu0041"
                                                 << "\\u0041";
        QTest::newRow("upper-case U") << "\\U4e2d"
                                      << "\\U4e2d";
    }
    void unescapeUnicode()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QString argument = text;
        QCOMPARE(UnescapeUnicode(argument), expected);
        QCOMPARE(argument, expected);
    }
};

QTEST_GUILESS_MAIN(TestArticleNames)
#include "test_articlenames.moc"
