#include "render/indexpages.h"

#include "model/articlenames.h"
#include "model/endpoints.h"
#include "model/runstate.h"
#include "text/charset.h"
#include "text/pagefetch.h"
#include "text/safefilename.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <exception>
#include <vector>

namespace Render {

using Text::Num;

namespace {

const QString StyleA = QStringLiteral(
    "<style type= Text/css><!--.style4 {margin-top : 2px; padding-bottom : 2px; margin-bottom : 1px; "
    "margin-left : 15px; margin-right : 10px; font-size : 14px; font-family : Tahoma,Verdana,Arial; color: "
    "#000000;}--></style>");
const QString StyleB = QStringLiteral(
    "<style type= Text/css><!--.style4 {margin-top : 1px; padding-bottom : 1px; margin-bottom : 1px; "
    "margin-left : 10px; margin-right : 5px; font-size : 14px; font-family : Tahoma,Verdana,Arial; color: "
    "#000000;}--></style>");
const QString StyleC = QStringLiteral(
    "<style type= Text/css><!--.style4 {margin-top : 5px; padding-bottom : 5px; margin-bottom : 0px; "
    "margin-left : 5px; margin-right : 5px; font-size : 14px; font-family : Tahoma,Verdana,Arial; color: "
    "#000000;}--></style>");
const QString CategoryTable = QStringLiteral(
    "<center><table border=1 width=90% bordercolordark=#F0fFFF cellspacing=0 bordercolor=#800000>");

constexpr int ArticlesPerPage = 20;

const QString DateLabel = QStringLiteral("更新日期：");

// Two different pages that differ only in the date after DateLabel (up to the "]" that ends the time).
bool SameButForDate(const QByteArray& old, const QByteArray& page)
{
    static const QByteArray label = Text::EncodeLocal(DateLabel);
    const qsizetype oldAt = old.indexOf(label);
    const qsizetype pageAt = page.indexOf(label);
    if (oldAt < 0 || oldAt != pageAt || old.left(oldAt) != page.left(pageAt)) {
        return false;
    }
    const qsizetype oldEnd = old.indexOf(']', oldAt);
    const qsizetype pageEnd = page.indexOf(']', pageAt);
    return oldEnd >= 0 && pageEnd >= 0 && old.mid(oldEnd) == page.mid(pageEnd);
}

// The index pages being written, each a sequence of pieces that end with CR LF.
class IndexBook
{
public:
    bool has(const QString& name) const { return m_pages.contains(name); }
    // A new page starts with its character set, on a line of its own.
    void create(const QString& name) { m_pages[name] = Text::DeclaredPage(QString()); }
    void append(const QString& name, const QString& piece)
    {
        QString& page = m_pages[name];
        page += piece;
        page += QStringLiteral("\r\n");
    }

    // Writes every page into the folder, then removes the index pages of an earlier run that this one
    // no longer has. A page whose file already says the same is left untouched, and so is the home page
    // when only its date would change and every other page stays, so that an unchanged blog leaves its
    // book unchanged too. A page that cannot be written is skipped, and so is a name that belongs to an
    // article page.
    void write(const QString& folder, const QSet<QString>& articlePages) const
    {
        QDir().mkpath(folder);
        QHash<QString, QByteArray> changed;
        QHash<QString, QByteArray> newDateOnly;
        for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
            if (articlePages.contains(it.key())) {
                continue;
            }
            const QString path = Text::JoinPath(folder, it.key());
            QByteArray bytes = Text::EncodeLocal(it.value());
            QFile existing(path);
            const QByteArray old =
                existing.open(QIODevice::ReadOnly) ? existing.read(bytes.size() + 64) : QByteArray();
            if (old == bytes) {
                continue;
            }
            (SameButForDate(old, bytes) ? newDateOnly : changed).insert(path, std::move(bytes));
        }
        if (!changed.isEmpty()) {
            changed.insert(newDateOnly);
        }
        for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
            try {
                Text::WriteBytesFileAt(it.key(), it.value());
            } catch (const std::exception&) {
            }
        }
        const QDir dir(folder);
        for (const QString& name : dir.entryList({QStringLiteral("*.htm")}, QDir::Files | QDir::Hidden)) {
            if (!m_pages.contains(name) && !articlePages.contains(name)) {
                QFile::remove(dir.filePath(name));
            }
        }
    }

private:
    QHash<QString, QString> m_pages;
};

// Starts the page of a category (or of one of its pieces) with its title and heading.
void StartCategoryPage(IndexBook& book, const QString& name, const QString& title, const QString& heading)
{
    book.create(name);
    book.append(name, QStringLiteral("<title>") + title + QStringLiteral("</title><BR>") + CategoryTable);
    book.append(name, QStringLiteral("<tr><td bgcolor=80F0FF align=center colspan=5 ><font size=5>") +
                          heading + QStringLiteral("</font></td></tr>"));
    book.append(name, StyleA);
}

} // namespace

QString SizeText(qint64 bytes)
{
    if (bytes < 0) {
        bytes = 0;
    }
    qint64 tenths = bytes / 100;
    const qint64 rest = bytes % 100;
    if (rest > 50 || (rest == 50 && tenths % 2 == 1)) {
        ++tenths;
    }
    const qint64 whole = tenths / 10;
    const qint64 decimal = tenths % 10;
    return decimal == 0 ? Num(whole) : Num(whole) + u'.' + Num(decimal);
}

QSet<QString> ArticlePagesInTaskFolder(const Model::RunState& state)
{
    QSet<QString> names;
    const int n = state.articles.articleCount();
    for (int row = 1; row <= n; ++row) {
        if (Text::SafeFileName(state.articles.category(row)).isEmpty()) {
            names.insert(state.localFileName(row));
        }
    }
    return names;
}

QCoro::Task<> WriteIndexPages(Model::RunState& state, QDateTime now)
{
    const Model::ArticleList& articles = state.articles;
    const int n = articles.articleCount();
    IndexBook book;
    std::vector<qint64> sizes(size_t(n) + 1, 0);
    std::vector<QString> links(size_t(n) + 1);

    // Pages of 20 articles and the whole page of every category.
    for (int i = 1; i <= n; ++i) {
        if (i % 100 == 0) {
            co_await Text::LetEventsRun();
        }
        state.setStatus(QStringLiteral("生成文章索引：") + Num(i) + u'/' + Num(n));
        const QString category = articles.category(i);
        const QString safe = Text::SafeFileName(category);
        const QString title = articles.title(i);
        const QString date = articles.date(i);
        const QString position = articles.text(i, Model::ArticleList::PositionColumn);
        links[size_t(i)] = Model::ArticlePageReference(state.task.PlatformCode, category, articles.link(i));
        const QFileInfo file(state.articlePagePath(i));
        sizes[size_t(i)] = file.isFile() ? file.size() : 0;
        const QString size = SizeText(sizes[size_t(i)]);

        int k = 0;
        try {
            k = Text::ToInt(position);
        } catch (const std::exception&) {
            continue; // a row without its position in the category has no place on the paged pages
        }
        int p = 1;
        while (k > ArticlesPerPage) {
            k -= ArticlesPerPage;
            ++p;
        }
        const QString page = safe + Num(p) + QStringLiteral(".htm");
        if (!book.has(page)) {
            StartCategoryPage(book, page, category + Num(p), safe + Num(p));
        }
        const QString whole = safe + QStringLiteral(".htm");
        if (!book.has(whole)) {
            StartCategoryPage(book, whole, category, safe);
        }
        const QString cells = QStringLiteral("</td><td ><p class= style4><A href=") + links[size_t(i)] +
                              u'>' + title + QStringLiteral("</a></td><td width=15%>") + date +
                              QStringLiteral(" </td><td width=6%>") + size + QStringLiteral("KB</td><tr>");
        book.append(page, QStringLiteral("<tr><td width=3%>") + Num(k) + cells);
        if (k == ArticlesPerPage) {
            book.append(page, QStringLiteral("<center> <A href=") + safe + Num(p - 1) +
                                  QStringLiteral(".htm> </table>←上一页</a>&nbsp;&nbsp;") +
                                  QStringLiteral("<A href=") + safe + Num(p + 1) +
                                  QStringLiteral(".htm>下一页→</a>"));
        }
        book.append(whole, QStringLiteral("<tr><td width=3%>") + position + cells);
    }

    // Every article.
    const QString all = QStringLiteral("all.htm");
    book.create(all);
    book.append(all, QStringLiteral("<center><table border=1 width=90% bordercolordark=#F0fFFF cellspacing=0 "
                                    "bordercolor=#808000>"));
    book.append(all, QStringLiteral("<tr><td bgcolor=80F0FF align=center colspan=5 ><font size=5>") +
                         QStringLiteral("全部清单") + QStringLiteral("</font></td></tr>"));
    book.append(all, StyleB);
    for (int i = 1; i <= n; ++i) {
        if (i % 100 == 0) {
            co_await Text::LetEventsRun();
        }
        const QString safe = Text::SafeFileName(articles.category(i));
        book.append(all, QStringLiteral("<tr><td width=5%>") + Num(i) +
                             QStringLiteral("</td><td ><p class= style4><A target=_blank href=") +
                             links[size_t(i)] + u'>' + articles.title(i) +
                             QStringLiteral("</a></td><td width=25%>") + safe +
                             QStringLiteral(" </td><td width=15%>") + articles.date(i) +
                             QStringLiteral("</td><td width=6%>") + SizeText(sizes[size_t(i)]) +
                             QStringLiteral("KB</td><tr>"));
    }

    // The home page.
    state.setStatus(QStringLiteral("正在生成总索引"));
    const QString home = QStringLiteral("index.html");
    book.create(home);
    book.append(home,
                QStringLiteral("<center><table  width=90% border=1 bordercolordark=#dddddd cellspacing=0 "
                               "bordercolor=#90aaaa>"));
    book.append(home, QStringLiteral("<tr><td bgcolor=#CCFFFF align=center colspan=5><font color=#663399 "
                                     "size=5><B>") +
                          state.profile().Name + QStringLiteral("博客：<a target=_blank  href=") +
                          state.task.BlogAddress + u'>' + state.task.TaskName +
                          QStringLiteral("</a></B></font></td></tr>"));
    book.append(home, StyleC);
    book.append(home, QStringLiteral("<tr><td width=5%><center>所有</center></td><td width=28% ><p class= "
                                     "style4><A title=点此查看所有文章") +
                          QStringLiteral(" target=_blank href=all.htm><b>") +
                          QStringLiteral("全部清单</a></b>(") + Num(n) +
                          QStringLiteral(")</td><td><---点击左边查看所有文章按日期排序。") +
                          QStringLiteral("  ") + DateLabel + now.toString(QStringLiteral("yyyy-M-d")) + u'[' +
                          now.toString(QStringLiteral("H:mm:ss")) + QStringLiteral("]</td>"));
    const Model::CategoryTable& categories = state.categories;
    for (int c = 0; c < Model::CategoryTable::SlotCount && !categories.name(c).isEmpty(); ++c) {
        const QString category = categories.name(c);
        const QString safe = Text::SafeFileName(category);
        const int count = categories.count(c);
        const int pages = (count + ArticlesPerPage - 1) / ArticlesPerPage;
        book.append(home, QStringLiteral("<tr><td width=5%><center>") + Num(c + 1) +
                              QStringLiteral("</center></td><td width=28% ><p class= style4><A title=") +
                              category + QStringLiteral(" target=_blank href=") + safe +
                              QStringLiteral(".htm><b>") + Text::Left(category, 30) +
                              QStringLiteral("</a></b>") + u'(' + Num(count) + QStringLiteral(")</td><td>"));
        for (int p = 1; p <= pages; ++p) {
            book.append(home, QStringLiteral("<A href=") + safe + Num(p) + QStringLiteral(".htm><b>") +
                                  Num(p) + QStringLiteral("</b></a>"));
        }
        book.append(home, QStringLiteral("</td></tr>"));
    }
    book.append(home, QStringLiteral("<tr><td align=center colspan=5>本电子书由<a href=") +
                          Model::Endpoints::MakerCompanyPage() +
                          QStringLiteral(">卷轴匣</a>制作，文章版权属原作者</td></tr>"));

    book.write(state.taskFolder(), ArticlePagesInTaskFolder(state));
}

} // namespace Render
