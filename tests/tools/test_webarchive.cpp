#include "fakeweb.h"
#include "neteaseblog.h"
#include "sinablog.h"
#include "support/proxyweb.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSet>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTest>
#include <QUrlQuery>

#include <memory>

namespace {

struct Answer
{
    int status = 0;
    QByteArray body;
    QByteArray location;
    QByteArray header(const QByteArray& name) const { return reply->rawHeader(name); }
    std::shared_ptr<QNetworkReply> reply;
};

} // namespace

// The fake web as a web archive: replays of captures, redirects to the nearest capture, missing captures,
// the paged capture index, and the broken answers a client must survive.
class TestWebArchive : public QObject
{
    Q_OBJECT

private:
    Answer get(const QString& url)
    {
        QNetworkRequest request{QUrl::fromEncoded(url.toUtf8())};
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        request.setTransferTimeout(10000);
        Answer a;
        a.reply.reset(m_nam.get(request));
        if (!a.reply->isFinished()) {
            QSignalSpy spy(a.reply.get(), &QNetworkReply::finished);
            spy.wait(10000);
        }
        a.status = a.reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        a.body = a.reply->readAll();
        a.location = a.reply->rawHeader("Location");
        return a;
    }

    QString archive() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.port()); }

    void install(const QString& keys)
    {
        QString error;
        const std::optional<FakeWeb::ArchiveOptions> options = FakeWeb::ArchiveOptions::parse(keys, &error);
        QVERIFY2(options, qPrintable(error));
        FakeWeb::installArchive(m_server, *options);
    }

    // Every original address the index lists for the prefix, read page by page with the resume key.
    QStringList indexed(const QString& base, const QString& prefix, int limit)
    {
        QStringList originals;
        QString resumeKey;
        for (int page = 0; page < 100; ++page) {
            QUrlQuery query;
            query.setQueryItems({{"url", QString::fromLatin1(QUrl::toPercentEncoding(prefix))},
                                 {"matchType", "prefix"},
                                 {"collapse", "urlkey"},
                                 {"filter", "statuscode:200"},
                                 {"output", "json"},
                                 {"limit", QString::number(limit)},
                                 {"showResumeKey", "true"}});
            if (!resumeKey.isEmpty()) {
                query.addQueryItem("resumeKey", QString::fromLatin1(QUrl::toPercentEncoding(resumeKey)));
            }
            const Answer a = get(base + QStringLiteral("/cdx/search/cdx?") + query.query(QUrl::FullyEncoded));
            if (a.status != 200) {
                return {QStringLiteral("status %1").arg(a.status)};
            }
            const QJsonArray rows = QJsonDocument::fromJson(a.body).array();
            resumeKey.clear();
            for (qsizetype i = 1; i < rows.size(); ++i) {
                const QJsonArray row = rows.at(i).toArray();
                if (row.isEmpty()) {
                    resumeKey = rows.at(i + 1).toArray().at(0).toString();
                    break;
                }
                if (row.size() != 7 || row.at(4).toString() != QStringLiteral("200")) {
                    return {QStringLiteral("bad row ") + QString::fromUtf8(QJsonDocument(row).toJson())};
                }
                originals.append(row.at(2).toString());
            }
            if (resumeKey.isEmpty()) {
                return originals;
            }
        }
        return {QStringLiteral("the resume key never ends")};
    }

    TestSupport::ProxyWeb m_server;
    QNetworkAccessManager m_nam;

private slots:
    void init() { m_server.clear(); }

    // A Sina blog with a fifth of its captures missing, its list pages but the first dropped and two
    // capture dates: exact dates replay, others redirect to the nearest, missing ones are the archive's
    // 404, and the index paged with its resume key lists exactly the captured articles.
    void replaysAndIndexesACapturedBlog()
    {
        const FakeWeb::SinaBlog sina(FakeWeb::SinaBlogOptions{.articles = 120, .categories = 2, .images = 1});
        sina.install(m_server);
        const FakeWeb::NeteaseBlog netease(QStringLiteral("neteasefan"), 30, 2);
        netease.install(m_server);
        install(QStringLiteral("missing=0.2,seed=3,dates=20120101000000;20150601120000,"
                               "drop=articlelist_\\d+_\\d+_([2-9]|\\d\\d)\\.html"));

        const QString first = sina.firstPageAddress();
        QCOMPARE(get(archive() + QStringLiteral("/web/20150601120000id_/") + first).status, 200);
        QCOMPARE(get(archive() + QStringLiteral("/web/20150601120000id_/") + sina.allArticlesPageAddress(2))
                     .status,
                 404);

        QSet<QString> held;
        for (const FakeWeb::SinaArticle& article : sina.articles()) {
            const Answer a = get(archive() + QStringLiteral("/web/20120101000000id_/") + article.address());
            QVERIFY2(a.status == 200 || a.status == 404, qPrintable(article.address()));
            if (a.status == 404) {
                QVERIFY(a.body.contains("Hrm. The Wayback Machine has not archived that URL."));
                continue;
            }
            held.insert(article.address());
            if (held.size() == 1) {
                QCOMPARE(a.body, m_server.siteAnswer(article.address()).body);
                QCOMPARE(a.header("Content-Type"), QByteArray("text/html; charset=utf-8"));
                QCOMPARE(a.header("Memento-Datetime"), QByteArray("Sun, 01 Jan 2012 00:00:00 GMT"));
                // The nearest capture, for a full or a short date, an encoded address and the archive's host.
                const QString original = article.address();
                QCOMPARE(get(archive() + QStringLiteral("/web/20140101000000id_/") + original).location,
                         (archive() + QStringLiteral("/web/20150601120000id_/") + original).toUtf8());
                QCOMPARE(get(archive() + QStringLiteral("/web/2011im_/") +
                             QString::fromLatin1(QUrl::toPercentEncoding(original)))
                             .location,
                         (archive() + QStringLiteral("/web/20120101000000im_/") + original).toUtf8());
                QCOMPARE(
                    get(QStringLiteral("http://web.archive.org/web/20150601120000id_/") + original).status,
                    200);
            }
        }
        QVERIFY2(held.size() > 120 * 0.7 && held.size() < 120 * 0.9,
                 qPrintable(QString::number(held.size())));

        const QStringList listed = indexed(archive(), QStringLiteral("blog.sina.com.cn/s/blog_"), 25);
        QCOMPARE(QSet<QString>(listed.cbegin(), listed.cend()), held);
        QCOMPARE(listed.size(), held.size());
        QCOMPARE(indexed(QStringLiteral("http://web.archive.org"),
                         QStringLiteral("http://blog.sina.com.cn/s/blog_*"), 1000),
                 listed);

        // NetEase finds its articles through a service an archive cannot replay: the index must know them.
        QStringList neteaseHeld;
        const QString staticPages = netease.address() + QStringLiteral("static/");
        for (const FakeWeb::PageKit::ListedArticle& article : netease.listedArticles()) {
            const QString address = staticPages + article.link + u'/';
            if (get(archive() + QStringLiteral("/web/20120101000000id_/") + address).status == 200) {
                neteaseHeld.append(address);
            }
        }
        QVERIFY(!neteaseHeld.isEmpty() && neteaseHeld.size() < 30);
        const QStringList neteaseListed = indexed(archive(), staticPages, 7);
        QCOMPARE(QSet<QString>(neteaseListed.cbegin(), neteaseListed.cend()),
                 QSet<QString>(neteaseHeld.cbegin(), neteaseHeld.cend()));
    }

    // Captures of error pages, cut off, looping or in another character set, an index that is no JSON, and
    // bursts of 429.
    void servesTheBadCapturesAClientMustSurvive()
    {
        const FakeWeb::SinaBlog sina(FakeWeb::SinaBlogOptions{.articles = 7, .categories = 1, .login = 1});
        sina.install(m_server);
        const QList<FakeWeb::SinaArticle> articles = sina.articles();
        install(QStringLiteral("dates=20120101,notfound=%1,cut=%2,loop=%3,gone=%4,recode=%5,cdx=broken")
                    .arg(articles.at(0).id, articles.at(1).id, articles.at(2).id, articles.at(3).id,
                         articles.at(5).id));
        FakeWeb::installFault(m_server, QStringLiteral("429x2=3@/web/.*blog_%1").arg(articles.at(4).id));
        const auto replay = [this](const FakeWeb::SinaArticle& a, const QString& date = "20120101000000") {
            return get(archive() + QStringLiteral("/web/") + date + QStringLiteral("id_/") + a.address());
        };

        // The blog shows its articles to the author alone now; the captures were made while it was open.
        QVERIFY(get(articles.at(6).address()).body.contains(FakeWeb::SinaBlog::loginNoticePage().toUtf8()));
        QVERIFY(replay(articles.at(6)).body.contains("正文开始"));

        const Answer notFound = replay(articles.at(0));
        QCOMPARE(notFound.status, 200);
        QVERIFY(notFound.body.contains(FakeWeb::SinaBlog::loginNoticePage().toUtf8()));
        QVERIFY(!notFound.body.contains("正文开始"));

        const QByteArray whole = m_server.siteAnswer(articles.at(1).address()).body;
        const Answer cut = replay(articles.at(1));
        QCOMPARE(cut.status, 200);
        QVERIFY(cut.body.size() < whole.size() && whole.startsWith(cut.body) &&
                !cut.body.contains("</html>"));

        const Answer loopOne = replay(articles.at(2));
        QCOMPARE(loopOne.status, 302);
        const QByteArray other = loopOne.location.mid(loopOne.location.indexOf("/web/") + 5, 14);
        QVERIFY(other != "20120101000000");
        QCOMPARE(replay(articles.at(2), QString::fromLatin1(other)).location,
                 (archive() + QStringLiteral("/web/20120101000000id_/") + articles.at(2).address()).toUtf8());

        const Answer gone = replay(articles.at(3));
        QCOMPARE(gone.status, 200);
        QVERIFY(gone.body.contains("Hrm. The Wayback Machine has not archived that URL."));

        const Answer recoded = replay(articles.at(5));
        QCOMPARE(recoded.header("Content-Type"), QByteArray("text/html; charset=gbk"));
        QStringDecoder gbk("GB18030");
        const QString text = gbk.decode(recoded.body);
        QVERIFY(text.contains(articles.at(5).title) && text.contains(QStringLiteral("charset=gbk")) &&
                !text.contains(QStringLiteral("charset=utf-8")));

        QCOMPARE(replay(articles.at(4)).status, 429);
        QCOMPARE(replay(articles.at(4)).header("Retry-After"), QByteArray("3"));
        QCOMPARE(replay(articles.at(4)).status, 200);

        const QString search =
            archive() + QStringLiteral("/cdx/search/cdx?url=blog.sina.com.cn/s/&matchType=prefix"
                                       "&output=json&limit=3&showResumeKey=true");
        QJsonParseError error;
        QCOMPARE(get(search).status, 200);
        QJsonDocument::fromJson(get(search).body, &error);
        QVERIFY(error.error != QJsonParseError::NoError);

        m_server.clear();
        sina.install(m_server);
        install(QStringLiteral("cdx=truncated"));
        const Answer truncated = get(search);
        QVERIFY(truncated.body.startsWith("[[\"urlkey\""));
        QJsonDocument::fromJson(truncated.body, &error);
        QVERIFY(error.error != QJsonParseError::NoError);

        QString why;
        QVERIFY(!FakeWeb::ArchiveOptions::parse(QStringLiteral("missing=2"), &why));
        QVERIFY(!FakeWeb::ArchiveOptions::parse(QStringLiteral("dates=20121399"), &why));
        const std::optional<FakeWeb::ArchiveOptions> commas =
            FakeWeb::ArchiveOptions::parse(QStringLiteral("drop=a{1,2}b,cdx=none,drop=c"));
        QVERIFY(commas && commas->drop.size() == 2 &&
                commas->drop.first().pattern() == QStringLiteral("a{1,2}b") &&
                commas->index == FakeWeb::ArchiveOptions::Index::None);
    }
};

QTEST_MAIN(TestWebArchive)
#include "test_webarchive.moc"
