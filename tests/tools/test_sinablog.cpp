#include "assets/sinacomments.h"
#include "fakeweb.h"
#include "model/articlenames.h"
#include "render/imagereferences.h"
#include "sinablog.h"
#include "support/proxyweb.h"
#include "support/testrun.h"
#include "support/wait.h"
#include "text/matching.h"
#include "text/pagefetch.h"

#include <QTest>

using FakeWeb::SinaBlog;
using FakeWeb::SinaBlogOptions;

class TestSinaBlog : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_server;

    Text::HttpAnswer get(TestRun& run, const QString& address)
    {
        return TestSupport::Wait(Text::FetchAnswer(run.state->http, address));
    }

private slots:
    void init() { m_server.clear(); }

    void options()
    {
        QString error;
        const std::optional<SinaBlogOptions> parsed = SinaBlogOptions::parse(
            QStringLiteral(
                "user=42,articles=1000,categories=5,uncategorised=3,favourites=20,images=2,comments=3"),
            &error);
        QVERIFY(parsed);
        QCOMPARE(parsed->user, 42u);
        QCOMPARE(parsed->articles, 1000);
        QCOMPARE(parsed->uncategorised, 3);
        QCOMPARE(parsed->comments, 3);
        QVERIFY(SinaBlogOptions::parse(QString()));
        QVERIFY(!SinaBlogOptions::parse(QStringLiteral("articles=many"), &error));
        QVERIFY(error.contains(QStringLiteral("articles")));
        QVERIFY(!SinaBlogOptions::parse(QStringLiteral("colour=3"), &error));
        QVERIFY(!SinaBlogOptions::parse(QStringLiteral("user=0")));
    }

    void blogIsDeterministic()
    {
        const SinaBlogOptions options{.articles = 60, .uncategorised = 4, .favourites = 7};
        const SinaBlog a(options);
        const SinaBlog b(options);
        QCOMPARE(a.expectedRows(), b.expectedRows());
        QCOMPARE(a.expectedRows().size(), 67);
        QCOMPARE(a.favourites().size(), 7);
        QSet<QString> ids;
        for (const FakeWeb::SinaArticle& article : a.articles()) {
            QCOMPARE(article.id.size(), 16);
            QVERIFY(article.id.startsWith(QStringLiteral("499602d201")));
            ids.insert(article.id);
        }
        QCOMPARE(ids.size(), 60);
    }

    void articlePagesImagesAndComments()
    {
        const SinaBlog blog({.articles = 60, .images = 2, .comments = 55});
        blog.install(m_server);
        TestRun run;
        const FakeWeb::SinaArticle& article = blog.articles().at(53); // 53 comments: two pages

        // The article page: the body between the markers, its images in Sina's form.
        const Text::HttpAnswer page = get(run, article.address());
        QCOMPARE(page.status, 200);
        const QString html = QString::fromUtf8(page.body);
        const QString body = Text::TextBetween(html, QStringLiteral("<!-- 正文开始 -->"),
                                               QStringLiteral("<!-- 正文结束 -->"), 10);
        QCOMPARE(body, blog.articleBody(53));
        QVERIFY(body.contains(article.title));
        const QStringList images = blog.imageAddresses(53);
        QCOMPARE(images.size(), 2);
        QVERIFY(body.contains(QStringLiteral("<img src=\"http://simg.sinajs.cn/blog7style/images/common/"
                                             "sg_trans.gif\" real_src=\"") +
                              images.at(0) + u'"'));

        // The images: a PNG and a JPEG, the same bytes on every request.
        const Text::HttpAnswer png = get(run, images.at(0));
        QCOMPARE(png.status, 200);
        QVERIFY(png.body.startsWith("\x89PNG\r\n\x1a\n"));
        QCOMPARE(png.body, blog.imageBytes(images.at(0)));
        const Text::HttpAnswer jpeg = get(run, images.at(1));
        QVERIFY(jpeg.body.startsWith("\xff\xd8") && jpeg.body.endsWith("\xff\xd9"));
        QCOMPARE(get(run, images.at(1)).body, jpeg.body);
        QVERIFY(jpeg.body != blog.imageBytes(blog.imageAddresses(52).at(1)));

        // The counter: the count between :{"c": and ,"r":.
        QCOMPARE(blog.commentCounterAddress(53),
                 QStringLiteral("http://comet.blog.sina.com.cn/api/num.php?uid=") + article.id.left(8) +
                     QStringLiteral("&aids=") + article.id.right(6));
        const QString counter = QString::fromLatin1(get(run, blog.commentCounterAddress(53)).body);
        QCOMPARE(Text::TextBetween(counter, Text::HashToQuote(QStringLiteral(":{#c#:")),
                                   Text::HashToQuote(QStringLiteral(",#r#:")), 0),
                 QStringLiteral("53"));

        // The comment pages: 50 comments, then 3, as escaped script.
        QCOMPARE(blog.commentPageCount(53), 2);
        QCOMPARE(blog.commentPageCount(0), 0);
        for (int k = 1; k <= 2; ++k) {
            const Text::HttpAnswer reply = get(run, blog.commentPageAddress(53, k));
            QCOMPARE(reply.status, 200);
            QCOMPARE(reply.body, blog.commentPageReply(53, k));
            QString text = QString::fromLatin1(reply.body);
            QVERIFY(text.startsWith(QStringLiteral("{\"code\":\"A00006\",data:\"")));
            QVERIFY(text.endsWith(QStringLiteral("type=\\\"hidden\\\" value=\\\"\\\"\\/><\\/div>\"}")));
            QCOMPARE(text.count(QStringLiteral("<li class=\\\"SGjlinedot1\\\" id=\\\"cmt")), k == 1 ? 50 : 3);
            Model::UnescapeUnicode(text);
            QVERIFY(text.contains(QStringLiteral("[举报]")));
            QVERIFY(text.contains(QStringLiteral("读者") + QString::number(k == 1 ? 50 : 53)));
        }

        // Addresses of no article are left to others.
        QCOMPARE(get(run, QStringLiteral("http://blog.sina.com.cn/s/blog_0000000000000000.html")).status,
                 404);
    }

    // The generated pages are what the download side expects of Sina: image tags it rewrites, a counter it
    // reads, comment replies it turns into a list.
    void pagesFitTheDownloadSide()
    {
        const SinaBlog blog({.articles = 60, .images = 2, .comments = 55});
        blog.install(m_server);
        TestRun run;
        const FakeWeb::SinaArticle& article = blog.articles().at(53);
        run.state->task.FetchImages = true;
        run.state->addArticleRow(article.title, article.category, article.link(), article.date);

        const QString body = Render::RewriteImages(*run.state, blog.articleBody(53), 1);
        QCOMPARE(run.state->assets.jobCount(), 2);
        QCOMPARE(run.state->assets.address(1), blog.imageAddresses(53).at(0));
        QCOMPARE(run.state->assets.address(2), blog.imageAddresses(53).at(1));
        QVERIFY(!body.contains(QStringLiteral("sg_trans.gif")));

        const QString block = TestSupport::Wait(Assets::AppendSinaComments(*run.state, QString(), 1));
        QVERIFY(block.contains(QStringLiteral("评论:")));
        QCOMPARE(run.state->assets.jobCount(), 4);
        QCOMPARE(run.state->assets.address(4), blog.commentPageAddress(53, 2));

        QString reply = QString::fromLatin1(blog.commentPageReply(53, 2));
        Model::UnescapeUnicode(reply);
        const QString list = Assets::FormatCommentPage(reply);
        QCOMPARE(list.count(QStringLiteral("<br><li>")), 3);
        QVERIFY(list.contains(
            QStringLiteral("<a href=http://blog.sina.com.cn/u/2000000051 target=blank>读者51</a>")));
        QVERIFY(!list.contains(QStringLiteral("举报")));
        QVERIFY(!list.contains(u'\\'));
    }
};

QTEST_GUILESS_MAIN(TestSinaBlog)
#include "test_sinablog.moc"
