#include "discovery/finders.h"
#include "support/foundrows.h"
#include "support/proxyweb.h"
#include "support/realpages.h"
#include "support/testrun.h"

#include "fakeweb.h"
#include "neteaseblog.h"
#include "qzoneblog.h"

#include <QRegularExpression>
#include <QTest>

#include <algorithm>

using FakeWeb::PageKit::textPage;
using namespace Qt::StringLiterals;

namespace {

const QString QzoneService = QStringLiteral("http://b.qzone.qq.com/cgi-bin/blognew/");
const QString NeteaseApi = QStringLiteral("http://api.blog.163.com/");

// One title-list entry of the zone's service, as the reply writes it.
QString QzoneEntry(const QString& id, const QString& title, const QString& date, const QString& category)
{
    return QStringLiteral("<li><span id=\\\"blogtitle_") + id + QStringLiteral("\\\">") + title +
           QStringLiteral("</span><span>发表于<span>") + date +
           QStringLiteral("</span></span><a onclick=\\\"ListManager.selectCategory(\\'") + category +
           QStringLiteral("\\',\\'QZBlog\\')\\\">x</a></li>\n");
}

// One entry of NetEase's list service.
QString NeteaseEntry(const QString& permalink, const QString& title, const QString& category)
{
    return QStringLiteral("s1.className=\"") + category +
           QStringLiteral("\";s1.classId=\"c\";s1.commentCount=0;") + QStringLiteral("s1.content=\"") +
           QString(2100, u'x') + QStringLiteral("\";s1.permalink=\"blog/static/") + permalink +
           QStringLiteral("\";s1.photoIds=null;s1.shortPublishDateStr=\"2012-03-01\";") +
           QStringLiteral("s1.synchMiniBlog=false;s1.title=\"") + title +
           QStringLiteral("\";s1.trackbackCount=0;s1.trackbackUrl=\"\";\n");
}

// The values of a query key over the logged requests that start with prefix.
QStringList QueryValues(const FakeWeb::Server& server, const QString& prefix, const QString& key)
{
    QStringList values;
    for (const FakeWeb::Request& r : server.requests()) {
        if (r.url.startsWith(prefix))
            values.append(FakeWeb::PageKit::queryValue(r.query, key));
    }
    return values;
}

} // namespace

class TestServiceFinders : public QObject
{
    Q_OBJECT

    TestSupport::ProxyWeb m_server;

private slots:
    void init() { m_server.clear(); }

    void qzoneReadsTitleListsByHundreds_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("offsets");
        QTest::newRow("250") << 250 << QStringList{"0", "100", "200"};
        QTest::newRow("100") << 100 << QStringList{"0"};
        QTest::newRow("101") << 101 << QStringList{"0", "100"};
        QTest::newRow("none") << 0 << QStringList();
    }
    void qzoneReadsTitleListsByHundreds()
    {
        QFETCH(int, count);
        QFETCH(QStringList, offsets);
        const FakeWeb::QzoneBlog blog(QStringLiteral("10001"), count, 3);
        blog.install(m_server);
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Qzone, QStringLiteral("10001"), blog.address());

        QCOMPARE(FoundRows::Run(Discovery::FindQzoneArticles(*run.state)), QString());

        QCOMPARE(QueryValues(m_server, QzoneService + "blog_output_titlelist?", QStringLiteral("from")),
                 offsets);
        QCOMPARE(FoundRows::Of(*run.state), FoundRows::Of(blog.listedArticles()));
        QCOMPARE(FoundRows::PagesWithoutBody(*run.state), QStringList());
    }

    void qzoneWithoutBlogCountFindsNothing()
    {
        m_server.addRoute(QzoneService + "blog_get_category?uin=5",
                          textPage("_Callback({\"error\":1});", "gb2312"));
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Qzone, QStringLiteral("5"), QString());
        QVERIFY(!FoundRows::Run(Discovery::FindQzoneArticles(*run.state)).isEmpty());
        QCOMPARE(run.state->articles.articleCount(), 0);
        QCOMPARE(m_server.requestCount(), 1);
    }

    // The j-th id takes the j-th title, date and category; an empty category is read as empty and the
    // entries after it still arrive; an id without its title ends the search with the rows so far.
    void qzoneEntriesOfOneReply()
    {
        m_server.addRoute(QzoneService + "blog_get_category?uin=7",
                          textPage("{\"data\":{\"blog_num\":3,\"x\":0}}", "gb2312"));
        const QString reply = QStringLiteral("{\"blogids\":[ 11 ,22,33],\"html\":\"") +
                              QzoneEntry("11", " 第一篇 ", "2012-03-01 08:00", "") +
                              QzoneEntry("22", "第二篇", "2012-03-02 09:30", "旅行") + QStringLiteral("\"}");
        m_server.addHandler([reply](const FakeWeb::Request& r) -> std::optional<FakeWeb::Response> {
            if (!r.path.endsWith(QStringLiteral("blog_output_titlelist")))
                return std::nullopt;
            return textPage(reply, "gb2312");
        });
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Qzone, QStringLiteral("7"), QString());
        QVERIFY(!FoundRows::Run(Discovery::FindQzoneArticles(*run.state)).isEmpty());
        QCOMPARE(FoundRows::Of(*run.state),
                 (QStringList{"第一篇||11|2012-03-01 08:00", "第二篇|旅行|22|2012-03-02 09:30"}));
    }

    // 45 articles: offsets 0, 20 and 40, then a fourth call whose short reply ends the list. Titles and
    // categories arrive unescaped; the blog lives under its sub-domain.
    void neteaseReadsTheListServiceByTwenties()
    {
        const FakeWeb::NeteaseBlog blog(QStringLiteral("xiaoyu"), 45, 3);
        blog.install(m_server);
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Netease, QStringLiteral("xiaoyu"), blog.address());
        run.state->neteasePathForm = true;

        QCOMPARE(FoundRows::Run(Discovery::FindNeteaseArticles(*run.state, blog.address())), QString());

        QVERIFY(!run.state->neteasePathForm);
        const QString service = NeteaseApi + "xiaoyu/dwr/call/plaincall/BlogBeanNew.getBlogs.dwr?";
        QCOMPARE(QueryValues(m_server, service, QStringLiteral("c0-param1")),
                 (QStringList{"number:0", "number:20", "number:40", "number:60"}));
        QCOMPARE(QueryValues(m_server, service, QStringLiteral("c0-param0")).value(0),
                 QStringLiteral("number:") + blog.userId());
        // The service address goes out as written, but for the braces, which no request line carries.
        const QList<FakeWeb::Request> requests = m_server.requests();
        const auto call = std::find_if(requests.cbegin(), requests.cend(),
                                       [&](const FakeWeb::Request& r) { return r.url.startsWith(service); });
        QVERIFY(call != requests.cend());
        QCOMPARE(call->target, (service +
                                "callCount=1&scriptSessionId=$%7BscriptSessionId%7D187"
                                "&c0-scriptName=BlogBeanNew&c0-methodName=getBlogs&c0-id=0"
                                "&c0-param0=number:" +
                                blog.userId() + "&c0-param1=number:0&c0-param2=number:20&batchId=0")
                                   .toUtf8());
        const QStringList rows = FoundRows::Of(*run.state);
        QCOMPARE(rows, FoundRows::Of(blog.listedArticles()));
        QVERIFY(rows.first().startsWith(QStringLiteral("网易日志第45篇：秋天的童话|默认分类|")));
        // The addresses end in a backslash that is requested as the closing slash.
        QVERIFY(run.state->articleFetchAddress(1).endsWith(u'\\'));
        QCOMPARE(FoundRows::PagesWithoutBody(*run.state), QStringList());
    }

    // The list service's real replies, behind the real blog page whose user number the page breaks
    // with a CR LF: every entry with its title and category, and the number sent without white space.
    void neteaseReadsRealReplies_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("sample"); // one row as FoundRows writes it, date left out
        QTest::newRow("bkdwei") << u"3-netease/bkdwei-dwr-getBlogsNewTheme.html"_s << 128
                                << u"xp序列|windows技术|17350530420157824025948|"_s;
        QTest::newRow("qiyt72")
            << u"3-netease/qiyt72-dwr-getBlogsNewTheme.html"_s << 1
            << u"我把晚霞拉成丝，用时间绘就一副油彩时光|默认分类|162078220186104153503|"_s;
        QTest::newRow("qiyt72 service")
            << u"3-netease/service-qiyt72-getBlogsNewTheme.js"_s << 1
            << u"我把晚霞拉成丝，用时间绘就一副油彩时光|默认分类|162078220186104153503|"_s;
    }
    void neteaseReadsRealReplies()
    {
        QFETCH(QString, reply);
        QFETCH(int, rows);
        QFETCH(QString, sample);
        REAL_PAGES_OR_SKIP(pages);
        QString blogPage;
        QString replyText;
        for (const TestSupport::RealPage& real : pages) {
            if (real.name == u"3-netease/bkdwei-blog-static-17350530420157824025948.html"_s) {
                blogPage = real.text;
            } else if (real.name == reply) {
                replyText = real.text;
            }
        }
        QVERIFY(!blogPage.isEmpty() && !replyText.isEmpty());
        m_server.addRoute(QStringLiteral("http://real.blog.163.com/blog/"), textPage(blogPage, "gb18030"));
        m_server.addHandler([replyText](const FakeWeb::Request& r) -> std::optional<FakeWeb::Response> {
            if (!r.url.startsWith(NeteaseApi + u"real/dwr/"_s)) {
                return std::nullopt;
            }
            const bool first = FakeWeb::PageKit::queryValue(r.query, u"c0-param1"_s) == u"number:0"_s;
            return textPage(first ? replyText : u"//#DWR-INSERT\n//#DWR-REPLY\n"_s, "utf-8");
        });
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Netease, QStringLiteral("real"),
                           u"http://real.blog.163.com/blog/"_s);
        QCOMPARE(
            FoundRows::Run(Discovery::FindNeteaseArticles(*run.state, u"http://real.blog.163.com/blog/"_s)),
            QString());
        QCOMPARE(QueryValues(m_server, NeteaseApi + u"real/dwr/"_s, u"c0-param0"_s).value(0),
                 u"number:173505304"_s);
        const QStringList found = FoundRows::Of(*run.state);
        QCOMPARE(found.size(), rows);
        QVERIFY2(std::any_of(found.begin(), found.end(),
                             [&](const QString& row) { return row.startsWith(sample); }),
                 qPrintable(found.first()));
        for (const QString& row : found) {
            QVERIFY2(!row.contains(u"未找到"_s) && !row.startsWith(u'|'), qPrintable(row));
        }
    }

    // An account with "@" takes the host-and-path form, even when its sub-domain address answers with a
    // long page (here with another user number).
    void neteaseAccountWithAtUsesHostAndPath()
    {
        const FakeWeb::NeteaseBlog blog(QStringLiteral("fan@126"), 5, 2);
        blog.install(m_server);
        m_server.addRoute(
            QStringLiteral("http://126.blog.163.com/blog/"),
            textPage(QStringLiteral("userId:999,userName:'other'") + QString(600, u' '), "gb2312"));
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Netease, QStringLiteral("fan@126"), blog.address());

        QCOMPARE(FoundRows::Run(Discovery::FindNeteaseArticles(*run.state, blog.address())), QString());

        QVERIFY(run.state->neteasePathForm);
        QCOMPARE(FoundRows::Of(*run.state), FoundRows::Of(blog.listedArticles()));
        QVERIFY(run.state->articleFetchAddress(1).startsWith(
            QStringLiteral("http://blog.163.com/fan@126/blog/static/")));
        QCOMPARE(FoundRows::PagesWithoutBody(*run.state), QStringList());
    }

    // A sub-domain page shorter than 500 characters, or none at all, sends the finder to the
    // host-and-path form.
    void neteaseShortBlogPageUsesHostAndPath_data()
    {
        QTest::addColumn<bool>("answers");
        QTest::newRow("short page") << true;
        QTest::newRow("no answer") << false;
    }
    void neteaseShortBlogPageUsesHostAndPath()
    {
        QFETCH(bool, answers);
        const FakeWeb::NeteaseBlog blog(QStringLiteral("pathonly"), 3, 1, false);
        blog.install(m_server);
        if (!answers) {
            m_server.addRoute(blog.address(), {.mode = FakeWeb::Response::Mode::Reset});
        }
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Netease, QStringLiteral("pathonly"), blog.address());
        QCOMPARE(FoundRows::Run(Discovery::FindNeteaseArticles(*run.state, blog.address())), QString());
        QVERIFY(run.state->neteasePathForm);
        QCOMPARE(FoundRows::Of(*run.state), FoundRows::Of(blog.listedArticles()));
        QCOMPARE(FoundRows::PagesWithoutBody(*run.state), QStringList());
    }

    // Escapes are decoded; an empty category is read as empty and the next entry still arrives; a long
    // reply without entries (an error page) ends the list instead of being asked for again and again. The
    // user number is read without the line break the page puts inside its field.
    void neteaseEntriesOfOneReply()
    {
        const QString page = QStringLiteral("UD.host = {userId:42\r\n\t\u3000 ,userName:'e'}") + QString(600, u' ');
        m_server.addRoute(QStringLiteral("http://e.blog.163.com/blog/"), textPage(page, "gb2312"));
        const QString entries =
            NeteaseEntry("a1", " \\u4E2D\\u6587 ", "") + NeteaseEntry("a2", "Plain", "\\u65C5\\u884C");
        m_server.addHandler([entries](const FakeWeb::Request& r) -> std::optional<FakeWeb::Response> {
            if (!r.path.endsWith(QStringLiteral(".getBlogs.dwr")))
                return std::nullopt;
            const bool first = FakeWeb::PageKit::queryValue(r.query, "c0-param1") == "number:0";
            return textPage(first ? entries : QStringLiteral("error ") + QString(3000, u'!'), "gb2312");
        });
        TestRun run;
        FoundRows::SetTask(*run.state, Model::Netease, QStringLiteral("e"),
                           QStringLiteral("http://e.blog.163.com/blog/"));
        QCOMPARE(FoundRows::Run(Discovery::FindNeteaseArticles(*run.state, "http://e.blog.163.com/blog/")),
                 QString());
        QCOMPARE(FoundRows::Of(*run.state), (QStringList{"中文||a1|2012-03-01", "Plain|旅行|a2|2012-03-01"}));
        QCOMPARE(QueryValues(m_server, NeteaseApi, QStringLiteral("c0-param1")),
                 (QStringList{"number:0", "number:20"}));
        QCOMPARE(QueryValues(m_server, NeteaseApi, QStringLiteral("c0-param0")).value(0),
                 QStringLiteral("number:42"));
    }
};

QTEST_GUILESS_MAIN(TestServiceFinders)
#include "test_servicefinders.moc"
