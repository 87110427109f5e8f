#include "fakeweb.h"
#include "listpageblogs.h"
#include "support/files.h"
#include "support/proxyweb.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>

using FakeWeb::Response;

namespace {

bool waitFinished(QNetworkReply* reply, int ms = 5000)
{
    if (reply->isFinished())
        return true;
    QSignalSpy spy(reply, &QNetworkReply::finished);
    return spy.wait(ms);
}

int statusOf(QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

} // namespace

class TestFakeWeb : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QNetworkReply> get(const QString& url, int timeoutMs = 0)
    {
        QNetworkRequest request{QUrl(url)};
        if (timeoutMs > 0)
            request.setTransferTimeout(timeoutMs);
        return std::unique_ptr<QNetworkReply>(m_nam.get(request));
    }

    TestSupport::ProxyWeb m_server;
    QNetworkAccessManager m_nam;

private slots:
    void initTestCase() { QVERIFY(m_server.port() != 0); }

    void init() { m_server.clear(); }

    void fixedRoutesAndStatus()
    {
        const QByteArray gb = QStringEncoder("GB18030").encode(QStringLiteral("新浪博客 ● 卷轴"));
        Response page;
        page.body = gb;
        page.headers = {{"Content-Type", "text/html; charset=gb2312"}, {"X-Extra", "yes"}};
        m_server.addRoute(QStringLiteral("http://blog.sina.com.cn/s/blog_1.html"), page);
        Response error;
        error.status = 500;
        error.body = "boom";
        m_server.addRoute(QStringLiteral("http://blog.sina.com.cn/s/error.html"), error);
        // Non-ASCII path and a query in GB2312 percent-encoding, replacing an earlier route.
        m_server.addRoute(QStringLiteral("http://Blog.Sina.com.cn/s/目录.html?tag=%D6%D0"), error);
        m_server.addRoute(QStringLiteral("http://blog.sina.com.cn/s/目录.html?tag=%D6%D0"), page);

        auto ok = get(QStringLiteral("http://blog.sina.com.cn/s/blog_1.html"));
        auto fail = get(QStringLiteral("http://blog.sina.com.cn/s/error.html"));
        auto missing = get(QStringLiteral("http://blog.sina.com.cn/s/blog_1.html?x=1"));
        auto encoded = get(QStringLiteral("http://blog.sina.com.cn/s/目录.html?tag=%D6%D0"));
        for (auto* r : {ok.get(), fail.get(), missing.get(), encoded.get()})
            QVERIFY(waitFinished(r));

        QCOMPARE(ok->error(), QNetworkReply::NoError);
        QCOMPARE(statusOf(ok.get()), 200);
        QCOMPARE(ok->readAll(), gb);
        QCOMPARE(ok->rawHeader("Content-Type"), QByteArray("text/html; charset=gb2312"));
        QCOMPARE(ok->rawHeader("X-Extra"), QByteArray("yes"));

        QCOMPARE(statusOf(fail.get()), 500);
        QCOMPARE(fail->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray(),
                 QByteArray("Internal Server Error"));
        QCOMPARE(fail->readAll(), QByteArray("boom"));

        QCOMPARE(statusOf(missing.get()), 404);
        QCOMPARE(missing->readAll(), QByteArray("not found"));

        QCOMPARE(statusOf(encoded.get()), 200);
        QCOMPARE(encoded->readAll(), gb);

        QCOMPARE(m_server.requestCount(), 4);
        QCOMPARE(m_server.requestCount(QStringLiteral("http://blog.sina.com.cn/s/blog_1.html")), 2);
        QVERIFY(m_server.requestLog().contains(
            QStringLiteral("GET http://blog.sina.com.cn/s/%E7%9B%AE%E5%BD%95.html?tag=%D6%D0")));
    }

    void delayNeverAnswerAndReset()
    {
        Response slow;
        slow.body = "late";
        slow.delayMs = 200;
        m_server.addRoute(QStringLiteral("http://h.test/slow"), slow);
        Response never;
        never.mode = Response::Mode::NeverAnswer;
        m_server.addRoute(QStringLiteral("http://h.test/never"), never);
        Response reset;
        reset.mode = Response::Mode::Reset;
        m_server.addRoute(QStringLiteral("http://h.test/reset"), reset);

        QElapsedTimer clock;
        clock.start();
        auto late = get(QStringLiteral("http://h.test/slow"));
        auto hung = get(QStringLiteral("http://h.test/never"), 300);
        auto broken = get(QStringLiteral("http://h.test/reset"));
        QVERIFY(waitFinished(broken.get()));
        QVERIFY(broken->error() != QNetworkReply::NoError);
        QVERIFY(waitFinished(late.get()));
        QVERIFY(clock.elapsed() >= 190);
        QCOMPARE(late->readAll(), QByteArray("late"));
        QVERIFY(waitFinished(hung.get()));
        QCOMPARE(hung->error(), QNetworkReply::OperationCanceledError); // the transfer timeout
        QVERIFY(clock.elapsed() < 2000);

        // The server stays usable after a reset and an abandoned connection.
        m_server.addRoute(QStringLiteral("http://h.test/after"), Response{200, "fine"});
        auto after = get(QStringLiteral("http://h.test/after"));
        QVERIFY(waitFinished(after.get()));
        QCOMPARE(after->readAll(), QByteArray("fine"));
    }

    // A failing part of the web answers before anything else: the fixed routes of a generated list-page
    // blog as much as the handlers; what no fault matches is served as before.
    void faultsReachEveryRoute()
    {
        const FakeWeb::GeneratedBlog blog =
            FakeWeb::installBaiduBlog(m_server, {QStringLiteral("lanxin"), 30, 10});
        m_server.addHandler([](const FakeWeb::Request& request) -> std::optional<Response> {
            if (request.path == QStringLiteral("/made")) {
                return Response{200, "made"};
            }
            return std::nullopt;
        });
        for (const QString& text :
             {QStringLiteral("500@/lanxin/blog/index/[12]$"), QStringLiteral("reset@/lanxin/blog/item/"),
              QStringLiteral("404@/made$")}) {
            const std::optional<FakeWeb::Fault> fault = FakeWeb::Fault::parse(text);
            QVERIFY(fault);
            FakeWeb::addFault(m_server, *fault);
        }

        auto first = get(blog.address);
        auto second = get(QStringLiteral("http://hi.baidu.com/lanxin/blog/index/1"));
        auto third = get(QStringLiteral("http://hi.baidu.com/lanxin/blog/index/2"));
        auto article = get(blog.articleAddresses.first());
        auto made = get(QStringLiteral("http://h.test/made"));
        for (auto* r : {first.get(), second.get(), third.get(), article.get(), made.get()})
            QVERIFY(waitFinished(r));
        QCOMPARE(statusOf(first.get()), 200);
        QVERIFY(first->readAll().contains("/lanxin/blog/item/"));
        QCOMPARE(statusOf(second.get()), 500);
        QCOMPARE(second->readAll(), QByteArray("500 Internal Server Error"));
        QCOMPARE(statusOf(third.get()), 500);
        QVERIFY(article->error() != QNetworkReply::NoError);
        QCOMPARE(statusOf(article.get()), 0);
        QCOMPARE(statusOf(made.get()), 404);

        // Clearing the server takes its faults too.
        m_server.clear();
        FakeWeb::installBaiduBlog(m_server, {QStringLiteral("lanxin"), 30, 10});
        auto healthy = get(QStringLiteral("http://hi.baidu.com/lanxin/blog/index/1"));
        QVERIFY(waitFinished(healthy.get()));
        QCOMPARE(statusOf(healthy.get()), 200);
    }

    // Bursts and runs of answers: "xN" answers the first N matching requests, ">N" all after the first N,
    // ">NxM" the M after the first N, and "=RETRY" adds a Retry-After of seconds or a date.
    void faultsAnswerBurstsAndRuns()
    {
        m_server.addHandler([](const FakeWeb::Request&) -> std::optional<Response> { return Response{200, "ok"}; });
        for (const QString& text : {QStringLiteral("429x2=7@/burst$"), QStringLiteral("403>1@/later$"),
                                    QStringLiteral("503=date+30@/dated$"), QStringLiteral("429>1x2=4@/middle$")}) {
            const std::optional<FakeWeb::Fault> fault = FakeWeb::Fault::parse(text);
            QVERIFY2(fault, qPrintable(text));
            FakeWeb::addFault(m_server, *fault);
        }
        const auto answers = [this](const QString& url, int times) {
            QList<int> statuses;
            QByteArray retryAfter;
            for (int i = 0; i < times; ++i) {
                auto reply = get(url);
                waitFinished(reply.get());
                statuses.append(statusOf(reply.get()));
                retryAfter = reply->rawHeader("Retry-After");
            }
            return std::make_pair(statuses, retryAfter);
        };
        QCOMPARE(answers(QStringLiteral("http://h.test/burst"), 2), std::make_pair(QList<int>{429, 429}, QByteArray("7")));
        QCOMPARE(answers(QStringLiteral("http://h.test/burst"), 1).first, QList<int>{200});
        QCOMPARE(answers(QStringLiteral("http://h.test/later"), 3).first, (QList<int>{200, 403, 403}));
        QCOMPARE(answers(QStringLiteral("http://h.test/middle"), 4).first, (QList<int>{200, 429, 429, 200}));
        const auto [dated, header] = answers(QStringLiteral("http://h.test/dated"), 1);
        QCOMPARE(dated, QList<int>{503});
        const QDateTime at =
            QLocale::c().toDateTime(QString::fromLatin1(header), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
        QVERIFY2(at.isValid(), header.constData());
        QVERIFY(std::abs(QDateTime::currentDateTimeUtc().secsTo(QDateTime(at.date(), at.time(), Qt::UTC)) - 30) <= 2);
        QVERIFY(!FakeWeb::Fault::parse(QStringLiteral("429x@/a")));
    }

    void handlersAndPost()
    {
        m_server.addRoute(QStringLiteral("http://h.test/fixed"), Response{200, "route"});
        m_server.addHandler([](const FakeWeb::Request& r) -> std::optional<Response> {
            if (r.path.startsWith(QStringLiteral("/fixed")))
                return Response{200, "handler"};
            return std::nullopt;
        });
        m_server.addHandler([](const FakeWeb::Request& r) -> std::optional<Response> {
            return Response{201, r.method + ' ' + r.path.toUtf8() + ' ' + r.query.toUtf8() + ' ' + r.body};
        });

        auto fixed = get(QStringLiteral("http://h.test/fixed"));
        auto fallthrough = get(QStringLiteral("http://h.test/other?a=1&b=2"));
        QNetworkRequest postRequest(QUrl(QStringLiteral("http://h.test/form")));
        postRequest.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        std::unique_ptr<QNetworkReply> post(m_nam.post(postRequest, QByteArray("user=a&pass=b")));
        for (auto* r : {fixed.get(), fallthrough.get(), post.get()})
            QVERIFY(waitFinished(r));

        QCOMPARE(fixed->readAll(), QByteArray("route"));
        QCOMPARE(statusOf(fallthrough.get()), 201);
        QCOMPARE(fallthrough->readAll(), QByteArray("GET /other a=1&b=2 "));
        QCOMPARE(post->readAll(), QByteArray("POST /form  user=a&pass=b"));
        QCOMPARE(m_server.requests().constLast().body, QByteArray("user=a&pass=b"));
    }

    void concurrentRequests()
    {
        for (int i = 0; i < 20; ++i)
            m_server.addRoute(QStringLiteral("http://many.test/p%1").arg(i),
                              Response{200, QByteArray::number(i)});
        std::vector<std::unique_ptr<QNetworkReply>> replies;
        for (int i = 0; i < 20; ++i)
            replies.push_back(get(QStringLiteral("http://many.test/p%1").arg(i)));
        for (int i = 0; i < 20; ++i) {
            QVERIFY(waitFinished(replies[i].get()));
            QCOMPARE(replies[i]->readAll(), QByteArray::number(i));
        }
        QCOMPARE(m_server.requestCount(QStringLiteral("http://many.test/")), 20);
    }

    // Origin-form requests with a Host header, pipelined on one connection: answers keep their order
    // even when the first is delayed, a POST body is read, and "Connection: close" closes.
    void originFormPipelined()
    {
        Response first{200, "first"};
        first.delayMs = 50;
        m_server.addRoute(QStringLiteral("http://example.com/form?x=1"), first);
        m_server.addRoute(QStringLiteral("http://example.com/a"), Response{200, "second"});

        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_server.port());
        QVERIFY(socket.waitForConnected(2000));
        socket.write("POST /form?x=1 HTTP/1.1\r\nHost: Example.com\r\nContent-Length: 5\r\n\r\nhello"
                     "GET /a HTTP/1.1\r\nHost: example.com\r\nConnection: close\r\n\r\n");
        QSignalSpy closed(&socket, &QTcpSocket::disconnected);
        QVERIFY(closed.wait(3000));
        const QByteArray answer = socket.readAll();
        QVERIFY(answer.startsWith("HTTP/1.1 200 OK\r\n"));
        QVERIFY(answer.indexOf("first") < answer.indexOf("second"));
        QVERIFY(answer.contains("Connection: close\r\n"));
        QVERIFY(answer.endsWith("second"));
        QCOMPARE(m_server.requestLog(), QStringList({QStringLiteral("POST http://example.com/form?x=1"),
                                                     QStringLiteral("GET http://example.com/a")}));
        QCOMPARE(m_server.requests().constFirst().body, QByteArray("hello"));
    }

    void fixturesFolder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray gb = QStringEncoder("GB18030").encode(QStringLiteral("文章"));
        TestSupport::WriteBytes(dir.filePath("blog.sina.com.cn/s/blog_1.html"), gb);
        TestSupport::WriteBytes(dir.filePath("blog.sina.com.cn/s/list.php%3Fpage=2&uid=7"), "page two");
        TestSupport::WriteBytes(dir.filePath("blog.sina.com.cn/s/list.php%3Fpage=2&uid=7.meta"),
                                "status: 404\ndelay: 10\nheader: Content-Type: text/plain; charset=gbk\n");
        TestSupport::WriteBytes(dir.filePath("blog.sina.com.cn/old.meta"),
                                "status: 301\nheader: Location: http://blog.sina.com.cn/s/blog_1.html\n");
        TestSupport::WriteBytes(dir.filePath("blog.sina.com.cn/s/%3F"), "folder");
        // A relative folder, as given on a command line.
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(dir.path() + QStringLiteral("/.."));
        const bool loaded = FakeWeb::loadFixtures(m_server, QFileInfo(dir.path()).fileName());
        QDir::setCurrent(cwd);
        QVERIFY(loaded);

        auto article = get(QStringLiteral("http://blog.sina.com.cn/s/blog_1.html"));
        auto listed = get(QStringLiteral("http://blog.sina.com.cn/s/list.php?page=2&uid=7"));
        auto moved = get(QStringLiteral("http://blog.sina.com.cn/old"));
        auto folder = get(QStringLiteral("http://blog.sina.com.cn/s/"));
        for (auto* r : {article.get(), listed.get(), moved.get(), folder.get()})
            QVERIFY(waitFinished(r));
        QCOMPARE(article->readAll(), gb);
        QCOMPARE(article->rawHeader("Content-Type"), QByteArray("text/html"));
        QCOMPARE(statusOf(listed.get()), 404);
        QCOMPARE(listed->readAll(), QByteArray("page two"));
        QCOMPARE(listed->rawHeader("Content-Type"), QByteArray("text/plain; charset=gbk"));
        QCOMPARE(moved->url(), QUrl(QStringLiteral("http://blog.sina.com.cn/s/blog_1.html")));
        QCOMPARE(moved->readAll(), gb);
        QCOMPARE(folder->readAll(), QByteArray("folder"));

        QTemporaryDir bad;
        TestSupport::WriteBytes(bad.filePath("h.test/x.html"), "x");
        TestSupport::WriteBytes(bad.filePath("h.test/x.html.meta"), "colour: blue\n");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot understand"));
        QVERIFY(!FakeWeb::loadFixtures(m_server, bad.path()));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no fixtures folder"));
        QVERIFY(!FakeWeb::loadFixtures(m_server, bad.filePath("missing")));
    }
};

QTEST_MAIN(TestFakeWeb)
#include "test_fakeweb.moc"
