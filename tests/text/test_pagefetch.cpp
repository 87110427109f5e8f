// Fetching pages through the fake web: character sets, error pages, retries and time limits.
#include "fakeweb.h"
#include "support/proxyweb.h"
#include "support/wait.h"
#include "text/charset.h"
#include "text/failure.h"
#include "text/pagefetch.h"
#include "text/replylimit.h"
#include "text/requeststop.h"

#include <QNetworkAccessManager>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace Text;

class TestPageFetch : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_web;
    QNetworkAccessManager m_network;
    HttpContext m_http;

    QString fetch(const QString& address, const QString& charset)
    {
        return TestSupport::Wait(FetchPage(m_http, address, charset));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_http.manager = &m_network;
        m_http.timeoutMs = 500;
        m_http.untilOkAttempts = 3;
        m_http.untilOkPauseMs = 10;
    }
    void init() { m_web.clear(); }

    void decodesEachCharset()
    {
        m_web.addRoute(QStringLiteral("http://hi.baidu.com/a"),
                       {200, EncodeLocal(QStringLiteral("百度 𠀀"))});
        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/b"), {200, QStringLiteral("新浪").toUtf8()});
        QCOMPARE(fetch(QStringLiteral("http://hi.baidu.com/a"), QStringLiteral("GB2312")),
                 QStringLiteral("百度 𠀀"));
        QCOMPARE(fetch(QStringLiteral("http://blog.sina.com.cn/b"), QStringLiteral("UTF-8")),
                 QStringLiteral("新浪"));
    }

    void errorPagesAreReturnedLikeAnyPage()
    {
        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/gone"), {404, QByteArray("<p>gone</p>")});
        QCOMPARE(fetch(QStringLiteral("http://blog.sina.com.cn/gone"), QStringLiteral("UTF-8")),
                 QStringLiteral("<p>gone</p>"));
    }

    void trailingBackslashIsTheClosingSlash()
    {
        m_web.addRoute(QStringLiteral("http://me.blog.163.com/blog/static/12/"), {200, QByteArray("ok")});
        QCOMPARE(fetch(QStringLiteral("http://me.blog.163.com/blog/static/12\\"), QStringLiteral("GB2312")),
                 QStringLiteral("ok"));
    }

    // What goes out on the request line: the address as written, except what a request line cannot
    // carry, which is percent-escaped (Chinese characters as UTF-8).
    void requestLineKeepsTheAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("delimiters as written")
            << "http://api.blog.163.com/a/b.dwr?c0-param0=number:12&s=$1,2;3!*'()@[]~+/?=x"
            << QByteArray("http://api.blog.163.com/a/b.dwr?c0-param0=number:12&s=$1,2;3!*'()@[]~+/?=x");
        QTest::newRow("escapes as written")
            << "http://blog.tianya.cn/s?k=%D6%D0%CE%C4&p=%2F%26%3D%25%7B%22"
            << QByteArray("http://blog.tianya.cn/s?k=%D6%D0%CE%C4&p=%2F%26%3D%25%7B%22");
        QTest::newRow("characters no request line carries")
            << "http://api.blog.163.com/d?s=${scriptSessionId}187&p=2\"&q=<a b>|^`\\x"
            << QByteArray(
                   "http://api.blog.163.com/d?s=$%7BscriptSessionId%7D187&p=2%22&q=%3Ca%20b%3E%7C%5E%60%5Cx");
        QTest::newRow("Chinese characters")
            << "http://blog.tianya.cn/b?BlogID=未找到"
            << QByteArray("http://blog.tianya.cn/b?BlogID=%E6%9C%AA%E6%89%BE%E5%88%B0");
        QTest::newRow("percent sign without a code")
            << "http://blog.sina.com.cn/s?q=100%&r=%zz"
            << QByteArray("http://blog.sina.com.cn/s?q=100%25&r=%25zz");
    }
    void requestLineKeepsTheAddress()
    {
        QFETCH(QString, address);
        QFETCH(QByteArray, target);
        m_web.addHandler([](const FakeWeb::Request&) { return std::optional(FakeWeb::Response{200, "ok"}); });
        QCOMPARE(fetch(address, QStringLiteral("UTF-8")), QStringLiteral("ok"));
        QCOMPARE(m_web.requests().constLast().target, target);
    }

    void failuresAbortTheCaller()
    {
        FakeWeb::Response silent;
        silent.mode = FakeWeb::Response::Mode::NeverAnswer;
        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/silent"), silent);
        QElapsedTimer clock;
        clock.start();
        QVERIFY_THROWS_EXCEPTION(RequestFailure,
                                 fetch(QStringLiteral("http://blog.sina.com.cn/silent"), "UTF-8"));
        QVERIFY(clock.elapsed() < 5000);
        FakeWeb::Response reset;
        reset.mode = FakeWeb::Response::Mode::Reset;
        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/reset"), reset);
        QVERIFY_THROWS_EXCEPTION(RequestFailure,
                                 fetch(QStringLiteral("http://blog.sina.com.cn/reset"), "UTF-8"));
        // A list page larger than any real one is a failed request, not a full memory.
        FakeWeb::Response huge;
        huge.body = QByteArray(Text::MaxPageBytes + 1, 'x');
        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/huge"), huge);
        QVERIFY_THROWS_EXCEPTION(RequestFailure,
                                 fetch(QStringLiteral("http://blog.sina.com.cn/huge"), "UTF-8"));
        // A body that trickles in without end never falls silent, but its time runs out.
        FakeWeb::Response endless;
        endless.mode = FakeWeb::Response::Mode::Trickle;
        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/endless"), endless);
        m_http.pageTimeLimitMs = 1500;
        clock.restart();
        QVERIFY_THROWS_EXCEPTION(RequestFailure,
                                 fetch(QStringLiteral("http://blog.sina.com.cn/endless"), "UTF-8"));
        QVERIFY(clock.elapsed() >= 1400 && clock.elapsed() < 5000);
        m_http.pageTimeLimitMs = HttpContext().pageTimeLimitMs;

        // No web address is no failed request: asking again would not help, and nothing is sent (nor is
        // a local file read).
        const int sent = m_web.requestCount();
        for (const QString& address :
             {QString(), QStringLiteral("not an address"), QStringLiteral("file:///etc/passwd"),
              QStringLiteral("data:text/html,x")}) {
            bool requestFailure = false;
            QVERIFY_THROWS_EXCEPTION(Failure, [&] {
                try {
                    fetch(address, QStringLiteral("UTF-8"));
                } catch (const RequestFailure&) {
                    requestFailure = true;
                    throw;
                }
            }());
            QVERIFY(!requestFailure);
            QVERIFY_THROWS_EXCEPTION(
                Failure, TestSupport::Wait(FetchPageUntilOk(m_http, address, QStringLiteral("UTF-8"))));
        }
        QCOMPARE(m_web.requestCount(), sent);
    }

    void untilOkRetriesAndGivesUp()
    {
        int calls = 0;
        m_web.addHandler([&calls](const FakeWeb::Request& request) -> std::optional<FakeWeb::Response> {
            if (request.path != QStringLiteral("/flaky")) {
                return std::nullopt;
            }
            ++calls;
            if (calls == 1) {
                return FakeWeb::Response{500, QByteArray("busy")};
            }
            if (calls == 2) {
                return FakeWeb::Response{200, QByteArray()};
            }
            return FakeWeb::Response{200, QByteArray("finally")};
        });
        QCOMPARE(TestSupport::Wait(
                     FetchPageUntilOk(m_http, QStringLiteral("http://blog.sina.com.cn/flaky"), "UTF-8")),
                 QStringLiteral("finally"));
        QCOMPARE(calls, 3);

        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/down"), {503, QByteArray("down")});
        QVERIFY_THROWS_EXCEPTION(RequestFailure,
                                 TestSupport::Wait(FetchPageUntilOk(
                                     m_http, QStringLiteral("http://blog.sina.com.cn/down"), "UTF-8")));
        QCOMPARE(m_web.requestCount(QStringLiteral("http://blog.sina.com.cn/down")), 3);
    }

    // Retries that are called off: no further attempt is made, and a stop that comes in the same turn of
    // the event loop as the end of the pause leaves nothing behind that later resumes the finished fetch.
    void stoppedRetriesEndOnce()
    {
        const QString page = QStringLiteral("http://blog.sina.com.cn/s/articlelist_1_0_2.html");
        m_web.addRoute(page, {404, QByteArray("gone")});
        RequestStop stop;
        HttpContext http = m_http;
        http.stop = &stop;
        http.untilOkPauseMs = 200;
        // The thread is held until the stop and the end of the first pause are both due, so that both
        // come in one turn of the event loop, the stop first.
        QTimer::singleShot(100, &stop, [] { QThread::msleep(400); });
        QTimer::singleShot(150, &stop, &RequestStop::stop);
        QVERIFY_THROWS_EXCEPTION(RequestFailure,
                                 TestSupport::Wait(FetchPageUntilOk(http, page, QStringLiteral("UTF-8"))));
        // What the stop left queued arrives while the stop lives on, as it does for the other pages of a
        // walk that were fetched ahead.
        QTest::qWait(50);
        QCOMPARE(m_web.requestCount(), 1);

        // Stopped before the pause: it ends at once, and a pause of a stop that stays quiet ends in time.
        RequestStop quiet;
        QElapsedTimer clock;
        clock.start();
        TestSupport::Wait(PauseUnlessStopped(stop, 60000));
        TestSupport::Wait(PauseUnlessStopped(quiet, 50));
        QVERIFY(clock.elapsed() >= 45 && clock.elapsed() < 5000);
    }
};

QTEST_GUILESS_MAIN(TestPageFetch)
#include "test_pagefetch.moc"
