#include "output/epubwriter.h"

#include "assets/backupsummary.h"
#include "model/runstate.h"
#include "output/bookaddresses.h"
#include "output/bookcover.h"
#include "output/bookplan.h"
#include "output/bookstamp.h"
#include "output/bookvolumes.h"
#include "output/epubarchive.h"
#include "output/epubpackage.h"
#include "output/helpcompiler.h"
#include "output/imagetypes.h"
#include "output/packabletask.h"
#include "output/xhtmlcleaner.h"
#include "text/failure.h"
#include "text/pagefetch.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"
#include "text/writefailure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUrl>

namespace Output {

namespace {

const QString PackageFolder = QStringLiteral("OEBPS/");
const QString XhtmlType = QStringLiteral("application/xhtml+xml");
const QByteArray StyleSheet = "img { max-width: 100%; height: auto; }\n"
                              "div.table { display: table; border-collapse: collapse; margin: 0.5em 0; }\n"
                              "div.caption { display: table-caption; }\n"
                              "div.rows { display: table-row-group; }\n"
                              "div.row { display: table-row; }\n"
                              "div.cell { display: table-cell; padding: 0.1em 0.4em; vertical-align: top; "
                              "border: 1px solid #ccc; }\n";

// What the book was made from; hidden, so never part of a book.
const QString StampName = QStringLiteral(".qvlrx-epub");

// Pages between two looks at the event loop.
constexpr int PagesPerBreath = 50;

bool packing = false;

struct PackingFlag
{
    PackingFlag() { packing = true; }
    ~PackingFlag() { packing = false; }
    PackingFlag(const PackingFlag&) = delete;
    PackingFlag& operator=(const PackingFlag&) = delete;
};

// Collects the pages and pictures of the book as they are cleaned and added to the archive.
class BookBuilder
{
public:
    // A volume links only to its own pages of the whole book (everything).
    BookBuilder(const QString& taskFolder, EpubArchive& archive, const QSet<QString>& everything,
                const QSet<QString>& own)
        : m_root(CleanAbsolute(taskFolder)), m_archive(archive), m_everything(everything), m_own(own)
    {
    }

    // Gives a saved page its name in the book before any page links to it.
    QString reserve(const QString& source)
    {
        const QString key = CleanAbsolute(source);
        auto it = m_names.constFind(key);
        if (it != m_names.constEnd()) {
            return it.value();
        }
        const QString name =
            QStringLiteral("page") + Text::Num(m_names.size() + 1) + QStringLiteral(".xhtml");
        m_names.insert(key, name);
        return name;
    }

    // Cleans a saved page into the book, followed by the pages only it links to (comment pages), and the
    // pages only those link to. Returns how many pages were added.
    int add(const BookPage& first)
    {
        QList<BookPage> pending{first};
        int added = 0;
        while (!pending.isEmpty()) {
            const BookPage page = pending.takeFirst();
            const QString key = CleanAbsolute(page.source);
            const QString name = reserve(key);
            if (m_added.contains(key)) {
                continue;
            }
            m_added.insert(key);
            const QString folder = QFileInfo(key).path();
            PageLinks links;
            links.link = [&](const QString& href) { return link(href, folder, page.title, pending); };
            links.image = [&](const QString& src) { return image(src, folder); };

            QFile file(key);
            CleanedPage cleaned;
            if (file.open(QIODevice::ReadOnly)) {
                cleaned = CleanPage(file.readAll(), page.title, links);
            } else {
                // Other pages link to it: it stays, with its title.
                cleaned.xhtml = XhtmlStart(page.title) + XhtmlEnd();
            }
            m_archive.addBytes(PackageFolder + name, cleaned.xhtml);
            items.append({name, XhtmlType, true, {}});
            ++added;
        }
        return added;
    }

    QString nameOf(const QString& source) const { return m_names.value(CleanAbsolute(source)); }

    QList<ManifestItem> items;

private:
    // A saved file the page refers to, inside the task folder; empty when there is none.
    QString localFile(const QString& reference, const QString& folder) const
    {
        QString path = reference;
        path = path.left(path.indexOf(u'#')).left(path.indexOf(u'?'));
        path.replace(u'\\', u'/');
        if (path.isEmpty() || path.startsWith(u'/') || path.contains(u':')) {
            return {};
        }
        for (const QString& candidate : {path, QUrl::fromPercentEncoding(path.toUtf8())}) {
            const QString full = QDir::cleanPath(folder + u'/' + candidate);
            if (full.startsWith(m_root + u'/') && QFileInfo(full).isFile()) {
                return full;
            }
        }
        return {};
    }

    QString link(const QString& href, const QString& folder, const QString& title, QList<BookPage>& found)
    {
        if (const QString web = WebAddress(href); !web.isEmpty()) {
            return web;
        }
        const QString target = localFile(href, folder);
        if (target.isEmpty() || (m_everything.contains(target) && !m_own.contains(target))) {
            return {};
        }
        if (const QString name = m_names.value(target); !name.isEmpty()) {
            return name;
        }
        const QString suffix = QFileInfo(target).suffix().toLower();
        if (suffix != QLatin1String("htm") && suffix != QLatin1String("html")) {
            return {};
        }
        found.append({target, title});
        return reserve(target);
    }

    QString image(const QString& src, const QString& folder)
    {
        const QString source = localFile(src, folder);
        if (source.isEmpty()) {
            return {};
        }
        auto it = m_images.constFind(source);
        if (it != m_images.constEnd()) {
            return it.value();
        }
        QFile file(source);
        const QString type = file.open(QIODevice::ReadOnly) ? ImageMediaType(file) : QString();
        QString name;
        if (!type.isEmpty()) {
            name = QStringLiteral("images/image") + Text::Num(++m_pictures) + ImageExtension(type);
            m_archive.addFile(PackageFolder + name, source);
            items.append({name, type, false, {}});
        }
        m_images.insert(source, name);
        return name;
    }

    const QString m_root;
    EpubArchive& m_archive;
    const QSet<QString>& m_everything;
    const QSet<QString>& m_own;
    QHash<QString, QString> m_names; // saved page -> its page in the book
    QSet<QString> m_added;
    QHash<QString, QString> m_images; // saved picture -> its file in the book (empty: not a picture)
    int m_pictures = 0;
};

void Fail(Model::RunState& state, const QString& reason)
{
    state.setStatus(QStringLiteral("生成EPUB失败：") + reason);
}

// A book that could not be written for its folder's sake (a full disk) stops the run's writing.
void StopWritingOnFolderFailure(Model::RunState& state, const Text::Failure& failure)
{
    if (const auto* folder = dynamic_cast<const Text::WriteFailure*>(&failure)) {
        state.StopWriting(folder->cause());
    }
}

// Puts the finished book in place of the old one in one step.
void MoveIntoPlace(const QString& from, const QString& to)
{
    if (const QString error = Text::ReplaceFile(from, to); !error.isEmpty()) {
        QFile::remove(from);
        throw Text::Failure(QStringLiteral("无法写入%1（%2）").arg(to, error));
    }
}

// Everything of the plan that shapes the book, as text for the book's inputs.
QByteArray PlanText(const BookPlan& plan)
{
    QStringList lines;
    const auto addPages = [&lines](const QString& heading, const QList<BookPage>& pages) {
        lines.append(heading);
        for (const BookPage& page : pages) {
            lines.append(page.source + u'\t' + page.title + u'\t' + page.navLabel + u'\t' + page.date +
                         u'\t' + page.mark);
        }
    };
    addPages(QStringLiteral("front"), plan.frontMatter);
    addPages(QStringLiteral("chapters"), plan.chapters);
    for (const BookSection& section : plan.sections) {
        addPages(QStringLiteral("section\t") + section.label + u'\t' + section.page, section.pages);
        for (qsizetype k = 0; k < section.indexes.size(); ++k) {
            lines.append(Text::Num(section.indexes.at(k)) + u'\t' + Text::Num(section.numbers.value(k)));
        }
    }
    return lines.join(u'\n').toUtf8();
}

// Writes one book of the plan to target, through a temporary file beside it. Pages of the task that are
// in other volumes are not linked (their link text stays). Throws Text::Failure.
QCoro::Task<> WriteBook(Model::RunState& state, const BookPlan& plan, QSet<QString> everything,
                        QSet<QString> own, BookMetadata metadata, CoverText cover, QString target, int* done,
                        int chapters)
{
    const QString partial = target + QStringLiteral(".part");
    try {
        EpubArchive archive(partial);
        archive.addBytes(QStringLiteral("META-INF/container.xml"),
                         ContainerXml(PackageFolder + QStringLiteral("content.opf")));
        BookBuilder book(state.taskFolder(), archive, everything, own);
        for (const BookPage& page : plan.frontMatter) {
            book.reserve(page.source);
        }
        for (const BookSection& section : plan.sections) {
            for (const BookPage& page : section.pages) {
                book.reserve(page.source);
            }
        }
        for (const BookPage& page : plan.chapters) {
            book.reserve(page.source);
        }

        int pages = 0;
        const auto breathe = [&pages](int added) -> bool {
            const int before = pages;
            pages += added;
            return pages / PagesPerBreath != before / PagesPerBreath;
        };
        for (const BookPage& page : plan.frontMatter) {
            if (breathe(book.add(page))) {
                co_await Text::LetEventsRun();
            }
        }
        for (const BookSection& section : plan.sections) {
            for (const BookPage& page : section.pages) {
                if (breathe(book.add(page))) {
                    co_await Text::LetEventsRun();
                }
            }
            for (const int index : section.indexes) {
                ++*done;
                state.setStatus(QStringLiteral("生成EPUB第") + Text::Num(*done) + u'/' + Text::Num(chapters) +
                                QStringLiteral("篇"));
                if (breathe(book.add(plan.chapters.at(index)))) {
                    co_await Text::LetEventsRun();
                }
            }
        }

        QList<NavEntry> contents;
        for (const BookPage& page : plan.frontMatter) {
            if (!page.navLabel.isEmpty()) {
                contents.append({page.navLabel, book.nameOf(page.source), {}});
            }
        }
        for (const BookSection& section : plan.sections) {
            NavEntry entry{section.label, section.page.isEmpty() ? QString() : book.nameOf(section.page), {}};
            for (qsizetype k = 0; k < section.indexes.size(); ++k) {
                const BookPage& chapter = plan.chapters.at(section.indexes.at(k));
                entry.children.append({Text::Num(section.numbers.at(k)) + u'.' + chapter.title + chapter.mark,
                                       book.nameOf(chapter.source),
                                       {}});
            }
            // A heading without a page and without articles would be an empty entry.
            if (!entry.href.isEmpty() || !entry.children.isEmpty()) {
                contents.append(entry);
            }
        }

        if (contents.isEmpty()) {
            contents.append({metadata.title, book.items.constFirst().href, {}});
        }
        archive.addBytes(PackageFolder + QStringLiteral("cover.svg"), CoverSvg(cover));
        archive.addBytes(PackageFolder + QStringLiteral("cover.xhtml"),
                         CoverPage(metadata.title, QStringLiteral("cover.svg")));
        archive.addBytes(PackageFolder + QStringLiteral("nav.xhtml"),
                         NavDocument(QStringLiteral("目录"), contents));
        archive.addBytes(PackageFolder + QStringLiteral("style.css"), StyleSheet);
        // The cover first, then the contents, then the pages.
        QList<ManifestItem> items{{QStringLiteral("cover.xhtml"), XhtmlType, true, {}},
                                  {QStringLiteral("nav.xhtml"), XhtmlType, true, QStringLiteral("nav")},
                                  {QStringLiteral("style.css"), QStringLiteral("text/css"), false, {}},
                                  {QStringLiteral("cover.svg"), QStringLiteral("image/svg+xml"), false,
                                   QStringLiteral("cover-image")}};
        items.append(book.items);
        archive.addBytes(PackageFolder + QStringLiteral("content.opf"), PackageDocument(metadata, items));

        state.setStatus(QStringLiteral("正在写入EPUB..."));
        co_await Text::LetEventsRun();
        archive.close();
        MoveIntoPlace(partial, target);
    } catch (const Text::Failure&) {
        QFile::remove(partial);
        throw;
    }
}

// The first and the last day of the book's articles.
QString DateRange(const BookPlan& plan)
{
    QString first;
    QString last;
    for (const BookPage& chapter : plan.chapters) {
        if (chapter.date.isEmpty()) {
            continue;
        }
        if (first.isEmpty() || chapter.date < first) {
            first = chapter.date;
        }
        if (last.isEmpty() || chapter.date > last) {
            last = chapter.date;
        }
    }
    if (first.isEmpty()) {
        return {};
    }
    return first == last ? first : first + QStringLiteral("—") + last;
}

QSet<QString> SourcesOf(const BookPlan& plan)
{
    QSet<QString> sources;
    for (const BookPage& page : plan.frontMatter) {
        sources.insert(CleanAbsolute(page.source));
    }
    for (const BookSection& section : plan.sections) {
        for (const BookPage& page : section.pages) {
            sources.insert(CleanAbsolute(page.source));
        }
    }
    for (const BookPage& page : plan.chapters) {
        sources.insert(CleanAbsolute(page.source));
    }
    return sources;
}

// The volume number of a file name of the task's volumes; 0 for any other name.
int VolumeNumber(const QString& taskName, const QString& fileName)
{
    const QString prefix = taskName + QStringLiteral(" 第");
    const QString suffix = QStringLiteral("卷.epub");
    if (!fileName.startsWith(prefix) || !fileName.endsWith(suffix) ||
        fileName.size() <= prefix.size() + suffix.size()) {
        return 0;
    }
    const QString number = fileName.mid(prefix.size(), fileName.size() - prefix.size() - suffix.size());
    for (const QChar c : number) {
        if (c < u'0' || c > u'9') {
            return 0;
        }
    }
    return number.toInt();
}

// Removes the volumes of an earlier book from number `from` on.
void RemoveVolumes(const Model::RunState& state, int from)
{
    QDir folder(state.programFolder);
    for (const QString& name : folder.entryList({QStringLiteral("*.epub")}, QDir::Files)) {
        if (VolumeNumber(state.task.TaskName, name) >= from) {
            folder.remove(name);
        }
    }
}

} // namespace

QString EpubPath(const Model::RunState& state)
{
    return state.pathInProgramFolder(state.task.TaskName + QStringLiteral(".epub"));
}

QString EpubVolumePath(const Model::RunState& state, int volume)
{
    return state.pathInProgramFolder(state.task.TaskName + QStringLiteral(" 第") + Text::Num(volume) +
                                     QStringLiteral("卷.epub"));
}

QStringList EpubFiles(const Model::RunState& state)
{
    if (QFileInfo::exists(EpubPath(state))) {
        return {EpubPath(state)};
    }
    QStringList volumes;
    for (int n = 1; QFileInfo::exists(EpubVolumePath(state, n)); ++n) {
        volumes.append(EpubVolumePath(state, n));
    }
    return volumes;
}

QCoro::Task<bool> PackEpub(Model::RunState& state, QDateTime backedUp)
{
    if (packing) {
        co_return false;
    }
    PackingFlag flag;

    if (const QString problem = UnpackableTask(state); !problem.isEmpty()) {
        Fail(state, problem);
        co_return false;
    }
    const QString taskName = state.task.TaskName;
    const QString taskFolder = state.taskFolder();
    // Everything read from the article list is read now: rows may change while the book is made.
    const BookPlan plan = PlanBook(state);
    if (plan.frontMatter.isEmpty() && plan.chapters.isEmpty()) {
        Fail(state, QStringLiteral("任务文件夹里没有已下载的文章"));
        co_return false;
    }
    VolumeLimits limits;
    limits.articles = std::max(1, state.epubVolumeArticles);
    limits.bytes = qint64(std::max(1, state.epubVolumeMegabytes)) * 1024 * 1024;
    const QList<BookPlan> volumes = SplitIntoVolumes(plan, limits);
    const int chapters = int(plan.chapters.size());
    const QString platform = state.profile().Name;
    int done = 0;

    if (volumes.size() == 1) {
        const BookMetadata metadata{BookIdentifier(taskName, state.task.BlogAddress), taskName,
                                    state.task.BlogAddress, backedUp};
        const QString target = EpubPath(state);

        // A book made from the same plan and the same files stays as it is; its date is the one it was made
        // on.
        const QString stampPath = Text::JoinPath(taskFolder, StampName);
        BookInputs inputs("epub 2");
        inputs.addText("title", taskName);
        inputs.addText("source", state.task.BlogAddress);
        inputs.addText("platform", platform);
        inputs.add("plan", PlanText(plan));
        inputs.addListing(
            taskFolder,
            FolderFiles(taskFolder, {QString::fromLatin1(Assets::BackupSummary::FailedListName)}));
        if (BookIsCurrent(stampPath, target, inputs)) {
            RemoveVolumes(state, 1);
            state.setStatus(BookReusedText(target));
            state.ui.openLocal(target);
            co_return true;
        }
        try {
            const CoverText cover{taskName, platform, DateRange(plan), {}};
            co_await WriteBook(state, plan, QSet<QString>(), QSet<QString>(), metadata, cover, target, &done,
                               chapters);
        } catch (const Text::Failure& failure) {
            StopWritingOnFolderFailure(state, failure);
            Fail(state, failure.message());
            co_return false;
        }
        RemoveVolumes(state, 1);
        StampBook(stampPath, target, inputs);
        state.setStatus(QStringLiteral("生成EPUB成功！"));
        state.ui.openLocal(target);
        co_return true;
    }

    const QSet<QString> everything = SourcesOf(plan);
    const int count = int(volumes.size());
    for (int v = 0; v < count; ++v) {
        const BookPlan& volume = volumes.at(v);
        const QString number = QStringLiteral("第") + Text::Num(v + 1) + QStringLiteral("卷");
        const QString dates = DateRange(volume);
        const QString title =
            taskName + u' ' + number +
            (dates.isEmpty() ? QString() : QStringLiteral("（") + dates + QStringLiteral("）"));
        const BookMetadata metadata{BookIdentifier(taskName + u' ' + number, state.task.BlogAddress),
                                    title,
                                    state.task.BlogAddress,
                                    backedUp,
                                    taskName,
                                    v + 1};
        const CoverText cover{taskName, platform, dates,
                              number + QStringLiteral("，共") + Text::Num(count) + QStringLiteral("卷")};
        try {
            const QSet<QString> own = SourcesOf(volume);
            const QString target = EpubVolumePath(state, v + 1);
            co_await WriteBook(state, volume, everything, own, metadata, cover, target, &done, chapters);
        } catch (const Text::Failure& failure) {
            StopWritingOnFolderFailure(state, failure);
            Fail(state, failure.message());
            co_return false;
        }
    }
    QFile::remove(EpubPath(state));
    RemoveVolumes(state, count + 1);
    state.setStatus(QStringLiteral("生成EPUB成功！共") + Text::Num(count) + QStringLiteral("卷"));
    state.ui.openLocal(EpubVolumePath(state, 1));
    co_return true;
}

} // namespace Output
