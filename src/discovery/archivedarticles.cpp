#include "discovery/archivedarticles.h"

#include "model/articlenames.h"
#include "model/cto51paths.h"
#include "model/endpoints.h"
#include "model/runstate.h"
#include "text/entities.h"
#include "text/failure.h"
#include "text/pagecharset.h"
#include "text/pagefetch.h"
#include "text/webarchive.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

namespace Discovery {

using namespace Model::Endpoints;

namespace {

constexpr int CdxRowsAPage = 1000;
constexpr int MostCdxPages = 500; // half a million captured addresses: far more than any blog has

// The address as the index compares it: without the scheme and a default port.
QString Comparable(const QString& address)
{
    QString text = address;
    if (const qsizetype scheme = text.indexOf(QStringLiteral("://")); scheme >= 0 && scheme < 8) {
        text.remove(0, scheme + 3);
    }
    const qsizetype slash = text.indexOf(u'/');
    QString host = slash < 0 ? text : text.left(slash);
    const QString rest = slash < 0 ? QString() : text.mid(slash);
    for (const QString& port : {QStringLiteral(":80"), QStringLiteral(":443")}) {
        if (host.endsWith(port)) {
            host.chop(port.size());
        }
    }
    return host.toLower() + rest;
}

// The Sina user number of a blog address, as the eight hexadecimal digits that begin its article names.
QString SinaUserHex(const QString& address)
{
    static const QRegularExpression user(QStringLiteral("(?:articlelist_|/u/)(\\d{5,10})"));
    const QRegularExpressionMatch match = user.match(address);
    if (!match.hasMatch()) {
        return {};
    }
    return QString::number(match.captured(1).toULongLong(), 16).rightJustified(8, u'0');
}

// The text before the last `parts` occurrences of the separator, when the title has them all.
QString WithoutTail(const QString& title, const QString& separator, int parts)
{
    qsizetype end = title.size();
    for (int i = 0; i < parts; ++i) {
        end = title.lastIndexOf(separator, end - 1);
        if (end <= 0) {
            return title;
        }
    }
    return title.left(end);
}

} // namespace

std::optional<ArchivedArticleLayout> ArchivedArticlesOf(const Model::RunState& state)
{
    const QString& task = state.task.TaskName;
    switch (state.task.PlatformCode) {
    case Model::Sina: {
        const QString hex = SinaUserHex(state.task.BlogAddress);
        if (hex.isEmpty()) {
            return std::nullopt;
        }
        return ArchivedArticleLayout{SinaBlogHost() + QStringLiteral("/s/blog_") + hex,
                                     QStringLiteral("blog_") + hex, QStringLiteral("([0-9a-z]{8}\\.html)")};
    }
    case Model::Baidu:
        return ArchivedArticleLayout{BaiduSpaceHost() + u'/' + task + QStringLiteral("/blog/item/"), {},
                                     QStringLiteral("([0-9a-zA-Z]+\\.html)")};
    case Model::Hexun:
        return ArchivedArticleLayout{task + u'.' + HexunBlogDomain() + u'/', {}, QStringLiteral("(\\d+_d\\.html)")};
    case Model::Netease:
        return ArchivedArticleLayout{(state.neteasePathForm ? NeteaseBlogHost() + u'/' + task
                                                            : task + u'.' + NeteaseBlogDomain()) +
                                         QStringLiteral("/blog/static/"),
                                     {}, QStringLiteral("(\\d+)/?")};
    case Model::Sohu:
        return ArchivedArticleLayout{task + u'.' + SohuBlogDomain() + u'/', {}, QStringLiteral("(\\d+\\.html)")};
    case Model::Tianya:
    case Model::Tianya2:
        return ArchivedArticleLayout{TianyaBlogHost() + QStringLiteral("/blogger/post_read.asp?BlogID=") + task +
                                         QStringLiteral("&PostID="),
                                     {}, QStringLiteral("(\\d+)")};
    case Model::Csdn:
        return ArchivedArticleLayout{CsdnBlogHost() + u'/' + task + QStringLiteral("/article/details/"), {},
                                     QStringLiteral("(\\d+)")};
    case Model::Cnblogs:
        return ArchivedArticleLayout{
            CnblogsHost() + u'/' + task + u'/', {},
            QStringLiteral("(p/\\d+\\.html)|archive/(\\d{4}/\\d{2}/\\d{2}/\\d+\\.html)|articles/(\\d+\\.html)")};
    case Model::Cto51:
        return ArchivedArticleLayout{Model::IsCto51UserPath(task) ? Cto51BlogDomain() + u'/' + task + u'/'
                                                                  : task + u'.' + Cto51BlogDomain() + u'/',
                                     {}, QStringLiteral("(\\d+(?:/\\d+)?)")};
    default:
        return std::nullopt;
    }
}

CdxPage ReadCdxPage(const QByteArray& answer, const ArchivedArticleLayout& layout)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(answer, &error);
    if (error.error != QJsonParseError::NoError) {
        throw Text::Failure(QStringLiteral("存档索引的答复不是完整的JSON（%1）").arg(error.errorString()));
    }
    if (answer.trimmed().isEmpty()) {
        return {};
    }
    if (!document.isArray()) {
        throw Text::Failure(QStringLiteral("存档索引的答复不是列表"));
    }
    const QJsonArray rows = document.array();
    if (rows.isEmpty()) {
        return {};
    }
    const QJsonArray header = rows.at(0).toArray();
    const qsizetype original = header.toVariantList().indexOf(QStringLiteral("original"));
    const qsizetype timestamp = header.toVariantList().indexOf(QStringLiteral("timestamp"));
    if (original < 0 || timestamp < 0) {
        throw Text::Failure(QStringLiteral("存档索引的答复缺少original或timestamp栏"));
    }
    const QRegularExpression pattern(QStringLiteral("\\A(?:") + layout.pattern + QStringLiteral(")\\z"));
    const QString prefix = Comparable(layout.prefix);
    CdxPage page;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QJsonArray row = rows.at(i).toArray();
        if (row.isEmpty()) {
            // The rows end; the key of the next page follows.
            if (i + 1 < rows.size()) {
                page.resumeKey = rows.at(i + 1).toArray().at(0).toString();
            }
            break;
        }
        const QString address = row.at(original).toString();
        const QString stamp = row.at(timestamp).toString();
        const QString comparable = Comparable(address);
        if (!comparable.startsWith(prefix, Qt::CaseSensitive)) {
            continue;
        }
        const QRegularExpressionMatch match = pattern.match(comparable.mid(prefix.size()));
        if (!match.hasMatch()) {
            continue;
        }
        QString link;
        for (int group = 1; group <= match.lastCapturedIndex() && link.isEmpty(); ++group) {
            link = match.captured(group);
        }
        if (!link.isEmpty()) {
            page.articles.append({layout.linkPrefix + link, address, stamp});
        }
    }
    return page;
}

QString CapturedTitle(int platformCode, const QString& page)
{
    static const QRegularExpression titleElement(QStringLiteral("<title[^>]*>([^<]*)</title"),
                                                 QRegularExpression::CaseInsensitiveOption);
    QString title = Text::DecodeEntities(titleElement.match(page).captured(1)).simplified();
    switch (platformCode) {
    case Model::Sina: // "TITLE_AUTHOR_新浪博客"
        title = WithoutTail(title, QStringLiteral("_"), 2);
        break;
    case Model::Netease: // "TITLE - AUTHOR的日志 - 网易博客"
    case Model::Cnblogs: // "TITLE - NAME - 博客园"
        title = WithoutTail(title, QStringLiteral(" - "), 2);
        break;
    case Model::Csdn: // "TITLE-CSDN博客", "TITLE_NAME的博客-CSDN博客"
        title = WithoutTail(title, QStringLiteral("-CSDN"), 1);
        break;
    default:
        break;
    }
    return title.trimmed();
}

QString CapturedCategory(int platformCode, const QString& page)
{
    if (platformCode != Model::Sina) {
        return {};
    }
    // The category's link in the cell below the title, or the tag line "分类：…".
    static const QRegularExpression linked(
        QStringLiteral("class=\"blog_class\">\\s*(?:<span[^>]*>[^<]*</span>\\s*)?<a[^>]*>([^<]+)</a>"));
    static const QRegularExpression tagged(QStringLiteral("class=\"articalTag\">\\s*分类：([^<]+)<"));
    for (const QRegularExpression* pattern : {&linked, &tagged}) {
        if (const QRegularExpressionMatch match = pattern->match(page); match.hasMatch()) {
            return Text::DecodeEntities(match.captured(1)).trimmed();
        }
    }
    return {};
}

QString CapturedDate(int platformCode, const QString& page)
{
    if (platformCode != Model::Sina) {
        return {};
    }
    static const QRegularExpression written(
        QStringLiteral("class=\"time SG_txtc\">\\((\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2})"));
    return written.match(page).captured(1);
}

namespace {

// Every captured article of the layout, by link, with its first capture; throws Text::Failure where the
// index cannot be read.
QCoro::Task<QList<ArchivedArticle>> AskIndex(Model::RunState& state, ArchivedArticleLayout layout)
{
    // The index is asked as it is, not through the archive's replay.
    Text::HttpContext direct = state.http;
    direct.archive.reset();
    QList<ArchivedArticle> found;
    QString resumeKey;
    for (int pageNumber = 1; pageNumber <= MostCdxPages; ++pageNumber) {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("url"), layout.prefix);
        query.addQueryItem(QStringLiteral("matchType"), QStringLiteral("prefix"));
        query.addQueryItem(QStringLiteral("collapse"), QStringLiteral("urlkey"));
        query.addQueryItem(QStringLiteral("filter"), QStringLiteral("statuscode:200"));
        query.addQueryItem(QStringLiteral("output"), QStringLiteral("json"));
        query.addQueryItem(QStringLiteral("limit"), QString::number(CdxRowsAPage));
        query.addQueryItem(QStringLiteral("showResumeKey"), QStringLiteral("true"));
        if (!resumeKey.isEmpty()) {
            query.addQueryItem(QStringLiteral("resumeKey"), resumeKey);
        }
        const QString address = state.http.archive->base + QStringLiteral("/cdx/search/cdx?") +
                                query.toString(QUrl::FullyEncoded);
        state.setStatus(QStringLiteral("正在查询网页存档的索引（第%1页）..").arg(pageNumber));
        const Text::HttpAnswer answer = co_await Text::FetchAnswer(direct, address);
        if (answer.status != 200) {
            throw Text::Failure(QStringLiteral("存档索引答复HTTP %1").arg(answer.status));
        }
        const CdxPage page = ReadCdxPage(answer.body, layout);
        found += page.articles;
        if (page.resumeKey.isEmpty() || page.resumeKey == resumeKey) {
            co_return found;
        }
        resumeKey = page.resumeKey;
    }
    throw Text::Failure(QStringLiteral("存档索引超过%1页，其余未读").arg(MostCdxPages));
}

} // namespace

QCoro::Task<> FindArchivedArticles(Model::RunState& state)
{
    Model::ArchiveFinding finding;
    finding.fromLists = state.articles.articleCount();
    if (state.task.PlatformCode == Model::Netease && finding.fromLists == 0) {
        // The finder chose the address form from pages the archive may lack: the blog's own address says
        // which form its articles were captured under.
        state.neteasePathForm =
            QUrl(state.task.BlogAddress).host().compare(NeteaseBlogHost(), Qt::CaseInsensitive) == 0;
    }
    const std::optional<ArchivedArticleLayout> layout = ArchivedArticlesOf(state);
    if (state.http.archive == nullptr || !layout) {
        if (state.http.archive != nullptr) {
            finding.indexProblem = QStringLiteral("这个平台的文章地址无法在索引中查找");
        }
        state.archiveFinding = finding;
        co_return;
    }
    QList<ArchivedArticle> captured;
    try {
        captured = co_await AskIndex(state, *layout);
    } catch (const Text::Failure& failure) {
        finding.indexProblem = failure.message();
    }
    QSet<QString> known;
    for (int row = 1; row <= state.articles.articleCount(); ++row) {
        known.insert(state.articles.link(row));
    }
    // One row an article, in the order the blog wrote them (their first capture).
    std::stable_sort(captured.begin(), captured.end(),
                     [](const ArchivedArticle& a, const ArchivedArticle& b) { return a.timestamp < b.timestamp; });
    const Model::PlatformProfile& profile = state.profile();
    for (const ArchivedArticle& article : std::as_const(captured)) {
        if (known.contains(article.link)) {
            continue;
        }
        known.insert(article.link);
        const Model::ArticleKey key{state.task.PlatformCode, state.task.TaskName, article.link,
                                    state.neteasePathForm};
        QString title;
        QString category;
        QString written;
        try {
            const Text::HttpAnswer answer = co_await Text::FetchAnswer(state.http, Model::ArticleAddress(key));
            if (answer.status == 200) {
                const QString page = Text::DecodePage(answer.body, profile.Charset, answer.contentType);
                title = CapturedTitle(state.task.PlatformCode, page);
                category = CapturedCategory(state.task.PlatformCode, page);
                written = CapturedDate(state.task.PlatformCode, page);
            }
        } catch (const Text::Failure&) {
            title.clear();
        }
        if (title.isEmpty()) {
            title = article.link;
        }
        const QString day = Text::CaptureDay(article.timestamp);
        if (state.addArticleRow(title, category, article.link, written) != 0) {
            ++finding.fromIndex;
        }
        state.setStatus(QStringLiteral("存档索引补充文章：%1（%2存档）").arg(title.left(60), day));
    }
    state.archiveFinding = finding;
}

} // namespace Discovery
