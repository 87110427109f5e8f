// The platform table, the article list with its category counts, and the asset queue.
#include "model/articlelist.h"
#include "model/assetqueue.h"
#include "model/autoconfig.h"
#include "model/categorytable.h"
#include "model/platformprofile.h"
#include "support/files.h"
#include "text/failure.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Model;

class TestModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void composedMarkers()
    {
        PlatformProfileTable table;
        QCOMPARE(table[NetEase()].BodyStartMarker, QStringLiteral("<div class=\"multicntwrap\">"));
        QCOMPARE(table[Ifeng].BodyStartMarker, QStringLiteral("{\"message\":\""));
        QCOMPARE(table[Ifeng].BodyEndMarker, QStringLiteral("\"};\ndocument.getElementById"));
        QCOMPARE(table[Cto51].NoArticleMarker1, QStringLiteral("Copyright By 51CTO.COM 版权所有"));
        QCOMPARE(table[Sina].NoArticleMarker2, QStringLiteral("http://blog.sina.com.cn/main_v5/ria"));
        QCOMPARE(table[Hexun].BodyStartMarker, QStringLiteral("<!--  文章内容:开始  -->"));
        QCOMPARE(table[Qzone].NoArticleMarker1, QString());
        QCOMPARE(table[Cersp].Charset, QStringLiteral("GB2312"));
        QCOMPARE(table[Cnblogs].Name, QStringLiteral("博客园"));
        QCOMPARE(table[17].Name, QString());
        table.SetBodyMarkers(CerspEblog, QStringLiteral("相册</a>"), QStringLiteral(">阅读全文<span id="));
        QCOMPARE(table[CerspEblog].BodyEndMarker, QStringLiteral(">阅读全文<span id="));
        table.BuildPlatformProfileTable();
        QCOMPARE(table[CerspEblog].BodyStartMarker, QStringLiteral("</strong></td>"));
    }

    void addArticleRowNumbersAndCounts()
    {
        ArticleList list;
        CategoryTable categories;
        QCOMPARE(list.gridRowCount(), 2);
        QCOMPARE(list.AddArticleRow(categories, "t1", "A", "l1", "d1", false), 1);
        QCOMPARE(list.gridRowCount(), 3);
        list.AddArticleRow(categories, "t2", "B", "l2", "d2", false);
        list.AddArticleRow(categories, "t3", "A", "l3", "d3", false);
        list.AddArticleRow(categories, "t4", "AB", "l4", "d4", false);
        QCOMPARE(list.text(1, 0), QStringLiteral("1"));
        QCOMPARE(list.text(3, ArticleList::PositionColumn), QStringLiteral("2"));
        QCOMPARE(list.text(4, ArticleList::PositionColumn), QStringLiteral("1"));
        QCOMPARE(categories.name(0), QStringLiteral("A"));
        QCOMPARE(categories.count(0), 2);
        QCOMPARE(categories.name(2), QStringLiteral("AB"));
        QCOMPARE(categories.usedSlots(), 3);
        QCOMPARE(list.text(list.gridRowCount() - 1, 1), QString());
        // The model shows the data rows and the spare row; the header row is the view's header.
        QCOMPARE(list.rowCount(), list.gridRowCount() - 1);
        QCOMPARE(list.headerData(1, Qt::Horizontal).toString(), QStringLiteral("标题"));
    }

    // The lookup of an article by category and link follows rows that were removed or moved.
    void articleFoundByCategoryAndLink()
    {
        ArticleList list;
        CategoryTable categories;
        for (int i = 1; i <= 5; ++i) {
            list.AddArticleRow(categories, "t", "A", QStringLiteral("l%1").arg(i), "d", false);
        }
        list.AddArticleRow(categories, "t", "B", "l1", "d", false);
        QCOMPARE(list.rowOf("A", "l3"), 3);
        QCOMPARE(list.rowOf("B", "l1"), 6);
        QCOMPARE(list.rowOf("B", "l2"), 0);
        list.removeDataRows(2, 3);
        QCOMPARE(list.rowOf("A", "l3"), 0);
        QCOMPARE(list.rowOf("A", "l5"), 3);
        QCOMPARE(list.rowOf("B", "l1"), 4);
        list.reorderDataRows({4, 3, 2, 1});
        QCOMPARE(list.rowOf("B", "l1"), 1);
        QCOMPARE(list.rowOf("A", "l1"), 4);
        list.clearArticles();
        QCOMPARE(list.rowOf("A", "l1"), 0);
    }

    void emptyCategoryGetsItsOwnCount()
    {
        ArticleList list;
        CategoryTable categories;
        list.AddArticleRow(categories, "t", "", "l", "d", false);
        list.AddArticleRow(categories, "t", "", "l2", "d", false);
        QCOMPARE(list.text(2, ArticleList::PositionColumn), QStringLiteral("2"));
        QCOMPARE(categories.usedSlots(), 0);
        QCOMPARE(categories.uncategorisedCount(), 2);
    }

    void fullCategoryTableFailsCleanly()
    {
        ArticleList list;
        CategoryTable categories;
        for (int i = 0; i < CategoryTable::SlotCount; ++i) {
            list.AddArticleRow(categories, "t", QString::number(i), "l", "d", false);
        }
        const int rows = list.gridRowCount();
        QVERIFY_THROWS_EXCEPTION(Text::Failure, list.AddArticleRow(categories, "t", "new", "l", "d", false));
        QCOMPARE(list.gridRowCount(), rows);
        QCOMPARE(list.text(rows - 1, 1), QString());
        // A known category still counts.
        list.AddArticleRow(categories, "t", "7", "l", "d", false);
        QCOMPARE(categories.countOf("7"), 2);
    }

    void scrollingKeepsNewestRowsInView()
    {
        ArticleList list;
        CategoryTable categories;
        QSignalSpy spy(&list, &ArticleList::firstVisibleRowRequested);
        for (int i = 0; i < 4; ++i) {
            list.AddArticleRow(categories, "t", "A", "l", "d", true);
        }
        QCOMPARE(spy.count(), 1); // row count 6 after the 4th
        list.AddArticleRow(categories, "t", "A", "l", "d", true);
        QCOMPARE(spy.last().at(0).toInt(), 2);
        list.AddArticleRow(categories, "t", "A", "l", "d", false);
        QCOMPARE(spy.count(), 2);
    }

    void rowCountChangesKeepTheSpareRowEmpty()
    {
        ArticleList list;
        CategoryTable categories;
        for (int i = 0; i < 10; ++i) {
            list.AddArticleRow(categories, QString::number(i), "A", "l", "d", false);
        }
        list.removeDataRows(5, 8);
        QCOMPARE(list.articleCount(), 6);
        QCOMPARE(list.title(5), QStringLiteral("8"));
        list.removeDataRows(0, 100); // the header and the spare row stay
        QCOMPARE(list.gridRowCount(), 2);
        QCOMPARE(list.text(0, 1), QStringLiteral("标题"));
        list.AddArticleRow(categories, "x", "A", "l", "d", false);
        list.AddArticleRow(categories, "y", "A", "l", "d", false);
        list.setGridRowCount(2);
        QCOMPARE(list.text(1, 1), QString());
    }

    void assetQueueRows()
    {
        AssetQueue queue;
        QCOMPARE(queue.AddAssetRow(AssetQueue::ImageKind, "http://a/b.png", "cat", false), 1);
        queue.AddAssetRow(AssetQueue::CommentKind, "http://a/c.html", "cat", false);
        QCOMPARE(queue.jobCount(), 2);
        QCOMPARE(queue.kind(2), 100);
        QCOMPARE(queue.text(2, 0), QStringLiteral("2"));
        QCOMPARE(queue.headerData(5, Qt::Horizontal).toString(), QStringLiteral("结果"));
        QCOMPARE(queue.columnWidthTwips(2), 6100);
    }

    // Random edits of a queue against a plain copy: every cell (empty ones, very long ones, any
    // character) reads back as written, and the first waiting job is always the first empty result.
    void queueCellsAndFirstWaitingJobUnderRandomEdits()
    {
        AssetQueue queue;
        QList<QStringList> copy; // data rows: address, result
        QRandomGenerator random(16);
        const auto someText = [&] {
            switch (random.bounded(5)) {
            case 0:
                return QString();
            case 1:
                return QString(70000 + random.bounded(3), QChar(u'长'));
            case 2:
                return QString(QChar(char16_t(0xFFFF))) + QChar(char16_t(0)) + QStringLiteral("\t●");
            default:
                return QStringLiteral("http://s%1.sinaimg.cn/%2.png")
                    .arg(random.bounded(16))
                    .arg(random.bounded(1000));
            }
        };
        for (int step = 0; step < 3000; ++step) {
            const int rows = int(copy.size());
            const int action = random.bounded(10);
            if (action < 4 || rows == 0) {
                const QString address = someText();
                queue.AddAssetRow(AssetQueue::ImageKind, address, QStringLiteral("甲"), false);
                copy.append({address, QString()});
            } else if (action < 8) {
                const int row = 1 + random.bounded(rows);
                const QString result = random.bounded(3) == 0 ? QString() : someText();
                queue.setResult(row, result);
                copy[row - 1][1] = result;
            } else if (action == 8) {
                const int first = 1 + random.bounded(rows);
                const int last = std::min(rows, first + random.bounded(4));
                queue.removeDataRows(first, last);
                copy.remove(first - 1, last - first + 1);
            } else {
                int waiting = 1;
                while (waiting <= int(copy.size()) && !copy.at(waiting - 1).at(1).isEmpty()) {
                    ++waiting;
                }
                QCOMPARE(queue.firstWaitingJob(), waiting);
                if (waiting <= int(copy.size())) {
                    queue.setResult(waiting, QStringLiteral("○"));
                    copy[waiting - 1][1] = QStringLiteral("○");
                }
            }
        }
        QCOMPARE(queue.jobCount(), int(copy.size()));
        for (int row = 1; row <= queue.jobCount(); ++row) {
            QCOMPARE(queue.address(row), copy.at(row - 1).at(0));
            QCOMPARE(queue.result(row), copy.at(row - 1).at(1));
            QCOMPARE(queue.folder(row), QStringLiteral("甲"));
        }
    }

    void autoConfig()
    {
        QTemporaryDir dir;
        QCOMPARE(ReadAutoConfigField(dir.path(), 0), QString());
        const auto write = [&](const QByteArray& bytes) {
            TestSupport::WriteBytes(dir.filePath("auto.cfg"), bytes);
        };
        write("xx<blog>0</blog><name>abc</name><pic>True</pic>");
        QCOMPARE(ReadAutoConfigField(dir.path(), 0), QStringLiteral("0"));
        QCOMPARE(ReadAutoConfigField(dir.path(), 1), QStringLiteral("abc"));
        QCOMPARE(ReadAutoConfigField(dir.path(), 2), QStringLiteral("未找到"));
        QCOMPARE(ReadAutoConfigField(dir.path(), 7), QString());
        // A file that starts with its first tag keeps it: only bytes before a tag are skipped.
        write("<blog>0</blog>");
        QCOMPARE(ReadAutoConfigField(dir.path(), 0), QStringLiteral("0"));
        write("\r\n<blog></blog>");
        QCOMPARE(ReadAutoConfigField(dir.path(), 0), QString());
        QVERIFY(ConfigTruth("True"));
        QVERIFY(ConfigTruth("-1"));
        QVERIFY(!ConfigTruth("0"));
        QVERIFY(!ConfigTruth("False"));
    }

private:
    static int NetEase() { return Netease; }
};

QTEST_GUILESS_MAIN(TestModel)
#include "test_model.moc"
