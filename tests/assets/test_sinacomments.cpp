#include "assets/assetnames.h"
#include "assets/sinacomments.h"
#include "fakeweb.h"
#include "support/proxyweb.h"
#include "support/testrun.h"
#include "text/failure.h"
#include "text/safefilename.h"

#include <QCoro/QCoroTask>
#include <QTest>

using FakeWeb::Response;

namespace {

const QString Id = QStringLiteral("4b2b2fe00100gk3a"); // 16 characters: user 4b2b2fe0, article 00gk3a
const QString Counter = QStringLiteral("http://comet.blog.sina.com.cn/api/num.php?uid=4b2b2fe0&aids=00gk3a");
const QString WithComments =
    QStringLiteral("<hr size=1 color=#a0C0C0><font color=#339933 size=5>评论:</font>");
const QString WithoutComments =
    QStringLiteral("<hr size=1 color=#a0C0C0><font color=#339933 size=5>本篇无评论</font>");

Response counterReply(const QByteArray& body)
{
    Response response;
    response.body = body;
    response.headers = {{"Content-Type", "application/json; charset=utf-8"}};
    return response;
}

enum class Outcome { Appended, Failure, OtherException };

// waitFor cannot carry an exception out of a coroutine: catch it inside and report what arrived.
QCoro::Task<Outcome> Attempt(Model::RunState& state, int row)
{
    try {
        co_await Assets::AppendSinaComments(state, QStringLiteral("<p>正文</p>"), row);
    } catch (const Text::Failure&) {
        co_return Outcome::Failure;
    } catch (...) {
        co_return Outcome::OtherException;
    }
    co_return Outcome::Appended;
}

} // namespace

class TestSinaComments : public QObject
{
    Q_OBJECT

private:
    TestSupport::ProxyWeb m_server;

    int addSinaRow(TestRun& run, const QString& link)
    {
        run.state->task.PlatformCode = 0;
        run.state->task.TaskName = QStringLiteral("新浪");
        return run.state->addArticleRow(QStringLiteral("标题"), QStringLiteral("随笔 杂谈"), link,
                                        QStringLiteral("2012-05-06 10:00"));
    }

private slots:
    void init() { m_server.clear(); }

    void oneLinkPerFiftyComments_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("pages");
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("50") << 50 << 1;
        QTest::newRow("51") << 51 << 2;
        QTest::newRow("100") << 100 << 2;
        QTest::newRow("101") << 101 << 3;
    }

    void oneLinkPerFiftyComments()
    {
        QFETCH(int, count);
        QFETCH(int, pages);
        m_server.addRoute(
            Counter, counterReply("{\"00gk3a\":{\"c\":" + QByteArray::number(count) + ",\"r\":0,\"z\":0}}"));
        TestRun run;
        const int row = addSinaRow(run, QStringLiteral("blog_") + Id + QStringLiteral(".html"));

        const QString page =
            QCoro::waitFor(Assets::AppendSinaComments(*run.state, QStringLiteral("<p>正文</p>"), row));

        QCOMPARE(m_server.requestLog(), QStringList{QStringLiteral("GET ") + Counter});
        QString expected = QStringLiteral("<p>正文</p>");
        if (pages == 0) {
            expected += WithoutComments;
        } else {
            expected += WithComments;
        }
        QCOMPARE(run.state->assets.jobCount(), pages);
        for (int k = 1; k <= pages; ++k) {
            const QString address = QStringLiteral("http://blog.sina.com.cn/s/comment_") + Id + u'_' +
                                    QString::number(k) + ".html";
            QCOMPARE(run.state->assets.kind(k), 100);
            QCOMPARE(run.state->assets.address(k), address);
            QCOMPARE(run.state->assets.folder(k), QStringLiteral("随笔-杂谈"));
            // The link names the file the fetcher will save.
            const QString name = Assets::LocalAssetName(100, address);
            QCOMPARE(name, Text::SafeFileName(address));
            expected += QStringLiteral("<a href=") + name + QStringLiteral("><b>") + QString::number(k) +
                        QStringLiteral("</b></a>&nbsp;");
        }
        QCOMPARE(page, expected);
    }

    void brokenInputFailsCleanly_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("status");
        QTest::newRow("reply-without-count")
            << QStringLiteral("blog_") + Id + ".html" << QByteArray("{}") << 200;
        QTest::newRow("count-not-a-number")
            << QStringLiteral("blog_") + Id + ".html" << QByteArray("{\"x\":{\"c\":abc,\"r\":0}}") << 200;
        QTest::newRow("counter-unavailable")
            << QStringLiteral("blog_") + Id + ".html" << QByteArray("gone") << 503;
        QTest::newRow("link-without-blog_")
            << QStringLiteral("article_") + Id + ".html" << QByteArray("{}") << 200;
        QTest::newRow("identifier-too-short")
            << QStringLiteral("blog_1234567.html") << QByteArray("{}") << 200;
    }

    void brokenInputFailsCleanly()
    {
        QFETCH(QString, link);
        QFETCH(QByteArray, reply);
        QFETCH(int, status);
        Response response = counterReply(reply);
        response.status = status;
        m_server.addHandler([response](const FakeWeb::Request& request) -> std::optional<Response> {
            if (request.path == QStringLiteral("/api/num.php")) {
                return response;
            }
            return std::nullopt;
        });
        TestRun run;
        const int row = addSinaRow(run, link);

        QCOMPARE(QCoro::waitFor(Attempt(*run.state, row)), Outcome::Failure);
        QCOMPARE(run.state->assets.jobCount(), 0);
    }

    void counterAddressSplitsTheIdentifier()
    {
        QCOMPARE(Assets::CommentCounterAddress(Id), Counter);
        QCOMPARE(Assets::CommentCounterAddress(QStringLiteral("0123456789")),
                 QStringLiteral("http://comet.blog.sina.com.cn/api/num.php?uid=01&aids=456789"));
        QVERIFY_THROWS_EXCEPTION(Text::Failure, Assets::CommentCounterAddress(QStringLiteral("未找到")));
    }

    void formatCommentPageSteps_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("escapes") << QStringLiteral("a\\rb\\nc\\td\\\"e:\\f\\/g<\\/h>")
                                 << QStringLiteral("abcdef/g</h>");
        QTest::newRow("underscores-removed")
            << QStringLiteral("snake_case__name") << QStringLiteral("snakecasename");
        QTest::newRow("list-items-on-new-lines")
            << QStringLiteral("<ul><li>a</li><li>b</li></ul>")
            << QStringLiteral("<ul>\r\n<br><li>a</li>\r\n<br><li>b</li></ul>");
        QTest::newRow("comment-item-any-number")
            << QStringLiteral("<li class=SGjlinedot1 id=cmt123>x</li><li class=SGjlinedot1 id=cmt>y</li>")
            << QStringLiteral("\r\n<br><li>x</li>\r\n<br><li>y</li>");
        QTest::newRow("reply-wrapper")
            << QStringLiteral("{\"code\":\"A00006\",data:\"<div class=\\\"x\\\"><input type=hidden "
                              "value=\\/><\\/div>\"}")
            << QStringLiteral("<div class=x><input type=hidden value=/></div>");
        QTest::newRow("address-repaired")
            << QStringLiteral("<a href=\\\"http:\\/\\/blog.sina.com.cn\\/u\\/1\\\">")
            << QStringLiteral("<a href=http://blog.sina.com.cn/u/1>");
        QTest::newRow("report-link-and-decoration")
            << QStringLiteral(
                   "<table class=SGrevertLeft><tr><td></td></tr></table>"
                   "<span class=SGrevertTit id=nickcmt77>小王</span>"
                   "<span class=SGrevertTime>2012-05-06</span>"
                   "<a id=r77 onclick=commentreport(77) href=javascript:;>[举报]</a>"
                   "<div class=SGrevertCont><div class=SGrevertInner SGtxtb id=bodycmt77>好文</div></div>")
            << QStringLiteral("小王</span>2012-05-06</span>好文</div></div>");
        QTest::newRow("broken-escapes-survive")
            << QStringLiteral("\\u12\\x\\") << QStringLiteral("\\u12\\x\\");
    }

    void formatCommentPageSteps()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        // The page opens with its character set, on a line of its own.
        QCOMPARE(
            Assets::FormatCommentPage(text),
            QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb18030\">\r\n") +
                expected);
    }
};

QTEST_GUILESS_MAIN(TestSinaComments)
#include "test_sinacomments.moc"
