#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

namespace TestSupport {

// A page that a real blog site served, read where the project's neighbour folder keeps it (never copied
// into the project). The folder's leading number is the platform.
struct RealPage
{
    QString name; // "3-netease/....html"
    int platform = 0;
    QString text;      // what the page says
    QByteArray served; // the bytes its site sent: NetEase pages kept as UTF-8 went out in GBK
};

inline QString RealPagesFolder()
{
    return QStringLiteral(QVLRX_REALPAGES);
}

// Every page, in a stable order; empty when the folder is absent.
inline QList<RealPage> RealPages()
{
    const QDir root(RealPagesFolder());
    QStringList names;
    QDirIterator files(root.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString name = root.relativeFilePath(files.next());
        if (name.contains(u'/')) {
            names.append(name);
        }
    }
    names.sort();
    QList<RealPage> pages;
    for (const QString& name : names) {
        QFile file(root.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        RealPage page;
        page.name = name;
        page.platform = name.section(u'-', 0, 0).toInt();
        const QByteArray stored = file.readAll();
        QStringDecoder utf8(QStringDecoder::Utf8);
        page.text = utf8.decode(stored);
        if (utf8.hasError()) {
            // Kept as the site's own GBK bytes.
            page.text = QStringDecoder("GB18030").decode(stored);
            page.served = stored;
        } else {
            page.served = page.platform == 3 ? QByteArray(QStringEncoder("GB18030").encode(page.text)) : stored;
        }
        pages.append(page);
    }
    return pages;
}

} // namespace TestSupport

// Skips the test where the real pages are not beside the project.
#define REAL_PAGES_OR_SKIP(pages)                                                                             \
    const QList<TestSupport::RealPage> pages = TestSupport::RealPages();                                      \
    if (pages.isEmpty()) {                                                                                    \
        QSKIP(qPrintable(QStringLiteral("no real pages in %1").arg(TestSupport::RealPagesFolder())));          \
    }
