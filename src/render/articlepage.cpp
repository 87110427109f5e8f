#include "render/articlepage.h"

#include "assets/sinacomments.h"
#include "model/endpoints.h"
#include "model/localpage.h"
#include "model/runstate.h"
#include "render/bodylayouts.h"
#include "render/imagereferences.h"
#include "render/laterlayouts.h"
#include "render/loginnotice.h"
#include "text/charset.h"
#include "text/containedpath.h"
#include "text/failure.h"
#include "text/matching.h"
#include "text/textfiles.h"
#include "text/writefailure.h"
#include "text/textprimitives.h"

#include <QDir>
#include <QFile>

#include <array>
#include <exception>

namespace Render {

using Text::Find;
using Text::HashToQuote;
using Text::Num;
using Text::Replace;

namespace {

// Hand-overs of a row to page assembly in this download run. The attempt list holds the row numbers,
// each followed by a comma. The entries of a row leave the list once a page of the row is written, so
// it holds only rows that wait for another attempt and stays short however long the article list.
int RecordAttempt(QString& attempts, int row)
{
    const QString entry = Num(row);
    attempts += entry + u',';
    int count = 0;
    for (const QString& piece : Text::Split(attempts, QStringLiteral(","))) {
        if (piece == entry) {
            ++count;
        }
    }
    return count;
}

void ForgetAttempts(QString& attempts, int row)
{
    const QString entry = Num(row);
    QString kept;
    const QStringList pieces = Text::Split(attempts, QStringLiteral(","));
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        if (pieces.at(i) != entry) {
            kept += pieces.at(i) + u',';
        }
    }
    attempts = kept;
}

// The markup of the iFeng article service arrives as a script string.
void UnescapeScriptText(QString& page)
{
    page = Replace(page, QStringLiteral("\\\""), QStringLiteral("\""));
    page = Replace(page, QStringLiteral("<\\/"), QStringLiteral("</"));
    page = Replace(page, QStringLiteral("\\/"), QStringLiteral("/"));
    page = Replace(page, QStringLiteral("\\n"), QStringLiteral("\r\n"));
    page = Replace(page, QStringLiteral("\\t"), QString());
    page = Replace(page, QStringLiteral("\\r"), QString());
    Model::UnescapeUnicode(page);
}

void MakeCategoryFolder(Model::RunState& state, int row)
{
    // The task folder is made again too, should it have gone during the download.
    const QString folder =
        Text::RequireInside(state.programFolder, state.categoryFolder(state.articles.category(row)));
    if (!QDir().mkpath(folder)) {
        throw Text::Failure(QStringLiteral("cannot create the folder %1").arg(folder));
    }
}

bool Contains(const QString& page, const QString& marker)
{
    return Find(page, marker) > 0;
}

QString Header(const Model::RunState& state, int row, const QString& title)
{
    const Model::ArticleList& articles = state.articles;
    const QString address = state.articleAddress(row);
    return QStringLiteral("<font color=#339933 size=5>") + title +
           QStringLiteral("</font><br><font color=#993333 size=3>分类: ") + articles.category(row) +
           QStringLiteral("<br>日期: ") + articles.date(row) +
           QStringLiteral("</font><br>原文地址: <a target=_blank href=") + address + u'>' + address +
           QStringLiteral("</a><hr size=1 color=#C0C0C0>");
}

// The last page handled, kept for looking into markers that no longer match. Only a help, overwritten
// by every article in place: it failing to be written costs no article.
void WriteLastPage(const Model::RunState& state, const QString& page)
{
    QFile file(state.pathInProgramFolder(QStringLiteral("TEST.htm")));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(Text::EncodeLocal(Text::DeclaredPage(page) + QStringLiteral("\r\n")));
    }
}

// Which no-article marks are the blog's own word that an article is deleted, closed or locked (a notice
// that the article does not exist, a closed blog, content set private). The others stand on every page
// of the site (a copyright footer, the site's name, a script, a comment form, a login form) and so also
// on a busy or login page served in place of the article: alone they prove nothing.
bool IsNotice(int platform, int mark)
{
    switch (platform) {
    case Model::Sina:
    case Model::Baidu:
        return mark == 3;
    case Model::Hexun:
        return mark == 1;
    case Model::Netease:
        return mark == 1 || mark == 3;
    case Model::Sohu:
        return true;
    default:
        return false;
    }
}

// What a page without body says about its article.
PageOutcome NoBodyOutcome(int platform, const Model::PlatformProfile& profile, const QString& page,
                          bool giveUp)
{
    for (const QString& notice : LaterLayouts(platform).notices) {
        if (Contains(page, notice)) {
            return PageOutcome::Deleted;
        }
    }
    const std::array<QString, 3> marks{profile.NoArticleMarker1, profile.NoArticleMarker2,
                                       profile.NoArticleMarker3};
    bool siteMark = false;
    bool emptyMark = false;
    for (int i = 0; i < 3; ++i) {
        const QString& mark = marks[size_t(i)];
        if (!Contains(page, mark)) {
            continue;
        }
        if (mark.isEmpty()) {
            // Counts as found in any page that is not empty: it ends the attempts, but says nothing.
            emptyMark = true;
        } else if (IsNotice(platform, i + 1)) {
            return PageOutcome::Deleted;
        } else {
            siteMark = true;
        }
    }
    if (siteMark) {
        return PageOutcome::SiteMarkOnly;
    }
    if (emptyMark) {
        return PageOutcome::Bodiless;
    }
    return giveUp ? PageOutcome::GaveUp : PageOutcome::TryAgain;
}

bool HasCommentBlock(const QString& page)
{
    return Contains(page, QStringLiteral("<font color=#339933 size=5>评论:</font>")) ||
           Contains(page, QStringLiteral("<font color=#339933 size=5>本篇无评论</font>"));
}

} // namespace

bool WantsFallbackPage(PageOutcome outcome)
{
    switch (outcome) {
    case PageOutcome::Deleted:
    case PageOutcome::LoginNeeded:
    case PageOutcome::SiteMarkOnly:
    case PageOutcome::Bodiless:
    case PageOutcome::GaveUp:
        return true;
    case PageOutcome::Written:
    case PageOutcome::WrittenWithoutComments:
    case PageOutcome::TryAgain:
        break;
    }
    return false;
}

QString FallbackPage(const Model::RunState& state, int row)
{
    return Text::DeclaredPage(
        Model::FallbackPageMark() +
        QStringLiteral("博文已经删除或访问受限或者下载超时，请访问网络地址，如果能正常访问，请删除本文件然"
                       "后重新下载。"
                       "<br><A target=_blank href=") +
        state.articleAddress(row) + QStringLiteral(">点击这里打开网络地址") +
        QStringLiteral("</a> <br><br> --qvlrx博客下载备份工具<br><br> <a href= ") +
        Model::Endpoints::MakerCompanyPage() + QStringLiteral(" >访问官方网站</a> "));
}

bool SaveFallbackPage(Model::RunState& state, int row)
{
    ForgetAttempts(state.attemptList, row);
    MakeCategoryFolder(state, row);
    const QString path = Text::RequireInside(state.programFolder, state.articlePagePath(row));
    if (Model::InspectLocalPage(path) == Model::LocalPage::Article) {
        return false;
    }
    Text::WriteTextFileAt(path, FallbackPage(state, row));
    return true;
}

QCoro::Task<PageOutcome> CompleteSavedPage(Model::RunState& state, int row)
{
    const QString path = Text::RequireInside(state.programFolder, state.articlePagePath(row));
    if (!Model::CommentsWanted(state.task)) {
        co_return PageOutcome::Written;
    }
    QString text = Text::ReadLocalFile(path);
    if (HasCommentBlock(text)) {
        co_return PageOutcome::Written;
    }
    if (text.endsWith(QStringLiteral("\r\n"))) {
        text.chop(2);
    }
    try {
        text = co_await Assets::AppendSinaComments(state, text, row);
    } catch (const std::exception&) {
        co_return PageOutcome::WrittenWithoutComments;
    }
    Text::WriteTextFileAt(path, text);
    co_return PageOutcome::Written;
}

QCoro::Task<PageOutcome> SaveArticlePage(Model::RunState& state, QString page, int row)
{
    const int platform = state.task.PlatformCode;

    const bool giveUp = RecordAttempt(state.attemptList, row) > 3;
    if (giveUp) {
        ForgetAttempts(state.attemptList, row);
    }

    QString body;
    if (platform == Model::Ifeng) {
        UnescapeScriptText(page);
        body = page;
    }

    MakeCategoryFolder(state, row);

    if (platform == Model::Cnblogs) {
        page = Replace(page, HashToQuote(QStringLiteral("<div class = #post#>")),
                       HashToQuote(QStringLiteral("<div class=#post#>")));
    }

    WriteLastPage(state, page);

    if (platform == Model::CerspEblog) {
        page = Replace(page, QStringLiteral("STRONG>"), QStringLiteral("strong>"));
        page = Replace(page, QStringLiteral("TD>"), QStringLiteral("td>"));
        // Pages of the other layout lack the end marker; from the first such page on, the rest of
        // the program run cuts with the markers of that layout.
        if (Find(page, state.profile().BodyEndMarker) <= 1) {
            state.profiles.SetBodyMarkers(Model::CerspEblog, HashToQuote(QStringLiteral("相册</a>")),
                                          QStringLiteral(">阅读全文<span id="));
        }
    }

    const Model::PlatformProfile profile = state.profile();
    if (platform == Model::CerspEblog || Find(page, profile.BodyEndMarker) > 1) {
        // An end marker that lies only before the search start cuts out no body either.
        try {
            body = Text::TextBetween(page, profile.BodyStartMarker, profile.BodyEndMarker, 10);
        } catch (const Text::Failure&) {
            body = Text::NotFound;
        }
    }
    // Pages of the site's later layouts: the profile's markers cut them too wide, or not at all.
    if (platform != Model::Ifeng) {
        body = CutLaterLayouts(platform, page, body);
    }

    // A row listed without a title takes the one the page shows.
    QString title = state.articles.title(row);
    if (body.size() < 5) {
        if (const std::optional<LaterArticle> later = ReadLaterLayout(platform, page)) {
            body = later->body;
            if (title.isEmpty()) {
                title = later->title;
            }
        }
    }

    body = Replace(body, HashToQuote(QStringLiteral("<param VALUE=## />")), QStringLiteral("<已替代>"));

    if (state.task.FetchImages) {
        body = RewriteImages(state, body, row);
    }

    if (body.size() < 5) {
        // Asking again without a login gets the same notice.
        const PageOutcome outcome = ShowsLoginNotice(platform, page)
                                        ? PageOutcome::LoginNeeded
                                        : NoBodyOutcome(platform, profile, page, giveUp);
        if (outcome != PageOutcome::TryAgain) {
            ForgetAttempts(state.attemptList, row);
            co_return outcome;
        }
        state.articles.setMark(row, QString());
        // The page of an earlier failure goes; a page that holds the article stays.
        const QString path = Text::RequireInside(state.programFolder, state.articlePagePath(row));
        if (Model::InspectLocalPage(path) == Model::LocalPage::Fallback) {
            QFile::remove(path);
        }
        co_return PageOutcome::TryAgain;
    }

    QString text = Text::DeclaredPage(QStringLiteral("<title>") + title + QStringLiteral("</title>\r\n") +
                                      Header(state, row, title) + body);
    bool commentsCounted = true;
    if (Model::CommentsWanted(state.task)) {
        // Comments that cannot be had cost the article nothing now: its page is written without them.
        try {
            text = co_await Assets::AppendSinaComments(state, text, row);
        } catch (const Text::WriteFailure&) {
            throw; // nothing more can be written
        } catch (const std::exception&) {
            commentsCounted = false;
        }
    }
    const QString path = Text::RequireInside(state.programFolder, state.articlePagePath(row));
    // A page without its comments does not replace one of the same article that may have them.
    if (commentsCounted || Model::InspectLocalPage(path) != Model::LocalPage::Article) {
        Text::WriteTextFileAt(path, text);
    }
    ForgetAttempts(state.attemptList, row);
    co_return commentsCounted ? PageOutcome::Written : PageOutcome::WrittenWithoutComments;
}

} // namespace Render
