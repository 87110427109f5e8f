#include "output/bookvolumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace Output {

namespace {

// The files every volume has besides its pages: mimetype, container, package, contents, style sheet,
// cover picture and cover page, with room to spare.
constexpr int FixedEntries = 16;

struct Load
{
    int articles = 0;
    qint64 bytes = 0;
    int entries = 0;

    Load& operator+=(const Load& other)
    {
        articles += other.articles;
        bytes += other.bytes;
        entries += other.entries;
        return *this;
    }
};

Load operator+(Load a, const Load& b)
{
    return a += b;
}

Load LoadOf(const PageWeight& weight, int articles)
{
    return {articles, weight.bytes, weight.entries};
}

} // namespace

PageWeight WeighPage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {0, 1};
    }
    PageWeight weight{file.size(), 1};
    // The references a saved page makes to files beside it; the addresses are ASCII in every code page.
    static const QRegularExpression reference(QStringLiteral(R"((?:src|href)\s*=\s*["']?([^"'\s>]+))"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QString folder = QFileInfo(path).absolutePath();
    QSet<QString> seen;
    // Read a piece at a time: the page that lists every article of a large blog is tens of megabytes. The
    // pieces overlap by more than a reference is long, and a name is counted once, so a reference cut by
    // a piece's end is found whole in the next (a cut name names no file).
    constexpr qint64 Piece = 1024 * 1024;
    constexpr qsizetype Overlap = 4096;
    QByteArray bytes;
    while (!file.atEnd()) {
        bytes = bytes.right(Overlap) + file.read(Piece);
        const QString text = QString::fromLatin1(bytes);
        for (auto it = reference.globalMatch(text); it.hasNext();) {
            const QString name = it.next().captured(1);
            if (name.contains(u':') || name.startsWith(u'/') || name.contains(QLatin1String("..")) ||
                seen.contains(name)) {
                continue;
            }
            seen.insert(name);
            const QFileInfo info(folder + u'/' + name);
            if (info.isFile()) {
                weight.bytes += info.size();
                ++weight.entries;
            }
        }
    }
    return weight;
}

QList<BookPlan> SplitIntoVolumes(const BookPlan& plan, const VolumeLimits& limits,
                                 const std::function<PageWeight(const QString&)>& weighPage)
{
    // Every page is weighed once.
    QHash<QString, PageWeight> weights;
    const auto weigh = [&](const QString& source) {
        const auto known = weights.constFind(source);
        if (known != weights.constEnd()) {
            return known.value();
        }
        const PageWeight weight = weighPage(source);
        weights.insert(source, weight);
        return weight;
    };
    const int entryLimit = std::max(1, limits.entries - FixedEntries);
    const auto fits = [&](const Load& load) {
        return load.articles <= limits.articles && load.bytes <= limits.bytes && load.entries <= entryLimit;
    };

    // Whether the book needs volumes at all.
    Load whole;
    for (const BookPage& page : plan.frontMatter) {
        whole += LoadOf(weigh(page.source), 0);
    }
    for (const BookSection& section : plan.sections) {
        for (const BookPage& page : section.pages) {
            whole += LoadOf(weigh(page.source), 0);
        }
        for (const int index : section.indexes) {
            whole += LoadOf(weigh(plan.chapters.at(index).source), 1);
        }
    }
    if (fits(whole)) {
        return {plan};
    }

    // In volumes, the lists of all articles go: each would be the size of the whole blog again, with
    // links to other volumes that lead nowhere. The pages of twenty stay with their articles.
    QList<BookPlan> volumes(1);
    Load load;
    for (const BookPage& page : plan.frontMatter) {
        if (!page.listsAll) {
            volumes.last().frontMatter.append(page);
            load += LoadOf(weigh(page.source), 0);
        }
    }

    for (const BookSection& section : plan.sections) {
        QList<Load> chapters;
        Load all;
        for (const int index : section.indexes) {
            chapters.append(LoadOf(weigh(plan.chapters.at(index).source), 1));
            all += chapters.last();
        }
        QList<BookPage> sectionPages;
        for (const BookPage& page : section.pages) {
            if (!page.listsAll) {
                sectionPages.append(page);
            }
        }
        QList<Load> pages;
        for (const BookPage& page : sectionPages) {
            pages.append(LoadOf(weigh(page.source), 0));
            all += pages.last();
        }
        // A category that fits into a volume of its own is not split.
        if (load.entries > 0 && !fits(load + all) && fits(all)) {
            volumes.append(BookPlan{});
            load = {};
        }

        BookSection part{section.label, {}, {}, {}, {}};
        qsizetype nextPage = 0;
        const auto closePart = [&] {
            if (!part.pages.isEmpty() || !part.indexes.isEmpty()) {
                volumes.last().sections.append(part);
            }
            part = BookSection{section.label, {}, {}, {}, {}};
        };
        // The index pages that list articles up to number (all of them for 0).
        const auto pagesDue = [&](int number, Load& need) {
            qsizetype k = nextPage;
            while (k < sectionPages.size() && (number == 0 || sectionPages.at(k).firstArticle <= number)) {
                need += pages.at(k);
                ++k;
            }
            return k;
        };
        const auto placePages = [&](qsizetype upTo) {
            for (; nextPage < upTo; ++nextPage) {
                part.pages.append(sectionPages.at(nextPage));
            }
        };
        for (qsizetype k = 0; k < section.indexes.size(); ++k) {
            const int number = section.numbers.value(k);
            Load need = chapters.at(k);
            const qsizetype upTo = pagesDue(number, need);
            if (load.entries > 0 && !fits(load + need)) {
                closePart();
                volumes.append(BookPlan{});
                load = {};
            }
            placePages(upTo);
            part.indexes.append(int(volumes.last().chapters.size()));
            part.numbers.append(number);
            volumes.last().chapters.append(plan.chapters.at(section.indexes.at(k)));
            load += need;
        }
        Load rest;
        const qsizetype upTo = pagesDue(0, rest);
        if (load.entries > 0 && !fits(load + rest) && part.pages.isEmpty() && part.indexes.isEmpty()) {
            volumes.append(BookPlan{});
            load = {};
        }
        placePages(upTo);
        load += rest;
        closePart();
    }
    // A volume left without pages (nothing but a first category too large for it) is none.
    volumes.removeIf([](const BookPlan& volume) {
        return volume.frontMatter.isEmpty() && volume.chapters.isEmpty() && volume.sections.isEmpty();
    });
    return volumes;
}

} // namespace Output
