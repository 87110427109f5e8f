// The directory header of a compiled CHM names the listing chunk where a reader starts walking the list of
// files; with it wrong, readers such as chmlib miss pages.
#include "output/chmlisting.h"
#include "output/helpcompiler.h"
#include "support/chmnames.h"
#include "support/files.h"
#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Output;

namespace {

constexpr int ChunkBytes = 0x1000;
constexpr int DirectoryAt = 0x60;
constexpr int DirectoryHeaderBytes = 0x54;

void PutWord(QByteArray& bytes, int at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

// A CHM skeleton: the file header, then a directory of two listing chunks (0, then 1) and an index chunk,
// whose header names `first` as the first listing chunk.
QByteArray Skeleton(quint32 first)
{
    QByteArray bytes(DirectoryAt + DirectoryHeaderBytes + 3 * ChunkBytes, '\0');
    bytes.replace(0, 4, "ITSF");
    PutWord(bytes, 4, 3);
    PutWord(bytes, 8, DirectoryAt);
    qToLittleEndian(quint64(DirectoryAt), bytes.data() + 0x48);
    qToLittleEndian(quint64(DirectoryHeaderBytes + 3 * ChunkBytes), bytes.data() + 0x50);
    const int d = DirectoryAt;
    bytes.replace(d, 4, "ITSP");
    PutWord(bytes, d + 8, DirectoryHeaderBytes);
    PutWord(bytes, d + 16, ChunkBytes);
    PutWord(bytes, d + 24, 2); // depth: one level of index chunks
    PutWord(bytes, d + 28, 2); // root index chunk
    PutWord(bytes, d + 32, first);
    PutWord(bytes, d + 36, 1); // last listing chunk
    PutWord(bytes, d + 44, 3); // chunks
    const int chunks = d + DirectoryHeaderBytes;
    for (int i = 0; i < 2; ++i) {
        const int c = chunks + i * ChunkBytes;
        bytes.replace(c, 4, "PMGL");
        PutWord(bytes, c + 12, i == 0 ? quint32(-1) : 0);
        PutWord(bytes, c + 16, i == 0 ? 1 : quint32(-1));
    }
    bytes.replace(chunks + 2 * ChunkBytes, 4, "PMGI");
    return bytes;
}

using TestSupport::ReadBytes;
using TestSupport::WriteBytes;

} // namespace

class TestChmListing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void repairsTheFirstListingChunk()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("a.chm"));
        WriteBytes(path, Skeleton(1));
        QVERIFY(RepairListingStart(path));
        QCOMPARE(ReadBytes(path), Skeleton(0));

        // A right header stays as it is; a file that is no CHM is left alone.
        QVERIFY(RepairListingStart(path));
        QCOMPARE(ReadBytes(path), Skeleton(0));
        const QByteArray text("<html>no help file</html>");
        WriteBytes(path, text);
        QVERIFY(!RepairListingStart(path));
        QCOMPARE(ReadBytes(path), text);
        QByteArray cut = Skeleton(1);
        cut.truncate(DirectoryAt + DirectoryHeaderBytes + ChunkBytes / 2);
        WriteBytes(path, cut);
        QVERIFY(!RepairListingStart(path));
        QCOMPARE(ReadBytes(path), cut);
    }

    // A task of 150 pages in a folder with a Chinese name fills several listing chunks; walking the
    // listing from its header finds every page.
    void compiledListingShowsEveryPage()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("chmcmd")).isEmpty()) {
            QSKIP("chmcmd (package fp-utils) is not installed");
        }
        QTemporaryDir folder;
        const QString task = folder.filePath(QStringLiteral("博客"));
        QStringList pages{QStringLiteral("index.html")};
        for (int i = 0; i < 150; ++i) {
            pages.append(QStringLiteral("个人日记/blog_%1.html").arg(1330000000 + i * 97));
        }
        for (const QString& page : pages) {
            WriteBytes(task + u'/' + page, "<html><body>" + page.toUtf8() + "</body></html>\r\n");
        }
        WriteBytes(task + QStringLiteral("/blog.hhp"),
                   "[OPTIONS]\r\nCompiled file = ../blog.chm\r\nDefault topic = index.html\r\n"
                   "Language=0x804\r\nTitle = \"blog\"\r\n\r\n[FILES]\r\n");

        const CompileOutcome outcome =
            TestSupport::Wait(HHA_CompileHHP(task + QStringLiteral("/blog.hhp"), {}, {}), 60000);
        QVERIFY2(outcome.made, qPrintable(outcome.reason));
        const QStringList listed = TestSupport::ChmListedNames(ReadBytes(outcome.chmPath));
        for (const QString& page : pages) {
            QVERIFY2(listed.contains(u'/' + page), qPrintable(page));
        }
    }
};

QTEST_GUILESS_MAIN(TestChmListing)
#include "test_chmlisting.moc"
