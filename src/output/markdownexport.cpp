#include "output/markdownexport.h"

#include "model/localpage.h"
#include "model/runstate.h"
#include "output/bookaddresses.h"
#include "output/imagetypes.h"
#include "output/markdownwriter.h"
#include "output/packabletask.h"
#include "text/charset.h"
#include "text/containedpath.h"
#include "text/failure.h"
#include "text/pagefetch.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTime>
#include <QUrl>

#include <filesystem>

namespace Output {

namespace {

// Marks the page assembly writes: the end of an article's header, the start of its comment block.
const QString HeaderEnd = QStringLiteral("<hr size=1 color=#C0C0C0>");
const QString CommentsStart = QStringLiteral("<hr size=1 color=#a0C0C0><font color=#339933 size=5>");

// Letters and digits of a title that make a file name; more would only make names long.
constexpr qsizetype SlugCharacters = 60;

bool exporting = false;

struct ExportingFlag
{
    ExportingFlag() { exporting = true; }
    ~ExportingFlag() { exporting = false; }
    ExportingFlag(const ExportingFlag&) = delete;
    ExportingFlag& operator=(const ExportingFlag&) = delete;
};

// A saved file a page refers to, inside the task folder; empty when there is none.
QString LocalFile(const QString& reference, const QString& folder, const QString& root)
{
    QString path = reference;
    path = path.left(path.indexOf(u'#')).left(path.indexOf(u'?'));
    path.replace(u'\\', u'/');
    if (path.isEmpty() || path.startsWith(u'/') || path.contains(u':')) {
        return {};
    }
    for (const QString& candidate : {path, QUrl::fromPercentEncoding(path.toUtf8())}) {
        const QString full = QDir::cleanPath(folder + u'/' + candidate);
        if (full.startsWith(root + u'/') && QFileInfo(full).isFile()) {
            return full;
        }
    }
    return {};
}

// The parts of a saved article page: the body between the header and the comment block, and the block.
struct PageParts
{
    QString body;
    QString comments;
};

PageParts SplitPage(const QString& page)
{
    PageParts parts;
    const qsizetype header = page.indexOf(HeaderEnd);
    const qsizetype start = header < 0 ? 0 : header + HeaderEnd.size();
    const qsizetype comments = page.lastIndexOf(CommentsStart);
    if (comments >= start) {
        parts.body = page.mid(start, comments - start);
        parts.comments = page.mid(comments);
    } else {
        parts.body = page.mid(start);
    }
    return parts;
}

// The comment pages a comment block links to, in order.
QStringList CommentPageLinks(const QString& block)
{
    static const QRegularExpression link(QStringLiteral(R"(<a\s+href=["']?([^"'\s>]+))"),
                                         QRegularExpression::CaseInsensitiveOption);
    QStringList links;
    for (auto it = link.globalMatch(block); it.hasNext();) {
        links.append(it.next().captured(1));
    }
    return links;
}

// Writes one export: the names of the articles' files, the pictures copied.
class Exporter
{
public:
    Exporter(const QString& taskFolder, const QString& exportFolder)
        : m_root(CleanAbsolute(taskFolder)), m_folder(exportFolder)
    {
    }

    // Gives an article page its file name before any article links to it.
    QString reserve(const QString& page, const QString& title, const QString& date)
    {
        const QString key = CleanAbsolute(page);
        if (const auto it = m_names.constFind(key); it != m_names.constEnd()) {
            return it.value();
        }
        const QString stem = MarkdownStem(title, date);
        QString name = stem + QStringLiteral(".md");
        // Names differ also where case does not count.
        for (int n = 2; m_taken.contains(name.toLower()); ++n) {
            name = stem + u'-' + Text::Num(n) + QStringLiteral(".md");
        }
        m_taken.insert(name.toLower());
        m_names.insert(key, name);
        return name;
    }

    QString nameOf(const QString& page) const { return m_names.value(CleanAbsolute(page)); }

    // The Markdown of a part of a saved page in folder.
    MarkdownPage convert(const QString& html, const QString& folder)
    {
        PageLinks links;
        links.link = [&](const QString& href) -> QString {
            if (const QString web = WebAddress(href); !web.isEmpty()) {
                return web;
            }
            return m_names.value(LocalFile(href, folder, m_root));
        };
        links.image = [&](const QString& src) { return image(LocalFile(src, folder, m_root)); };
        return HtmlToMarkdown(html, links);
    }

private:
    QString image(const QString& source)
    {
        if (source.isEmpty()) {
            return {};
        }
        if (const auto it = m_images.constFind(source); it != m_images.constEnd()) {
            return it.value();
        }
        QFile file(source);
        const QString extension =
            file.open(QIODevice::ReadOnly) ? PictureExtension(file.read(32)) : QString();
        file.close();
        QString name;
        if (!extension.isEmpty()) {
            const QString candidate =
                QStringLiteral("images/image") + Text::Num(m_images.size() + 1) + extension;
            const QString target = Text::RequireInside(m_folder, Text::JoinPath(m_folder, candidate));
            std::error_code error;
            std::filesystem::copy_file(std::filesystem::path(QFile::encodeName(source).toStdString()),
                                       std::filesystem::path(QFile::encodeName(target).toStdString()),
                                       std::filesystem::copy_options::overwrite_existing, error);
            if (!error) {
                name = candidate;
            }
        }
        m_images.insert(source, name);
        return name;
    }

    const QString m_root;
    const QString m_folder;
    QHash<QString, QString> m_names;  // saved page -> its Markdown file
    QSet<QString> m_taken;            // file names given, in lower case
    QHash<QString, QString> m_images; // saved picture -> its copy (empty: not a picture)
};

struct ExportRow
{
    int row = 0;
    QString page;
};

QString FrontMatter(const Model::RunState& state, int row, int comments)
{
    const Model::ArticleList& articles = state.articles;
    QString text = QStringLiteral("---\ntitle: ") + YamlQuoted(articles.title(row)) + u'\n';
    if (const QString date = FrontMatterDate(articles.date(row)); !date.isEmpty()) {
        text += QStringLiteral("date: ") + YamlQuoted(date) + u'\n';
    }
    if (const QString category = articles.category(row); !category.isEmpty()) {
        text += QStringLiteral("categories: [") + YamlQuoted(category) + QStringLiteral("]\n");
    }
    text += QStringLiteral("source: ") + YamlQuoted(state.articleAddress(row)) + u'\n';
    text += QStringLiteral("comments: ") + YamlQuoted(Text::Num(comments)) + u'\n';
    return text + QStringLiteral("---\n");
}

// Writes a file of the export. The export is made anew each time, so a file is written in place, without
// the flush to disk that a replaced file waits for: thousands of articles are written in seconds.
void WriteExportFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
        !file.flush()) {
        const QString error = file.errorString();
        file.close();
        QFile::remove(path);
        throw Text::Failure(QStringLiteral("无法写入%1：%2").arg(path, error));
    }
}

void Fail(Model::RunState& state, const QString& reason)
{
    state.setStatus(QStringLiteral("转换Markdown失败：") + reason);
}

} // namespace

QString MarkdownFolder(const Model::RunState& state)
{
    return state.pathInProgramFolder(state.task.TaskName + QStringLiteral("-markdown"));
}

QString YamlQuoted(const QString& text)
{
    QString out = QStringLiteral("\"");
    out.reserve(text.size() + 2);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            out += text.at(i);
            out += text.at(i + 1);
            ++i;
            continue;
        }
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += QChar(c);
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else if (c == u'\t') {
            out += QStringLiteral("\\t");
        } else if (QChar::isSurrogate(c)) {
            out += QChar(0xFFFD); // a lone half of a pair is no character
        } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFEFF || c >= 0xFFFE || c == 0x2028 ||
                   c == 0x2029) {
            out += QStringLiteral("\\u") + QStringLiteral("%1").arg(int(c), 4, 16, QLatin1Char('0'));
        } else {
            out += QChar(c);
        }
    }
    return out + u'"';
}

QString FrontMatterDate(const QString& date)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"((\d{4})\D{1,3}(\d{1,2})\D{1,3}(\d{1,2})(?:\D{1,3}(\d{1,2})[:：](\d{1,2})(?:[:：](\d{1,2}))?)?)"));
    const QRegularExpressionMatch match = pattern.match(date);
    if (!match.hasMatch()) {
        return {};
    }
    const QDate day(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    QTime time(0, 0);
    if (match.hasCaptured(4)) {
        time = QTime(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt());
    }
    if (!day.isValid() || !time.isValid()) {
        return {};
    }
    return day.toString(QStringLiteral("yyyy-MM-dd")) + u'T' + time.toString(QStringLiteral("HH:mm:ss")) +
           QStringLiteral("+08:00");
}

QString MarkdownStem(const QString& title, const QString& date)
{
    QString slug;
    qsizetype kept = 0;
    bool dash = false;
    for (const char32_t c : title.toUcs4()) {
        if (kept >= SlugCharacters) {
            break;
        }
        if (QChar::isLetterOrNumber(c) && c != 0xFFFD) {
            if (dash && !slug.isEmpty()) {
                slug += u'-';
            }
            dash = false;
            slug += QString::fromUcs4(&c, 1).toLower();
            ++kept;
        } else {
            dash = true;
        }
    }
    const QString day = FrontMatterDate(date).left(10);
    QString stem = day.isEmpty() ? slug : slug.isEmpty() ? day : day + u'-' + slug;
    if (stem.isEmpty()) {
        return QStringLiteral("article");
    }
    // Names a generator or a file system keeps for itself.
    static const QRegularExpression reserved(QStringLiteral(R"(^(index|con|prn|aux|nul|com\d|lpt\d)$)"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (reserved.match(stem).hasMatch()) {
        stem = QStringLiteral("article-") + stem;
    }
    return stem;
}

QCoro::Task<bool> ExportMarkdown(Model::RunState& state)
{
    if (exporting) {
        co_return false;
    }
    ExportingFlag flag;
    if (const QString problem = UnpackableTask(state); !problem.isEmpty()) {
        Fail(state, problem);
        co_return false;
    }
    const QString folder = MarkdownFolder(state);
    const QString images = Text::JoinPath(folder, QStringLiteral("images"));
    if (!Text::LiesInside(state.programFolder, folder) || !QDir().mkpath(images)) {
        Fail(state, QStringLiteral("无法建立文件夹") + folder);
        co_return false;
    }
    // The files of an earlier export: articles renamed since would stay as doubles.
    QDir old(folder);
    for (const QString& name : old.entryList({QStringLiteral("*.md")}, QDir::Files | QDir::Hidden)) {
        old.remove(name);
    }

    // Everything read from the article list is read now: rows may change while the export runs.
    Exporter exporter(state.taskFolder(), folder);
    QList<ExportRow> rows;
    QSet<QString> seen;
    int unsaved = 0;
    const int count = state.articles.articleCount();
    for (int row = count; row >= 1; --row) {
        const QString page = state.articlePagePath(row);
        const QString key = CleanAbsolute(page);
        if (seen.contains(key)) {
            continue; // a link listed twice: one file
        }
        seen.insert(key);
        switch (Model::InspectLocalPage(page)) {
        case Model::LocalPage::Missing:
            continue;
        case Model::LocalPage::Fallback:
            ++unsaved;
            continue;
        case Model::LocalPage::Article:
            break;
        }
        exporter.reserve(page, state.articles.title(row), state.articles.date(row));
        rows.append({row, page});
    }

    int written = 0;
    int failed = 0;
    const int total = int(rows.size());
    for (int i = 0; i < total; ++i) {
        if ((i + 1) % 50 == 0) {
            co_await Text::LetEventsRun();
        }
        state.setStatus(QStringLiteral("转换Markdown：") + Text::Num(i + 1) + u'/' + Text::Num(total));
        const ExportRow& row = rows.at(i);
        try {
            const QString pageFolder = QFileInfo(row.page).absolutePath();
            const PageParts parts = SplitPage(Text::ReadLocalFile(row.page));
            QString text = exporter.convert(parts.body, pageFolder).text;
            int comments = 0;
            QString commentText;
            for (const QString& link : CommentPageLinks(parts.comments)) {
                const QString commentPage = LocalFile(link, pageFolder, CleanAbsolute(state.taskFolder()));
                if (commentPage.isEmpty()) {
                    continue;
                }
                const MarkdownPage converted = exporter.convert(Text::ReadLocalFile(commentPage), pageFolder);
                comments += converted.listItems;
                if (!converted.text.isEmpty()) {
                    commentText +=
                        (commentText.isEmpty() ? QString() : QStringLiteral("\n")) + converted.text;
                }
            }
            if (!commentText.isEmpty()) {
                text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + QStringLiteral("## 评论\n\n") +
                        commentText;
            }
            const QString path =
                Text::RequireInside(folder, Text::JoinPath(folder, exporter.nameOf(row.page)));
            WriteExportFile(path, (FrontMatter(state, row.row, comments) + u'\n' + text).toUtf8());
            ++written;
        } catch (const Text::Failure&) {
            ++failed; // this article is missing from the export; the others go on
        }
    }
    QString result = QStringLiteral("转换Markdown完成,一共") + Text::Num(written) + QStringLiteral("个");
    if (unsaved > 0) {
        result += QStringLiteral("，") + Text::Num(unsaved) + QStringLiteral("篇未能下载");
    }
    if (failed > 0) {
        result += QStringLiteral("，") + Text::Num(failed) + QStringLiteral("篇无法写入");
    }
    state.setStatus(result);
    co_return failed == 0;
}

} // namespace Output
