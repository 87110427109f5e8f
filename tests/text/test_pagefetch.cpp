// Fetching pages through the fake web: character sets, error pages, retries and time limits.
#include "fakeweb.h"
#include "support/proxyweb.h"
#include "support/deadproxies.h"
#include "support/wait.h"
#include "text/charset.h"
#include "text/cookiefile.h"
#include "text/failure.h"
#include "text/logincookies.h"
#include "text/networkfailure.h"
#include "text/pagefetch.h"
#include "text/redirectguard.h"
#include "text/replylimit.h"
#include "text/requeststop.h"
#include "text/retryafter.h"
#include "text/sitegate.h"

#include <QFile>
#include <QHostInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

namespace {

// The peak memory of this process so far, in MB.
qint64 PeakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
        }
    }
    return 0;
}

// A certificate for the host names (and its key) that openssl makes in the folder, as name.crt and name.key.
bool MakeCertificate(const QString& folder, const QString& name, const QString& hosts)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                   QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=") + name, QStringLiteral("-addext"), QStringLiteral("subjectAltName=") + hosts,
                   QStringLiteral("-keyout"), folder + u'/' + name + QStringLiteral(".key"), QStringLiteral("-out"),
                   folder + u'/' + name + QStringLiteral(".crt")});
    return openssl.waitForFinished(30000) && openssl.exitCode() == 0;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

using namespace Text;

Q_DECLARE_METATYPE(QList<FakeWeb::Response>)

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
        // An answer that asks to wait is one attempt here, as any other failing answer.
        m_http.gates->policy.retriesPerItem = 0;
        m_http.gates->policy.shortestWaitMs = 10;
        m_http.gates->policy.fallbackWaitMs = 10;
        m_http.gates->policy.waitsInARow = 1000;
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

        // The character set the answer names outweighs the one the platform is known for.
        m_web.addRoute(QStringLiteral("http://blog.51cto.com/u_1/2"),
                       {200, QByteArray("caf\xe9"), {{"Content-Type", "text/html; charset=ISO-8859-1"}}});
        QCOMPARE(fetch(QStringLiteral("http://blog.51cto.com/u_1/2"), QStringLiteral("UTF-8")),
                 QStringLiteral("café"));
        QCOMPARE(TestSupport::Wait(FetchPageUntilOk(m_http, QStringLiteral("http://blog.51cto.com/u_1/2"),
                                                    QStringLiteral("GB2312"))),
                 QStringLiteral("café"));
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

    // The cookies of a user's cookie file go only to the hosts and paths they name, and only while they
    // last; lines that are no cookie, and cookies for a public suffix, which every site would get, are
    // never sent anywhere.
    void cookieFileCookiesGoOnlyWhereTheyBelong()
    {
        QByteArray file = "# Netscape HTTP Cookie File\r\n"
                          "\r\n"
                          ".sina.com.cn\tTRUE\t/\tFALSE\t0\tSUB\tlogin\r\n"
                          "#HttpOnly_.sina.com.cn\tTRUE\t/\tFALSE\t0\tHO\t1\r\n"
                          "blog.sina.com.cn\tFALSE\t/s/\tFALSE\t0\tPATHED\t1\r\n"
                          "blog.sina.com.cn\tFALSE\t/\tFALSE\t0\tHOSTONLY\t1\r\n"
                          ".sina.com.cn\tTRUE\t/\tTRUE\t0\tSECURE\t1\r\n"
                          ".sina.com.cn\tTRUE\t/\tFALSE\t1000000000\tOLD\t1\r\n"
                          ".sina.com.cn\tTRUE\t/\tFALSE\t99999999999\tFAR\t1\r\n"
                          ".sina.com.cn\tTRUE\t/\tFALSE\t99999999999999999999999\tFARTHER\t1\r\n"
                          ".163.com\tTRUE\t/\tFALSE\t0\tNETEASE\t1\n"
                          ".com.cn\tTRUE\t/\tFALSE\t0\tSUFFIX\t1\r\n"
                          "com.cn\tFALSE\t/\tFALSE\t0\tSUFFIXHOST\t1\r\n"
                          ".com\tTRUE\t/\tFALSE\t0\tCOM\t1\r\n"
                          ".\tTRUE\t/\tFALSE\t0\tDOT\t1\r\n"
                          "\tTRUE\t/\tFALSE\t0\tNODOMAIN\t1\r\n"
                          ".sina.com.cn\tTRUE\t/\r\n"
                          ".sina.com.cn\tTRUE\t/\tFALSE\tsoon\tBADEXPIRY\t1\r\n"
                          ".sina.com.cn\tTRUE\t/\tFALSE\t0\tSPLIT\tx;INJECTED=1\r\n";
        QByteArray binary = "?sina.com.cn\tTRUE\t/\tFALSE\t0\t\x01\xff\t\x80\r\n";
        binary[0] = '\0';
        file += binary;
        file += ".sina.com.cn\tTRUE\t/\tFALSE\t0\tHUGE\t" + QByteArray(MaxCookieBytes, 'x') + "\r\n";
        const CookieFile cookies = ParseCookieFile(file, QDateTime::currentDateTimeUtc());
        QCOMPARE(cookies.skipped, 11);

        QNetworkAccessManager network;
        HttpContext http;
        http.manager = &network;
        http.timeoutMs = 2000;
        UseLoginCookies(network, cookies.cookies);
        auto sent = [&](const QString& address) {
            m_web.addRoute(address, {200, QByteArray("ok")});
            TestSupport::Wait(FetchAnswer(http, address));
            QStringList names;
            for (const QByteArray& piece : m_web.requests().constLast().header("Cookie").split(';')) {
                if (!piece.trimmed().isEmpty()) {
                    names << QString::fromLatin1(piece.trimmed().split('=').first());
                }
            }
            names.sort();
            return names;
        };
        const QStringList everySinaHost{"FAR", "FARTHER", "HO", "SUB"};
        QCOMPARE(sent(QStringLiteral("http://blog.sina.com.cn/s/blog_1.html")),
                 QStringList({"FAR", "FARTHER", "HO", "HOSTONLY", "PATHED", "SUB"}));
        QCOMPARE(sent(QStringLiteral("http://blog.sina.com.cn/other.html")),
                 QStringList({"FAR", "FARTHER", "HO", "HOSTONLY", "SUB"}));
        QCOMPARE(sent(QStringLiteral("http://comet.blog.sina.com.cn/api/num.php?uid=1")), everySinaHost);
        QCOMPARE(sent(QStringLiteral("http://me.blog.163.com/blog/")), QStringList{"NETEASE"});
        QCOMPARE(sent(QStringLiteral("http://blog.sohu.com.cn/")), QStringList());
        QCOMPARE(sent(QStringLiteral("http://www.cnblogs.com/")), QStringList());

        // An empty file and one of nothing but bytes are no cookies, and no harm.
        QCOMPARE(ParseCookieFile({}, QDateTime::currentDateTimeUtc()).cookies.size(), 0);
        const CookieFile bytes = ParseCookieFile(QByteArray(70000, '\x00') + QByteArray(5000, '\xff'),
                                                 QDateTime::currentDateTimeUtc());
        QCOMPARE(bytes.cookies.size(), 0);
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
        QString why;
        try {
            TestSupport::Wait(
                FetchPageUntilOk(m_http, QStringLiteral("http://blog.sina.com.cn/down"), "UTF-8"));
        } catch (const RequestFailure& failure) {
            why = failure.message();
        }
        QVERIFY2(why.contains(QStringLiteral("HTTP 503 服务暂时不可用")), qPrintable(why));
        QCOMPARE(m_web.requestCount(QStringLiteral("http://blog.sina.com.cn/down")), 3);
    }

    // What the user reads of a failed request names what happened, never a bare number.
    void failuresAreNamedInWords()
    {
        QCOMPARE(Text::HttpStatusWords(404), QStringLiteral("HTTP 404 未找到"));
        QCOMPARE(Text::HttpStatusWords(418), QStringLiteral("HTTP 418 请求被拒绝"));
        QCOMPARE(Text::NetworkErrorWords(QNetworkReply::ConnectionRefusedError,
                                         QStringLiteral("Connection refused")),
                 QStringLiteral("连接被拒绝（Connection refused）"));
        QCOMPARE(Text::NetworkErrorWords(QNetworkReply::OperationCanceledError,
                                         QStringLiteral("Operation canceled")),
                 QStringLiteral("超时"));
        // A body that cannot be unpacked, whatever number the layer gives it, and its cut-off description.
        QCOMPARE(Text::NetworkErrorWords(QNetworkReply::UnknownContentError,
                                         QStringLiteral("Decompression failed: ")),
                 QStringLiteral("内容解压失败（Decompression failed）"));
        QCOMPARE(Text::NetworkErrorWords(299), QStringLiteral("网络错误"));

        FakeWeb::Response reset;
        reset.mode = FakeWeb::Response::Mode::Reset;
        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/reset"), reset);
        QString why;
        try {
            fetch(QStringLiteral("http://blog.sina.com.cn/reset"), "UTF-8");
        } catch (const RequestFailure& failure) {
            why = failure.message();
        }
        QVERIFY2(why.startsWith(QStringLiteral("http://blog.sina.com.cn/reset：服务器中途断开了连接")),
                 qPrintable(why));
    }

    // A page that must be answered: only a 2xx answer (or, where asked, a 404 or 410) is the page; any
    // other answer is tried again, and giving up names the address and why in words.
    void answeredPageTakesOnlyASuccess_data()
    {
        QTest::addColumn<QList<FakeWeb::Response>>("answers"); // in turn; the last one repeats
        QTest::addColumn<bool>("goneIsAnswer");
        QTest::addColumn<int>("requests"); // at least, for a reset: the network layer may send it again
        QTest::addColumn<QString>("page");   // when one is returned
        QTest::addColumn<QString>("reason"); // the start of the failure's reason, else empty
        using Mode = FakeWeb::Response::Mode;
        const FakeWeb::Response reset{200, {}, {}, 0, Mode::Reset};
        QTest::newRow("empty 200") << QList<FakeWeb::Response>{{200, QByteArray()}} << false << 1 << QString()
                                   << QString();
        QTest::newRow("500 once") << QList<FakeWeb::Response>{{500, QByteArray("busy")},
                                                              {200, QByteArray("list")}}
                                  << false << 2 << QStringLiteral("list") << QString();
        QTest::newRow("500 always") << QList<FakeWeb::Response>{{500, QByteArray("busy")}} << false << 3
                                    << QString() << QStringLiteral("服务器答复HTTP 500 服务器内部错误，已尝试3次");
        QTest::newRow("reset always")
            << QList<FakeWeb::Response>{reset} << false << 3 << QString() << QStringLiteral("请求失败（");
        QTest::newRow("404 fails") << QList<FakeWeb::Response>{{404, QByteArray("gone")}} << false << 3
                                   << QString() << QStringLiteral("服务器答复HTTP 404 未找到，已尝试3次");
        QTest::newRow("404 is the answer") << QList<FakeWeb::Response>{{404, QByteArray("gone")}} << true << 1
                                           << QStringLiteral("gone") << QString();
        QTest::newRow("500 is not, also where 404 is")
            << QList<FakeWeb::Response>{{502, QByteArray("x")}} << true << 3 << QString()
            << QStringLiteral("服务器答复HTTP 502");
    }
    void answeredPageTakesOnlyASuccess()
    {
        QFETCH(QList<FakeWeb::Response>, answers);
        QFETCH(bool, goneIsAnswer);
        QFETCH(int, requests);
        QFETCH(QString, page);
        QFETCH(QString, reason);
        const QString address = QStringLiteral("http://hi.baidu.com/a/blog/index/3");
        int calls = 0;
        m_web.addHandler([&](const FakeWeb::Request&) -> std::optional<FakeWeb::Response> {
            return answers.at(std::min<qsizetype>(calls++, answers.size() - 1));
        });
        const WhenGone gone = goneIsAnswer ? WhenGone::IsAnswer : WhenGone::Fails;
        try {
            QCOMPARE(TestSupport::Wait(FetchPageAnswered(m_http, address, QStringLiteral("UTF-8"), gone)),
                     page);
            QVERIFY(reason.isEmpty());
        } catch (const RequestFailure& failure) {
            QVERIFY2(!reason.isEmpty(), qPrintable(failure.message()));
            QCOMPARE(failure.address(), address);
            QVERIFY2(failure.reason().startsWith(reason), qPrintable(failure.reason()));
        }
        if (answers.last().mode == FakeWeb::Response::Mode::Reset) {
            QVERIFY2(calls >= requests, qPrintable(QString::number(calls)));
        } else {
            QCOMPARE(calls, requests);
        }
    }

    // A redirect goes only where the page belongs: never to the local machine or a private network,
    // never to a file, never round in circles, and a login page is named as such. Nothing is asked of
    // the address it leads to.
    void refusesRedirectsThatLeadAstray_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("loopback") << QStringLiteral("http://127.0.0.1:%1/secret") << QStringLiteral("重定向到内网地址");
        QTest::newRow("private") << QStringLiteral("http://192.168.1.10/secret") << QStringLiteral("重定向到内网地址");
        QTest::newRow("link-local") << QStringLiteral("http://169.254.169.254/secret") << QStringLiteral("重定向到内网地址");
        QTest::newRow("ipv6 loopback") << QStringLiteral("http://[::1]/secret") << QStringLiteral("重定向到内网地址");
        QTest::newRow("localhost") << QStringLiteral("http://localhost/secret") << QStringLiteral("重定向到内网地址");
        QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << QStringLiteral("重定向到非网页地址");
        QTest::newRow("login") << QStringLiteral("http://login.sina.com.cn/sso/x?secret") << QStringLiteral("需要登录");
        QTest::newRow("loop") << QStringLiteral("http://blog.sina.com.cn/hop") << QStringLiteral("重定向循环");
    }

    void refusesRedirectsThatLeadAstray()
    {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        const QString start = QStringLiteral("http://blog.sina.com.cn/start");
        const auto redirect = [](const QString& to) {
            return FakeWeb::Response{302, QByteArray("moved"), {{"Location", to.toUtf8()}}};
        };
        m_web.addRoute(start, redirect(target.contains(QLatin1String("%1")) ? target.arg(m_web.port()) : target));
        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/hop"), redirect(start));
        m_web.addHandler([](const FakeWeb::Request& request) -> std::optional<FakeWeb::Response> {
            if (request.url.contains(QLatin1String("secret"))) {
                return FakeWeb::Response{200, QByteArray("the other server")};
            }
            return std::nullopt;
        });
        try {
            fetch(start, QStringLiteral("UTF-8"));
            QFAIL("the redirect was followed");
        } catch (const RequestFailure& failure) {
            QFAIL(qPrintable(QStringLiteral("asked again: ") + failure.message()));
        } catch (const Failure& failure) {
            QVERIFY2(failure.message().contains(reason), qPrintable(failure.message()));
        }
        for (const QString& line : m_web.requestLog()) {
            QVERIFY2(!line.contains(QLatin1String("secret")), qPrintable(line));
        }
        QVERIFY(m_web.requestCount(start) <= 2);
    }

    // A name is looked up before it is followed where the program connects itself: the machine's own
    // name resolves to an address of the local network.
    void refusesANameOfTheLocalNetwork()
    {
        const QString name = QHostInfo::localHostName();
        const QHostInfo local = QHostInfo::fromName(name);
        if (name.isEmpty() || local.addresses().isEmpty() ||
            ResolvedRefusal(name, local.addresses()).isEmpty()) {
            QSKIP("this machine's name does not resolve to a local address");
        }
        // The blog goes through the fake web; the name it redirects to would be reached directly.
        class OnlyTheBlogProxied : public QNetworkProxyFactory
        {
        public:
            explicit OnlyTheBlogProxied(quint16 port) : m_port(port) {}
            QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override
            {
                if (query.url().host() == QLatin1String("blog.sina.com.cn")) {
                    return {QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), m_port)};
                }
                return {QNetworkProxy(QNetworkProxy::NoProxy)};
            }

        private:
            quint16 m_port;
        };
        QNetworkAccessManager network;
        network.setProxyFactory(new OnlyTheBlogProxied(m_web.port()));
        HttpContext http = m_http;
        http.manager = &network;
        const QString start = QStringLiteral("http://blog.sina.com.cn/to-a-name");
        m_web.addRoute(
            start,
            {302,
             QByteArray(),
             {{"Location", QStringLiteral("http://%1:%2/secret").arg(name).arg(m_web.port()).toUtf8()}}});
        try {
            TestSupport::Wait(FetchPage(http, start, "UTF-8"));
            QFAIL("the redirect was followed");
        } catch (const Failure& failure) {
            QVERIFY2(failure.message().contains(QStringLiteral("重定向到内网地址")),
                     qPrintable(failure.message()));
        }
    }

    void followsRedirectsWithinReach()
    {
        // A list page may move to another site; its pages and images stay on their own.
        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/moved"),
                       {301, QByteArray(), {{"Location", "http://blog.example.com/here"}}});
        m_web.addRoute(QStringLiteral("http://blog.example.com/here"), {200, QByteArray("arrived")});
        QCOMPARE(fetch(QStringLiteral("http://blog.sina.com.cn/moved"), "UTF-8"), QStringLiteral("arrived"));

        const auto refusal = [](const char* from, const char* to) {
            return RedirectRefusal(QUrl(QString::fromLatin1(from)), QUrl(QString::fromLatin1(to)),
                                   RedirectReach::SameSite);
        };
        QCOMPARE(refusal("http://blog.sina.com.cn/s/a.html", "https://blog.sina.com.cn/s/a.html"), QString());
        QCOMPARE(refusal("http://s1.sinaimg.cn/a.jpg", "http://s9.sinaimg.cn/b.jpg"), QString());
        QCOMPARE(refusal("http://blog.sina.com.cn/a", "http://news.sina.com.cn/a"), QString());
        QVERIFY(refusal("http://blog.sina.com.cn/a", "http://sina.com.cn.evil.com/a").contains(QStringLiteral("其他网站")));
        QVERIFY(refusal("http://blog.sina.com.cn/a", "http://evil.com.cn/a").contains(QStringLiteral("其他网站")));
        QVERIFY(refusal("https://blog.sina.com.cn/a", "http://blog.sina.com.cn/a").contains(QStringLiteral("不加密")));
        // A blog on the local network may lead within it.
        QCOMPARE(refusal("http://192.168.1.2/a", "http://192.168.1.2/b"), QString());
        QVERIFY(!refusal("http://blog.sina.com.cn/", "http://[fd00::1]/").isEmpty());
        QVERIFY(!refusal("http://blog.sina.com.cn/", "http://[::ffff:10.0.0.1]/").isEmpty());
    }

    // A head that never ends fails in words, as the first request of a run too (which is not taken for
    // a silent network), and what it takes meanwhile stays small (the network layer keeps every byte of
    // a head it has not seen end).
    void endlessHeadFailsInWords()
    {
        FakeWeb::Response flood;
        flood.mode = FakeWeb::Response::Mode::HeaderFlood;
        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/flood"), flood);
        for (const bool first : {false, true}) {
            HttpContext http;
            http.manager = &m_network;
            http.reach->answered = !first;
            const qint64 before = PeakMemoryMb();
            QElapsedTimer clock;
            clock.start();
            try {
                TestSupport::Wait(FetchPage(http, QStringLiteral("http://blog.sina.com.cn/flood"), "UTF-8"));
                QFAIL("the flood was taken for a page");
            } catch (const RequestFailure& failure) {
                QVERIFY2(failure.message().contains(QStringLiteral("响应头")), qPrintable(failure.message()));
            }
            // Ended by its size, long before the head's time runs out.
            QVERIFY2(clock.elapsed() < 6000, qPrintable(QString::number(clock.elapsed())));
            const qint64 grown = PeakMemoryMb() - before;
            qInfo("peak memory grew by %lld MB during %lld ms of header flood", grown, clock.elapsed());
#ifndef __SANITIZE_ADDRESS__ // the sanitizer keeps freed memory aside: its peak says nothing of the program's
            QVERIFY2(grown < 24, qPrintable(QString::number(grown)));
#endif
        }
    }

    // A proxy that refuses or stays silent is named with its address and the system's error, at once
    // rather than after every attempt and time limit.
    void namesAProxyThatCannotBeReached()
    {
        TestSupport::DeadProxies proxies;
        QVERIFY(proxies.open());
        const quint16 closedPort = proxies.refusingPort;
        for (const quint16 port : {closedPort, proxies.silent.serverPort()}) {
            QNetworkAccessManager network;
            network.setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), port));
            HttpContext http;
            http.manager = &network;
            http.firstAnswerMs = 1000;
            http.untilOkPauseMs = 1000;
            QElapsedTimer clock;
            clock.start();
            QVERIFY_THROWS_EXCEPTION(RequestFailure,
                                     TestSupport::Wait(FetchPageUntilOk(
                                         http, QStringLiteral("http://blog.sina.com.cn/"), "UTF-8")));
            QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
            const QString why = http.reach->unreachable;
            QVERIFY2(why.contains(QStringLiteral("代理服务器127.0.0.1:%1").arg(port)), qPrintable(why));
            QVERIFY2(why.contains(port == closedPort ? QStringLiteral("refused") : QStringLiteral("没有回应")),
                     qPrintable(why));
        }
    }

    void retryAfterTakesSecondsAndDates_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<bool>("given");
        QTest::addColumn<qint64>("waitMs");
        QTest::newRow("seconds") << QByteArray(" 5 ") << true << qint64(5000);
        QTest::newRow("zero") << QByteArray("0") << true << qint64(0);
        QTest::newRow("days") << QByteArray("172800") << true << qint64(MaxSiteWaitMs);
        QTest::newRow("more digits than a number") << QByteArray("99999999999999999999999") << true
                                                   << qint64(MaxSiteWaitMs);
        QTest::newRow("negative") << QByteArray("-5") << false << qint64(0);
        QTest::newRow("garbage") << QByteArray("soon, please") << false << qint64(0);
        QTest::newRow("fraction") << QByteArray("1.5") << false << qint64(0);
        QTest::newRow("missing") << QByteArray() << false << qint64(0);
        QTest::newRow("date") << QByteArray("Thu, 10 Dec 2026 07:00:30 GMT") << true << qint64(30000);
        QTest::newRow("date of RFC 850") << QByteArray("Thursday, 10-Dec-26 07:01:00 GMT") << true << qint64(60000);
        QTest::newRow("date of asctime") << QByteArray("Thu Dec 10 07:00:05 2026") << true << qint64(5000);
        QTest::newRow("date gone by") << QByteArray("Thu, 10 Dec 2026 06:59:00 GMT") << true << qint64(-60000);
        QTest::newRow("date next year") << QByteArray("Fri, 10 Dec 2027 07:00:00 GMT") << true
                                        << qint64(MaxSiteWaitMs);
        QTest::newRow("no date") << QByteArray("Thu, 99 Foo 2026 07:00:00 GMT") << false << qint64(0);
    }
    void retryAfterTakesSecondsAndDates()
    {
        QFETCH(QByteArray, header);
        QFETCH(bool, given);
        QFETCH(qint64, waitMs);
        const QDateTime now(QDate(2026, 12, 10), QTime(7, 0), Qt::UTC);
        const std::optional<qint64> wait = RetryAfterMs(header, now);
        QCOMPARE(wait.has_value(), given);
        if (given) {
            QCOMPARE(*wait, waitMs);
        }
    }

    // A site that asks to wait holds every request to it, and it alone, for the time it asks (within
    // bounds), and says so once; a site that keeps asking, or keeps refusing after its pauses, is asked no
    // more, and every request to it fails at once, naming why.
    void sitesAskingToWaitAreWaitedFor()
    {
        SiteGates gates;
        gates.policy.retriesPerItem = 2;
        gates.policy.shortestWaitMs = 5;
        QStringList told;
        gates.notify = [&told](const QString& text) { told.append(text); };
        const QString site = QStringLiteral("sina.com.cn");
        const QString other = QStringLiteral("example.com");

        SiteGates::Verdict verdict = gates.answered(site, 429, "2", 0);
        QVERIFY(verdict.again);
        QVERIFY(gates.msUntilOpen(site) > 1500 && gates.msUntilOpen(site) <= 2000);
        QCOMPARE(gates.msUntilOpen(other), 0);
        QCOMPARE(told, QStringList{QStringLiteral("网站要求稍候，2秒后继续（sina.com.cn）")});
        // Answers to requests that were under way belong to the same wait; the longest wait counts.
        QVERIFY(gates.answered(site, 503, "1", 1).again);
        QCOMPARE(told.size(), 1);
        verdict = gates.answered(site, 429, "700", 2);
        QVERIFY(!verdict.again);
        QVERIFY2(verdict.failure.contains(QStringLiteral("HTTP 429")), qPrintable(verdict.failure));
        QVERIFY(gates.msUntilOpen(site) > 500 * 1000 && gates.msUntilOpen(site) <= MaxSiteWaitMs);
        QVERIFY(gates.waitText().startsWith(QStringLiteral("网站要求稍候，600秒后继续")));

        // Waits in a row close a site; any other answer between them starts the count anew.
        gates.policy.waitsInARow = 2;
        for (int i = 0; i < 2; ++i) {
            QVERIFY(gates.answered(other, 429, "0", 0).again);
            QTest::qWait(10);
            gates.answered(other, 200, {}, 0);
        }
        QVERIFY(gates.closedReason(other).isEmpty());
        for (int i = 0; i < 3; ++i) {
            verdict = gates.answered(other, 429, "0", 0);
            QTest::qWait(10);
        }
        QVERIFY(!verdict.again);
        QVERIFY2(verdict.failure.startsWith(QStringLiteral("网站一直要求稍候")), qPrintable(verdict.failure));
        QVERIFY_THROWS_EXCEPTION(RequestFailure, TestSupport::Wait(EnterSite(gates, other, nullptr)));

        // Refusals in a row pause a site once, told once; refusals that still come close it.
        const QString refusing = QStringLiteral("163.com");
        gates.policy.refusalsInARow = 3;
        gates.policy.refusalPauseMs = 40;
        gates.policy.refusalPauses = 1;
        gates.answered(refusing, 403, {}, 0);
        gates.answered(refusing, 403, {}, 0);
        gates.answered(refusing, 200, {}, 0);
        gates.answered(refusing, 403, {}, 0);
        gates.answered(refusing, 403, {}, 0);
        QCOMPARE(gates.msUntilOpen(refusing), 0);
        told.clear();
        for (int i = 0; i < 5; ++i) {
            gates.answered(refusing, 403, {}, 0);
        }
        QVERIFY(gates.msUntilOpen(refusing) > 0);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.at(0).startsWith(QStringLiteral("网站连续拒绝访问（HTTP 403 禁止访问），暂停1秒后继续")),
                 qPrintable(told.at(0)));
        QElapsedTimer clock;
        clock.start();
        const SiteTicket entered = TestSupport::Wait(EnterSite(gates, refusing, nullptr));
        QVERIFY(clock.elapsed() >= 20);
        QVERIFY(gates.closedReason(refusing).isEmpty());
        for (int i = 0; i < 3; ++i) {
            gates.answered(refusing, 403, {}, 0);
        }
        QVERIFY(gates.closedReason(refusing).startsWith(QStringLiteral("网站一直拒绝访问")));
    }

    // A fetch waits for its site: the answer that asks to wait is asked again after it, and a request
    // rate spaces the requests to one site.
    void fetchesWaitForTheirSite()
    {
        HttpContext http = m_http;
        http.gates = std::make_shared<SiteGates>();
        http.gates->policy.shortestWaitMs = 5;
        FakeWeb::addFault(m_web, *FakeWeb::Fault::parse(QStringLiteral("429x2=1@/busy")));
        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/busy"), {200, QByteArray("served")});
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(TestSupport::Wait(FetchPage(http, QStringLiteral("http://blog.sina.com.cn/busy"), "UTF-8")),
                 QStringLiteral("served"));
        QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(m_web.requestCount(QStringLiteral("http://blog.sina.com.cn/busy")), 3);

        http.gates->policy.requestsPerSecond = 20;
        m_web.addRoute(QStringLiteral("http://blog.sina.com.cn/calm"), {200, QByteArray("calm")});
        clock.restart();
        for (int i = 0; i < 5; ++i) {
            TestSupport::Wait(FetchPage(http, QStringLiteral("http://blog.sina.com.cn/calm"), "UTF-8"));
        }
        QVERIFY2(clock.elapsed() >= 190, qPrintable(QString::number(clock.elapsed())));

        // Connections: a request that ends, however it ends, gives its connection back.
        SiteGates& gates = *http.gates;
        gates.policy.requestsPerSecond = 0;
        gates.policy.connectionsPerSite = 2;
        const QString site = QStringLiteral("archive.org");
        {
            SiteTicket first = gates.started(site);
            SiteTicket second = gates.started(site);
            QVERIFY(gates.msUntilOpen(site) > 0);
            SiteTicket moved = std::move(first);
            first = std::move(moved);
            QVERIFY(gates.msUntilOpen(site) > 0);
            second.release();
            QCOMPARE(gates.msUntilOpen(site), 0);
            second = gates.started(site);
        }
        QCOMPARE(gates.msUntilOpen(site), 0);
    }

    // https: a site whose certificate is trusted is fetched, also after a redirect from its http address,
    // which keeps the rest of the address; a certificate that is not trusted, or names another site,
    // fails the fetch with the problem named, and is never passed over.
    void fetchesHttpsAndNamesCertificateProblems()
    {
        QVERIFY2(QSslSocket::supportsSsl(), "the network layer has no TLS");
        QTemporaryDir folder;
        QVERIFY(MakeCertificate(folder.path(), QStringLiteral("trusted"),
                                QStringLiteral("DNS:blog.example.com,DNS:*.example.com")));
        QVERIFY(MakeCertificate(folder.path(), QStringLiteral("stranger"), QStringLiteral("DNS:blog.example.com")));
        QVERIFY(MakeCertificate(folder.path(), QStringLiteral("elsewhere"), QStringLiteral("DNS:other.example.org")));
        const auto certificate = [&](const QString& name) {
            return QSslCertificate(ReadAll(folder.filePath(name + QStringLiteral(".crt"))), QSsl::Pem);
        };
        const auto key = [&](const QString& name) {
            return QSslKey(ReadAll(folder.filePath(name + QStringLiteral(".key"))), QSsl::Rsa, QSsl::Pem);
        };
        QSslConfiguration trust = QSslConfiguration::defaultConfiguration();
        trust.addCaCertificate(certificate(QStringLiteral("trusted")));
        trust.addCaCertificate(certificate(QStringLiteral("elsewhere")));
        QSslConfiguration::setDefaultConfiguration(trust);

        m_web.setTls(certificate(QStringLiteral("trusted")), key(QStringLiteral("trusted")));
        m_web.addRoute(QStringLiteral("https://blog.example.com/s/a.html?x=1"), {200, QByteArray("secure")});
        QCOMPARE(fetch(QStringLiteral("https://blog.example.com/s/a.html?x=1"), "UTF-8"), QStringLiteral("secure"));
        m_web.addRoute(QStringLiteral("http://blog.example.com/s/b.html?id=3"),
                       {301, QByteArray(), {{"Location", "https://blog.example.com/s/b.html?id=3"}}});
        m_web.addRoute(QStringLiteral("https://blog.example.com/s/b.html?id=3"), {200, QByteArray("moved")});
        QCOMPARE(fetch(QStringLiteral("http://blog.example.com/s/b.html?id=3"), "UTF-8"), QStringLiteral("moved"));

        const QList<QPair<QString, QString>> problems{{QStringLiteral("stranger"), QStringLiteral("证书不受信任")},
                                                      {QStringLiteral("elsewhere"), QStringLiteral("证书与网站名称不符")}};
        for (const auto& [name, words] : problems) {
            m_web.setTls(certificate(name), key(name));
            m_network.clearConnectionCache();
            m_web.clearLog();
            QString why;
            try {
                TestSupport::Wait(
                    FetchPageUntilOk(m_http, QStringLiteral("https://blog.example.com/s/a.html?x=1"), "UTF-8"));
            } catch (const Failure& failure) {
                why = failure.message();
            }
            QVERIFY2(why.contains(words), qPrintable(name + QStringLiteral(": ") + why));
            // Asking again meets the same certificate: the tunnel was asked for once.
            QCOMPARE(m_web.requestCount(), 1);
        }
        m_web.setTls(QSslCertificate(), QSslKey());
        m_network.clearConnectionCache();
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
