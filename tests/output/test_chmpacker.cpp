#include "output/bookstamp.h"
#include "output/chmpacker.h"
#include "output/helpcompiler.h"
#include "support/files.h"
#include "support/testrun.h"
#include "taskfixture.h"
#include "text/charset.h"

#include <QCoro/QCoroTask>

#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Output;

namespace {

const QString PackQuestion = QStringLiteral(
    "CHM打包选项|是否需要全文检索?\r\n\r\n如果允许，则生成的CHM体积会大一倍(图片多的话影响小些)"
    "\r\n且打包速度会慢很多，需耐心等待！");

using TestSupport::ReadBytes;

// A stand-in compiler: a shell script with the given body.
QString FakeCompiler(const QTemporaryDir& folder, const QByteArray& body)
{
    const QString path = folder.filePath(QStringLiteral("fakecompiler.sh"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write("#!/bin/sh\n" + body + "\n");
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
    return path;
}

bool Installed(const QString& program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

// Every file below a folder, relative, "/"-separated.
QStringList FilesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.append(QDir(folder).relativeFilePath(it.next()));
    }
    files.sort();
    return files;
}

// Unpacks a CHM into a new folder.
bool Unpack(const QString& chm, const QString& folder)
{
    QProcess process;
    process.start(QStringLiteral("extract_chmLib"), {chm, folder});
    return process.waitForFinished(60000) && process.exitCode() == 0;
}

// Links of a page (href and src) that point at local files.
QStringList LocalLinks(const QString& page)
{
    static const QRegularExpression link(QStringLiteral("(?:href|src)\\s*=\\s*(?:\"([^\"]*)\"|([^\\s>]+))"),
                                         QRegularExpression::CaseInsensitiveOption);
    QStringList links;
    for (auto it = link.globalMatch(page); it.hasNext();) {
        const auto match = it.next();
        const QString target = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
        if (!target.contains(QLatin1String("://")) && !target.startsWith(u'#')) {
            links.append(target);
        }
    }
    return links;
}

} // namespace

class TestChmPacker : public QObject
{
    Q_OBJECT

private slots:
    // The count follows what the compiler has read of the files it lists, runs up to their number and
    // never past it; a compile that ends well ends the count at the last file.
    void progressCountsTheListedFiles()
    {
        TestRun run;
        TaskFixture::Build(*run.state);
        const QStringList taskFiles = FilesBelow(run.path(QStringLiteral("myblog")));
        const int listed = int(taskFiles.size());
        // Files the size of pages and pictures, so that what the compile reads is mostly theirs.
        for (const QString& file : taskFiles) {
            QFile page(run.path(QStringLiteral("myblog/") + file));
            QVERIFY(page.open(QIODevice::Append));
            page.write("<!--" + QByteArray(100000, 'x') + "-->");
        }
        run.ui.answers = {false};
        QTemporaryDir tools;
        HelpCompilerSettings compiler;
        // Reads the project and the contents, then every listed file in turn, as chmcmd does.
        compiler.program = FakeCompiler(
            tools, "list=$(mktemp)\n"
                   "sed -n '/^\\[FILES\\]/,/^\\[/p' \"$2\" | grep -v '^\\[' | tr -d '\\r' > \"$list\"\n"
                   "cat \"$2\" blog.hhc > /dev/null\n"
                   "while read -r f; do cat \"$f\" > /dev/null; sleep 0.15; done < \"$list\"\n"
                   "rm -f \"$list\"\n"
                   "out=$(sed -n 's/^Compiled file = //p' \"$2\" | tr -d '\\r')\n"
                   "echo chm > \"$out\"");

        QVERIFY(QCoro::waitFor(PackChm(*run.state, compiler)));
        QList<int> counts;
        for (const QString& status : run.ui.statusHistory) {
            static const QRegularExpression count(QStringLiteral("^打包第(\\d+)/(\\d+)个$"));
            if (const auto match = count.match(status); match.hasMatch()) {
                QCOMPARE(match.captured(2).toInt(), listed);
                counts.append(match.captured(1).toInt());
            }
        }
        // It moves while the compiler works, not only at its end.
        QVERIFY2(counts.size() >= 2 && counts.first() >= 1 && counts.first() < listed,
                 qPrintable(run.ui.statusHistory.join(u',')));
        QVERIFY(std::is_sorted(counts.cbegin(), counts.cend()));
        QCOMPARE(counts.last(), listed);
        QCOMPARE(run.ui.status(), QStringLiteral("打包CHM成功！"));
    }

    // A task packed before is packed again only when its book would change: any file of the folder
    // changed, added or removed, another option, or the book gone.
    void unchangedTaskKeepsItsBook()
    {
        TestRun run;
        TaskFixture::Build(*run.state);
        QTemporaryDir tools;
        const QString runs = tools.filePath(QStringLiteral("runs"));
        HelpCompilerSettings compiler;
        compiler.program =
            FakeCompiler(tools, "echo run >> '" + runs.toUtf8() +
                                    "'\n"
                                    "out=$(sed -n 's/^Compiled file = //p' \"$2\" | tr -d '\\r')\n"
                                    "cat \"$2\" > \"$out\"");
        const QString chm = run.path(QStringLiteral("myblog.chm"));
        const QString reused = QStringLiteral("电子书已是最新，未重新打包：") + chm;
        int compiles = 0;
        const auto pack = [&](bool fullText) {
            run.ui.answers = {fullText};
            run.ui.openedLocal.clear();
            const bool made = QCoro::waitFor(PackChm(*run.state, compiler));
            compiles = int(ReadBytes(runs).count('\n'));
            return made && run.ui.openedLocal == QStringList{chm};
        };

        QVERIFY(pack(false));
        QCOMPARE(compiles, 1);
        const QByteArray book = ReadBytes(chm);
        const QStringList taskFiles = FilesBelow(run.path(QStringLiteral("myblog")));
        QVERIFY(pack(false));
        QCOMPARE(run.ui.status(), reused);
        QCOMPARE(compiles, 1);
        QCOMPARE(ReadBytes(chm), book);
        // The project files go as after a compile; the stamp is hidden and never listed.
        QCOMPARE(FilesBelow(run.path(QStringLiteral("myblog"))), taskFiles);
        QVERIFY(taskFiles.contains(QStringLiteral(".qvlrx-chm")));
        QVERIFY(!ReadBytes(chm).contains(".qvlrx-chm"));

        const QString page = run.state->articlePagePath(2);
        TaskFixture::WritePage(page, QStringLiteral("改过的正文"));
        QVERIFY(pack(false));
        QCOMPARE(run.ui.status(), QStringLiteral("打包CHM成功！"));
        QCOMPARE(compiles, 2);
        QVERIFY(pack(true));
        QCOMPARE(compiles, 3);
        QVERIFY(pack(true));
        QCOMPARE(compiles, 3);
        TaskFixture::WritePage(run.path(QStringLiteral("myblog/extra.htm")), QStringLiteral("新页"));
        QVERIFY(pack(true));
        QCOMPARE(compiles, 4);
        QVERIFY(QFile::remove(run.path(QStringLiteral("myblog/extra.htm"))));
        QVERIFY(pack(true));
        QCOMPARE(compiles, 5);
        QVERIFY(QFile::remove(chm));
        QVERIFY(pack(true));
        QCOMPARE(compiles, 6);
        QCOMPARE(run.ui.status(), QStringLiteral("打包CHM成功！"));
    }

    // A long project is hashed a piece at a time: the digest is that of the whole text, also where a
    // character outside the basic plane or a lone surrogate meets the end of a piece.
    void bookStampHashesLongTextsWhole()
    {
        QString text(200000, u'目');
        for (const qsizetype at : {65535, 131071, 131072}) {
            text.replace(at, 2, QString::fromUcs4(U"\U00020000"));
        }
        text[196607] = QChar(0xd800);
        Output::BookInputs pieces("test");
        pieces.addText("project", text);
        Output::BookInputs whole("test");
        whole.add("project", text.toUtf8());
        QCOMPARE(pieces.digest(), whole.digest());
    }

    void missingCompilerIsReportedAndKeepsTheProject()
    {
        TestRun run;
        TaskFixture::Build(*run.state);
        run.ui.answers = {true};
        HelpCompilerSettings compiler;
        compiler.program = run.path(QStringLiteral("no-such-chmcmd"));

        QVERIFY(!QCoro::waitFor(PackChm(*run.state, compiler)));
        QCOMPARE(run.ui.questions, QStringList{PackQuestion});
        QVERIFY(run.ui.status().startsWith(QStringLiteral("打包CHM失败：")));
        QVERIFY(run.ui.status().contains(QStringLiteral("fp-utils")));
        QVERIFY(!run.ui.statusHistory.contains(QStringLiteral("打包CHM成功！")));
        QVERIFY(QFile::exists(run.path(QStringLiteral("myblog/blog.hhp"))));
        QVERIFY(QFile::exists(run.path(QStringLiteral("myblog/blog.hhc"))));
        QVERIFY(ReadBytes(run.path(QStringLiteral("myblog/blog.hhp"))).contains("Full-text search=yes\r\n"));
        QVERIFY(!QFile::exists(run.path(QStringLiteral("myblog.chm"))));
        QVERIFY(run.ui.openedLocal.isEmpty());
        QVERIFY(run.ui.commandStates.isEmpty());
        // Nothing of the compile is left behind.
        QCOMPARE(QDir(run.folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
        QCOMPARE(QDir(run.path(QStringLiteral("myblog")))
                     .entryList({QStringLiteral(".*.hhp")}, QDir::Files | QDir::Hidden),
                 QStringList{});
    }

    void automaticModeNeverAsksAndPacksWithoutFullText()
    {
        TestRun run;
        TaskFixture::Build(*run.state);
        TestSupport::WriteAutoConfig(run.folder.path(),
                                     {QStringLiteral("0"), QStringLiteral("myblog"), QStringLiteral("x"),
                                      QStringLiteral("1"), QStringLiteral("0")});
        HelpCompilerSettings compiler;
        compiler.program = run.path(QStringLiteral("no-such-chmcmd"));

        QVERIFY(!QCoro::waitFor(PackChm(*run.state, compiler)));
        QVERIFY(run.ui.questions.isEmpty());
        const QByteArray project = ReadBytes(run.path(QStringLiteral("myblog/blog.hhp")));
        QVERIFY(project.contains("Full-text search=no\r\n"));
        QVERIFY(project.contains(",,,,,0x2021 ,,0x104e,"));
    }

    void unusableTaskIsRefused_data()
    {
        QTest::addColumn<QString>("taskName");
        QTest::newRow("no task") << QString();
        QTest::newRow("parent folder") << QStringLiteral("..");
        QTest::newRow("slash") << QStringLiteral("a/b");
        QTest::newRow("folder missing") << QStringLiteral("never-downloaded");
    }
    void unusableTaskIsRefused()
    {
        QFETCH(QString, taskName);
        TestRun run;
        QDir().mkpath(run.path(QStringLiteral("a/b")));
        run.state->task.TaskName = taskName;
        run.state->addArticleRow(QStringLiteral("t"), QStringLiteral("c"), QStringLiteral("x.html"),
                                 QString());

        QVERIFY(!QCoro::waitFor(PackChm(*run.state)));
        QVERIFY(run.ui.status().startsWith(QStringLiteral("打包CHM失败：")));
        QCOMPARE(FilesBelow(run.folder.path()), QStringList{});
        QVERIFY(!QFile::exists(run.path(QStringLiteral("../blog.hhp"))));
    }

    void compilerFailuresAreReportedAndKeepTheEarlierChm_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("reason");
        QTest::newRow("error exit") << QByteArray("echo 'Writing CHM'\necho 'Error: boom' >&2\nexit 3")
                                    << QStringLiteral("退出码3）：Error: boom");
        QTest::newRow("silent") << QByteArray("exec sleep 30") << QStringLiteral("长时间没有反应");
        QTest::newRow("no file") << QByteArray("echo done") << QStringLiteral("没有生成文件");
    }
    void compilerFailuresAreReportedAndKeepTheEarlierChm()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, reason);
        TestRun run;
        TaskFixture::Build(*run.state);
        TaskFixture::WriteBytes(run.path(QStringLiteral("myblog.chm")), "earlier CHM");
        run.ui.answers = {false};
        QTemporaryDir tools;
        HelpCompilerSettings compiler;
        compiler.program = FakeCompiler(tools, script);
        compiler.silenceLimitMs = 300;

        QElapsedTimer clock;
        clock.start();
        QVERIFY(!QCoro::waitFor(PackChm(*run.state, compiler)));
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY2(run.ui.status().startsWith(QStringLiteral("打包CHM失败：")), qPrintable(run.ui.status()));
        QVERIFY2(run.ui.status().contains(reason), qPrintable(run.ui.status()));
        QCOMPARE(ReadBytes(run.path(QStringLiteral("myblog.chm"))), QByteArray("earlier CHM"));
        QVERIFY(QFile::exists(run.path(QStringLiteral("myblog/blog.hhp"))));
        QCOMPARE(QDir(run.folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"myblog.chm"});
    }

    // A compiler that prints nothing while it works is not given up while its book changes or, where its
    // reading and writing cannot be read, while it uses processor time.
    void quietCompilerAtWorkIsNotGivenUp_data()
    {
        const QByteArray book = "book=$(sed -n 's/^Compiled file = \\(.*\\)\\r$/\\1/p' \"$2\")\n";
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("processorTime");
        QTest::newRow("growing book")
            << book + "for i in 1 2 3 4 5 6 7 8 9 10 11 12; do printf x >> \"$book\"; sleep 0.1; done"
            << false;
        QTest::newRow("computing") << book + "i=0; while [ $i -lt 1000000 ]; do i=$((i+1)); done\n"
                                             "printf x > \"$book\""
                                   << true;
    }
    void quietCompilerAtWorkIsNotGivenUp()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, processorTime);
        TestRun run;
        TaskFixture::Build(*run.state);
        run.ui.answers = {false};
        QTemporaryDir tools;
        HelpCompilerSettings compiler;
        compiler.program = FakeCompiler(tools, script);
        compiler.silenceLimitMs = 300;
        // No reading and writing to be seen, as on a system without /proc/<pid>/io.
        compiler.readActivity = [processorTime](qint64 pid) {
            ProcessActivity activity;
            if (processorTime) {
                activity.cpuTicks = ReadProcessActivity(pid).cpuTicks;
            }
            return activity;
        };

        QElapsedTimer clock;
        clock.start();
        QCoro::waitFor(PackChm(*run.state, compiler));
        QVERIFY2(!run.ui.status().contains(QStringLiteral("长时间没有反应")), qPrintable(run.ui.status()));
        QVERIFY(clock.elapsed() > compiler.silenceLimitMs);
        QVERIFY(ReadBytes(run.path(QStringLiteral("myblog.chm"))).startsWith("x"));
    }

    void compilerGetsEveryFileOfTheFolder()
    {
        const QString project = QStringLiteral(
            "[Options]\r\nCompiled file = ../博客.chm\r\nContents file = blog.hhc\r\nDefault window = "
            "main\r\n"
            "Title = "
            "\"博客\"\r\n\r\n[WINDOWS]\r\nmain=,\"blog.hhc\",,\"index.html\",\"index.html\",,,,,0x2021 ,,"
            "0x104e,,,,,,,,0\r\n[Files]\r\n随笔/a1.html\r\nnever/downloaded.html\r\n[INFOTYPES]\r\n\r\n");
        const QByteArray copy = CompilerProjectCopy(
            project, QStringLiteral("/p/.out.chm"),
            {QStringLiteral("index.html"), QStringLiteral("随笔/a1.html"), QStringLiteral("随笔/p.jpg")});
        const QByteArray expected =
            "[Options]\r\nDefault topic = index.html\r\nCompiled file = /p/.out.chm\r\n"
            "Contents file = blog.hhc\r\nDefault window = main\r\n" +
            Text::EncodeLocal(QStringLiteral("Title = \"博客\"")) +
            "\r\n\r\n[WINDOWS]\r\nmain=,\"blog.hhc\",,\"index.html\",\"index.html\",,,,,0x2021 ,,"
            "0x104e,,,,,,,,0\r\n[FILES]\r\nindex.html\r\n" +
            QStringLiteral("随笔/a1.html\r\n随笔/p.jpg\r\n").toUtf8() + "[INFOTYPES]\r\n\r\n";
        QCOMPARE(copy, expected);
    }

    void packedChmHoldsEveryPageAndLink()
    {
        if (!Installed(QStringLiteral("chmcmd")) || !Installed(QStringLiteral("extract_chmLib"))) {
            QSKIP("chmcmd (package fp-utils) or extract_chmLib (package libchm-bin) is not installed");
        }
        TestRun run;
        TaskFixture::Build(*run.state);
        const QStringList taskFiles = FilesBelow(run.path(QStringLiteral("myblog")));
        run.ui.answers = {false};

        QVERIFY(QCoro::waitFor(PackChm(*run.state)));
        QCOMPARE(run.ui.status(), QStringLiteral("打包CHM成功！"));
        QCOMPARE(run.ui.statusHistory.first(), QStringLiteral("正在打包CHM..."));
        QVERIFY(run.ui.statusHistory.at(1).startsWith(QStringLiteral("打包第")));
        QCOMPARE(run.ui.statusHistory.at(run.ui.statusHistory.size() - 2),
                 QStringLiteral("打包第%1/%1个").arg(taskFiles.size()));
        const QString chm = run.path(QStringLiteral("myblog.chm"));
        QCOMPARE(run.ui.openedLocal, QStringList{chm});
        QVERIFY(QFileInfo(chm).permissions().testFlag(QFileDevice::ReadOther)); // not the temporary's 0600
        QCOMPARE(run.ui.commandStates,
                 (QList<Model::CommandStates>{Model::CommandStates{true, false, false, true, false, true}}));
        // The project files are gone; what the book was made from is kept in a hidden file.
        QStringList afterPacking = taskFiles;
        afterPacking.append(QStringLiteral(".qvlrx-chm"));
        afterPacking.sort();
        QCOMPARE(FilesBelow(run.path(QStringLiteral("myblog"))), afterPacking);
        QCOMPARE(QDir(run.folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"myblog.chm"});

        QTemporaryDir unpacked;
        QVERIFY(Unpack(chm, unpacked.filePath(QStringLiteral("chm"))));
        const QString root = unpacked.filePath(QStringLiteral("chm"));
        for (const QString& file : taskFiles) {
            QCOMPARE(ReadBytes(root + u'/' + file), ReadBytes(run.path(QStringLiteral("myblog/") + file)));
        }
        QVERIFY(QFile::exists(root + QStringLiteral("/blog.hhc")));
        QVERIFY(!QFile::exists(root + QStringLiteral("/$FIftiMain")));

        int linksChecked = 0;
        for (const QString& file : taskFiles) {
            if (!file.endsWith(QLatin1String(".htm")) && !file.endsWith(QLatin1String(".html"))) {
                continue;
            }
            const QString page = Text::DecodeLocal(ReadBytes(root + u'/' + file));
            const QString pageFolder = QFileInfo(root + u'/' + file).path();
            for (const QString& link : LocalLinks(page)) {
                const QString target = QDir::cleanPath(pageFolder + u'/' + link);
                QVERIFY2(target.startsWith(root + u'/') && QFileInfo(target).isFile(),
                         qPrintable(file + QStringLiteral(" -> ") + link));
                ++linksChecked;
            }
        }
        QVERIFY(linksChecked >= 15);
    }

    void fullTextAddsTheSearchIndex()
    {
        if (!Installed(QStringLiteral("chmcmd")) || !Installed(QStringLiteral("extract_chmLib"))) {
            QSKIP("chmcmd (package fp-utils) or extract_chmLib (package libchm-bin) is not installed");
        }
        TestRun run;
        TaskFixture::Build(*run.state, QStringLiteral("全文"));
        run.ui.answers = {true};

        QVERIFY(QCoro::waitFor(PackChm(*run.state)));
        QTemporaryDir unpacked;
        QVERIFY(Unpack(run.path(QStringLiteral("全文.chm")), unpacked.filePath(QStringLiteral("chm"))));
        QVERIFY(QFile::exists(unpacked.filePath(QStringLiteral("chm/$FIftiMain"))));
        QVERIFY(QFile::exists(unpacked.filePath(QStringLiteral("chm/index.html"))));
    }
};

QTEST_GUILESS_MAIN(TestChmPacker)
#include "test_chmpacker.moc"
