#include "render/indexpages.h"

#include "model/capturerecord.h"
#include "model/articlenames.h"
#include "model/endpoints.h"
#include "model/runstate.h"
#include "text/charset.h"
#include "text/containedpath.h"
#include "text/pagefetch.h"
#include "text/safefilename.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"
#include "text/writefailure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringEncoder>

#include <cerrno>
#include <cstdint>
#include <exception>
#include <memory>
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

// Two pages that differ only in the date after DateLabel (up to the "]" that ends the time).
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

// One index page being written: pieces that end with CR LF go straight into the file, which takes its
// place whole when committed, so an interrupted run leaves no half page. A page whose file already says
// the same is left untouched (an unchanged blog keeps an unchanged book); the comparison goes along with
// the writing, so no page is held whole. A page whose name belongs to an article page, that would lie
// outside the program folder, or that cannot be written, is skipped.
class IndexPageFile
{
public:
    IndexPageFile(Model::RunState& state, const QString& name, bool skipped, bool keepBytes = false)
        : m_state(state), m_file(Text::JoinPath(state.taskFolder(), name)), m_old(m_file.fileName()),
          m_encoder("GB18030"), m_keepBytes(keepBytes)
    {
        errno = 0;
        m_ok = !skipped && state.writeStopped.isEmpty() &&
               Text::LiesInside(state.programFolder, m_file.fileName()) && m_file.open(QIODevice::WriteOnly);
        if (!m_ok && !skipped && state.writeStopped.isEmpty()) {
            noteFolderProblem();
        }
        m_same = m_ok && m_old.open(QIODevice::ReadOnly);
        // A new page starts with its character set, on a line of its own.
        write(Text::DeclaredPage(QString()));
    }
    Q_DISABLE_COPY_MOVE(IndexPageFile)

    void append(const QString& piece) { write(piece + QStringLiteral("\r\n")); }

    // Puts the page in place; returns whether the file changed.
    bool commit()
    {
        if (!m_ok || (m_same && m_old.atEnd())) {
            m_file.cancelWriting();
            return false;
        }
        errno = 0;
        if (!m_file.commit()) {
            noteFolderProblem();
            return false;
        }
        return true;
    }

    // The home page (written with keepBytes) also stays when only its date would change and no other
    // page changed.
    bool commitUnlessOnlyTheDate(bool othersChanged)
    {
        if (m_ok && !othersChanged) {
            QFile old(m_file.fileName());
            if (old.open(QIODevice::ReadOnly) && SameButForDate(old.readAll(), m_bytes)) {
                m_file.cancelWriting();
                return false;
            }
        }
        return commit();
    }

private:
    void write(const QString& text)
    {
        if (!m_ok) {
            return;
        }
        const QByteArray bytes = m_encoder.isValid() ? QByteArray(m_encoder.encode(text)) : text.toUtf8();
        if (m_same) {
            m_same = m_old.read(bytes.size()) == bytes;
        }
        if (m_keepBytes) {
            m_bytes += bytes;
        }
        errno = 0;
        m_ok = m_file.write(bytes) == bytes.size();
        if (!m_ok) {
            noteFolderProblem();
        }
    }

    // A page that fails for its folder's sake (a full disk, a read-only one) stops the run's writing:
    // every further page, and the book, would fail alike.
    void noteFolderProblem()
    {
        if (const QString cause = Text::FolderWriteCause(errno); !cause.isEmpty()) {
            m_state.StopWriting(cause);
        }
    }

    Model::RunState& m_state;

    QSaveFile m_file;
    QFile m_old; // the page of an earlier run, read along
    QStringEncoder m_encoder;
    bool m_keepBytes = false;
    QByteArray m_bytes;
    bool m_ok = false;
    bool m_same = false;
};

// Removes the index pages of an earlier run that this one no longer has; article pages without a
// category lie in the task folder too and stay. Returns whether any was removed.
bool RemoveOldIndexPages(const QString& folder, const QSet<QString>& pageNames,
                         const QSet<QString>& articlePages)
{
    bool removed = false;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.htm")}, QDir::Files | QDir::Hidden)) {
        if (!pageNames.contains(name) && !articlePages.contains(name)) {
            removed = QFile::remove(dir.filePath(name)) || removed;
        }
    }
    return removed;
}

// What the rows of the article list put on the pages of their categories. Only numbers are kept per
// row; the texts are read from the list again when a page is written, so the memory stays small
// however many articles there are.
class CategoryPages
{
public:
    enum class Use : std::uint8_t { Paged, PagedAndFull, Whole };
    struct Entry
    {
        int row;
        Use use;
    };
    struct Page
    {
        QString name;
        QString title; // of the row that created the page
        QString heading;
        std::vector<Entry> entries; // in list order
    };

    void add(const QString& name, int row, Use use, const QString& title, const QString& heading)
    {
        auto it = m_index.constFind(name);
        if (it == m_index.cend()) {
            it = m_index.insert(name, int(m_pages.size()));
            m_pages.push_back(Page{name, title, heading, {}});
        }
        m_pages[size_t(*it)].entries.push_back(Entry{row, use});
    }

    std::vector<Page>& pages() { return m_pages; }

private:
    QHash<QString, int> m_index;
    std::vector<Page> m_pages; // in the order they were begun
};

// The cells of an article row after its number, the same on the paged and the whole page.
QString RowCells(const QString& link, const QString& title, const QString& date, qint64 size)
{
    return QStringLiteral("</td><td ><p class= style4><A href=") + link + u'>' + title +
           QStringLiteral("</a></td><td width=15%>") + date + QStringLiteral(" </td><td width=6%>") +
           SizeText(size) + QStringLiteral("KB</td><tr>");
}

// The safe names of the categories, made once per category rather than once per row.
class SafeNames
{
public:
    const QString& of(const QString& category)
    {
        auto it = m_names.constFind(category);
        if (it == m_names.cend()) {
            it = m_names.insert(category, Text::SafeFileName(category));
        }
        return *it;
    }

private:
    QHash<QString, QString> m_names;
};

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
    const int platform = state.task.PlatformCode;
    const QString folder = state.taskFolder();
    const QSet<QString> articlePages = ArticlePagesInTaskFolder(state);
    QDir().mkpath(folder);
    SafeNames safeNames;
    std::vector<qint64> sizes(size_t(n) + 1, 0);
    const auto link = [&](int row) {
        return Model::ArticlePageReference(platform, articles.category(row), articles.link(row));
    };

    // Where every row goes: its page of 20 articles and the whole page of its category.
    CategoryPages book;
    for (int i = 1; i <= n; ++i) {
        if (i % 100 == 0) {
            co_await Text::LetEventsRun();
        }
        state.setStatus(QStringLiteral("生成文章索引：") + Num(i) + u'/' + Num(n));
        const QString category = articles.category(i);
        const QString& safe = safeNames.of(category);
        const QFileInfo file(state.articlePagePath(i));
        sizes[size_t(i)] = file.isFile() ? file.size() : 0;

        int k = 0;
        try {
            k = Text::ToInt(articles.text(i, Model::ArticleList::PositionColumn));
        } catch (const std::exception&) {
            continue; // a row without its position in the category has no place on the paged pages
        }
        int p = 1;
        while (k > ArticlesPerPage) {
            k -= ArticlesPerPage;
            ++p;
        }
        book.add(safe + Num(p) + QStringLiteral(".htm"), i,
                 k == ArticlesPerPage ? CategoryPages::Use::PagedAndFull : CategoryPages::Use::Paged,
                 category + Num(p), safe + Num(p));
        book.add(safe + QStringLiteral(".htm"), i, CategoryPages::Use::Whole, category, safe);
    }

    // The category pages, one at a time.
    QSet<QString> pageNames;
    bool changed = false;
    for (CategoryPages::Page& page : book.pages()) {
        pageNames.insert(page.name);
        IndexPageFile file(state, page.name, articlePages.contains(page.name));
        file.append(QStringLiteral("<title>") + page.title + QStringLiteral("</title><BR>") + CategoryTable);
        file.append(QStringLiteral("<tr><td bgcolor=80F0FF align=center colspan=5 ><font size=5>") +
                    page.heading + QStringLiteral("</font></td></tr>"));
        file.append(StyleA);
        int written = 0;
        for (const CategoryPages::Entry& entry : page.entries) {
            if (++written % 100 == 0) {
                co_await Text::LetEventsRun();
            }
            const int i = entry.row;
            if (i > articles.articleCount()) {
                continue; // rows removed meanwhile
            }
            const QString position = articles.text(i, Model::ArticleList::PositionColumn);
            const QString cells = RowCells(link(i), articles.title(i), articles.date(i), sizes[size_t(i)]);
            if (entry.use == CategoryPages::Use::Whole) {
                file.append(QStringLiteral("<tr><td width=3%>") + position + cells);
                continue;
            }
            int k = 0;
            try {
                k = Text::ToInt(position);
            } catch (const std::exception&) {
                continue; // the row was changed meanwhile
            }
            int p = 1;
            while (k > ArticlesPerPage) {
                k -= ArticlesPerPage;
                ++p;
            }
            file.append(QStringLiteral("<tr><td width=3%>") + Num(k) + cells);
            if (entry.use == CategoryPages::Use::PagedAndFull) {
                const QString& safe = safeNames.of(articles.category(i));
                file.append(QStringLiteral("<center> <A href=") + safe + Num(p - 1) +
                            QStringLiteral(".htm> </table>←上一页</a>&nbsp;&nbsp;") +
                            QStringLiteral("<A href=") + safe + Num(p + 1) +
                            QStringLiteral(".htm>下一页→</a>"));
            }
        }
        changed = file.commit() || changed;
        page.entries = {};
    }

    // Every article.
    {
        const QString all = QStringLiteral("all.htm");
        pageNames.insert(all);
        IndexPageFile file(state, all, articlePages.contains(all));
        file.append(QStringLiteral("<center><table border=1 width=90% bordercolordark=#F0fFFF cellspacing=0 "
                                   "bordercolor=#808000>"));
        file.append(QStringLiteral("<tr><td bgcolor=80F0FF align=center colspan=5 ><font size=5>") +
                    QStringLiteral("全部清单") + QStringLiteral("</font></td></tr>"));
        file.append(StyleB);
        for (int i = 1; i <= n && i <= articles.articleCount(); ++i) {
            if (i % 100 == 0) {
                co_await Text::LetEventsRun();
            }
            const QString& safe = safeNames.of(articles.category(i));
            file.append(QStringLiteral("<tr><td width=5%>") + Num(i) +
                        QStringLiteral("</td><td ><p class= style4><A target=_blank href=") + link(i) + u'>' +
                        articles.title(i) + QStringLiteral("</a></td><td width=25%>") + safe +
                        QStringLiteral(" </td><td width=15%>") + articles.date(i) +
                        QStringLiteral("</td><td width=6%>") + SizeText(sizes[size_t(i)]) +
                        QStringLiteral("KB</td><tr>"));
        }
        changed = file.commit() || changed;
    }
    changed = RemoveOldIndexPages(folder, pageNames, articlePages) || changed;

    // The home page.
    state.setStatus(QStringLiteral("正在生成总索引"));
    const QString home = QStringLiteral("index.html");
    IndexPageFile file(state, home, articlePages.contains(home), true);
    file.append(QStringLiteral("<center><table  width=90% border=1 bordercolordark=#dddddd cellspacing=0 "
                               "bordercolor=#90aaaa>"));
    file.append(QStringLiteral("<tr><td bgcolor=#CCFFFF align=center colspan=5><font color=#663399 "
                               "size=5><B>") +
                state.profile().Name + QStringLiteral("博客：<a target=_blank  href=") +
                state.task.BlogAddress + u'>' + state.task.TaskName +
                QStringLiteral("</a></B></font></td></tr>"));
    if (state.task.FromArchive) {
        // A book rebuilt from an archive says how old its pages are.
        const QString range = Model::CaptureRecord(state.taskFolder()).rangeText();
        file.append(QStringLiteral("<tr><td align=center colspan=5>本书的网页取自网页存档") +
                    (range.isEmpty() ? QString() : QStringLiteral("，存档日期") + range) +
                    QStringLiteral("</td></tr>"));
    }
    file.append(StyleC);
    file.append(QStringLiteral("<tr><td width=5%><center>所有</center></td><td width=28% ><p class= "
                               "style4><A title=点此查看所有文章") +
                QStringLiteral(" target=_blank href=all.htm><b>") + QStringLiteral("全部清单</a></b>(") +
                Num(n) + QStringLiteral(")</td><td><---点击左边查看所有文章按日期排序。") +
                QStringLiteral("  ") + DateLabel + now.toString(QStringLiteral("yyyy-M-d")) + u'[' +
                now.toString(QStringLiteral("H:mm:ss")) + QStringLiteral("]</td>"));
    const Model::CategoryTable& categories = state.categories;
    for (int c = 0; c < Model::CategoryTable::SlotCount && !categories.name(c).isEmpty(); ++c) {
        const QString category = categories.name(c);
        const QString& safe = safeNames.of(category);
        const int count = categories.count(c);
        const int pages = (count + ArticlesPerPage - 1) / ArticlesPerPage;
        file.append(QStringLiteral("<tr><td width=5%><center>") + Num(c + 1) +
                    QStringLiteral("</center></td><td width=28% ><p class= style4><A title=") + category +
                    QStringLiteral(" target=_blank href=") + safe + QStringLiteral(".htm><b>") +
                    Text::Left(category, 30) + QStringLiteral("</a></b>") + u'(' + Num(count) +
                    QStringLiteral(")</td><td>"));
        for (int p = 1; p <= pages; ++p) {
            file.append(QStringLiteral("<A href=") + safe + Num(p) + QStringLiteral(".htm><b>") + Num(p) +
                        QStringLiteral("</b></a>"));
        }
        file.append(QStringLiteral("</td></tr>"));
    }
    file.append(QStringLiteral("<tr><td align=center colspan=5>本电子书由<a href=") +
                Model::Endpoints::MakerCompanyPage() +
                QStringLiteral(">卷轴匣</a>制作，文章版权属原作者</td></tr>"));
    file.commitUnlessOnlyTheDate(changed);
}

} // namespace Render
