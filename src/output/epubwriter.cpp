#include "output/epubwriter.h"

#include "assets/backupsummary.h"
#include "model/runstate.h"
#include "output/bookplan.h"
#include "output/bookstamp.h"
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
const QByteArray StyleSheet = "img { max-width: 100%; height: auto; }\n";

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

QString CleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// An address on the web, written the way a book may hold it; empty when it is none.
QString WebAddress(const QString& href)
{
    const QUrl url(href, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty()) {
        return {};
    }
    return QString::fromLatin1(url.toEncoded(QUrl::FullyEncoded));
}

// Collects the pages and pictures of the book as they are cleaned and added to the archive.
class BookBuilder
{
public:
    BookBuilder(const QString& taskFolder, EpubArchive& archive)
        : m_root(CleanAbsolute(taskFolder)), m_archive(archive)
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
        if (target.isEmpty()) {
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
    QHash<QString, QString> m_names; // saved page -> its page in the book
    QSet<QString> m_added;
    QHash<QString, QString> m_images; // saved picture -> its file in the book (empty: not a picture)
    int m_pictures = 0;
};

void Fail(Model::RunState& state, const QString& reason)
{
    state.setStatus(QStringLiteral("生成EPUB失败：") + reason);
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
            lines.append(page.source + u'\t' + page.title + u'\t' + page.navLabel);
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

} // namespace

QString EpubPath(const Model::RunState& state)
{
    return state.pathInProgramFolder(state.task.TaskName + QStringLiteral(".epub"));
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
    const BookMetadata metadata{BookIdentifier(taskName, state.task.BlogAddress), taskName,
                                state.task.BlogAddress, backedUp};
    const QString target = EpubPath(state);
    const QString partial = target + QStringLiteral(".part");

    // A book made from the same plan and the same files stays as it is; its date is the one it was made on.
    const QString stampPath = Text::JoinPath(taskFolder, StampName);
    BookInputs inputs("epub 1");
    inputs.addText("title", taskName);
    inputs.addText("source", state.task.BlogAddress);
    inputs.add("plan", PlanText(plan));
    inputs.addListing(taskFolder,
                      FolderFiles(taskFolder, {QString::fromLatin1(Assets::BackupSummary::FailedListName)}));
    if (BookIsCurrent(stampPath, target, inputs)) {
        state.setStatus(BookReusedText(target));
        state.ui.openLocal(target);
        co_return true;
    }

    try {
        EpubArchive archive(partial);
        archive.addBytes(QStringLiteral("META-INF/container.xml"),
                         ContainerXml(PackageFolder + QStringLiteral("content.opf")));
        BookBuilder book(taskFolder, archive);
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
        const int chapters = int(plan.chapters.size());
        int done = 0;
        for (const BookSection& section : plan.sections) {
            for (const BookPage& page : section.pages) {
                if (breathe(book.add(page))) {
                    co_await Text::LetEventsRun();
                }
            }
            for (const int index : section.indexes) {
                ++done;
                state.setStatus(QStringLiteral("生成EPUB第") + Text::Num(done) + u'/' + Text::Num(chapters) +
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
                entry.children.append({Text::Num(section.numbers.at(k)) + u'.' + chapter.title,
                                       book.nameOf(chapter.source),
                                       {}});
            }
            // A heading without a page and without articles would be an empty entry.
            if (!entry.href.isEmpty() || !entry.children.isEmpty()) {
                contents.append(entry);
            }
        }

        if (contents.isEmpty()) {
            contents.append({taskName, book.items.constFirst().href, {}});
        }
        archive.addBytes(PackageFolder + QStringLiteral("nav.xhtml"), NavDocument(taskName, contents));
        archive.addBytes(PackageFolder + QStringLiteral("style.css"), StyleSheet);
        QList<ManifestItem> items{{QStringLiteral("nav.xhtml"), XhtmlType, false, QStringLiteral("nav")},
                                  {QStringLiteral("style.css"), QStringLiteral("text/css"), false, {}}};
        items.append(book.items);
        archive.addBytes(PackageFolder + QStringLiteral("content.opf"), PackageDocument(metadata, items));

        state.setStatus(QStringLiteral("正在写入EPUB..."));
        co_await Text::LetEventsRun();
        archive.close();
        MoveIntoPlace(partial, target);
    } catch (const Text::Failure& failure) {
        QFile::remove(partial);
        if (const auto* folder = dynamic_cast<const Text::WriteFailure*>(&failure)) {
            state.StopWriting(folder->cause());
        }
        Fail(state, failure.message());
        co_return false;
    }
    StampBook(stampPath, target, inputs);
    state.setStatus(QStringLiteral("生成EPUB成功！"));
    state.ui.openLocal(target);
    co_return true;
}

} // namespace Output
