#include "model/articlesort.h"
#include "support/testrun.h"

#include <QTest>

using Model::ArticleOrder;

namespace {

struct Row
{
    QString title;
    QString category;
    QString date;
};

void Fill(Model::RunState& state, const QList<Row>& rows)
{
    int link = 0;
    for (const Row& row : rows) {
        state.addArticleRow(row.title, row.category, QStringLiteral("blog_%1.html").arg(++link), row.date);
    }
}

QStringList Column(const Model::RunState& state, int column)
{
    QStringList cells;
    for (int row = 1; row <= state.articles.articleCount(); ++row) {
        cells.append(state.articles.text(row, column));
    }
    return cells;
}

const QList<Row> Sample{
    {"春天", "游记", "2011-03-05 12:30"},      // blog_1
    {"第10篇", "随笔", "2011-3-5 9:05"},       // blog_2
    {"第9篇", "游记", "未找到"},               // blog_3
    {"阿里山", "随笔", "(2012-01-02 08:00)"},  // blog_4
    {"Zebra", "游记", "2010年12月31日 23:59"}, // blog_5
    {"重复", "随笔", "2011-03-05 12:30"},      // blog_6
};

} // namespace

class TestArticleSort : public QObject
{
    Q_OBJECT

private slots:
    void dateKeyReadsTheNumbers()
    {
        QCOMPARE(Model::DateKey(QStringLiteral("2011-03-05 12:30")), (QList<qint64>{2011, 3, 5, 12, 30}));
        QCOMPARE(Model::DateKey(QStringLiteral("2010年12月31日")), (QList<qint64>{2010, 12, 31}));
        QVERIFY(Model::DateKey(QStringLiteral("未找到")).isEmpty());
        QVERIFY(Model::DateKey(QStringLiteral("2011-3-5 9:05")) <
                Model::DateKey(QStringLiteral("2011-03-05 12:30")));
    }

    void orders_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("links");
        // Equal dates keep their order; an article without a date goes last either way.
        QTest::newRow("newest first")
            << int(ArticleOrder::NewestFirst) << QStringList{"blog_4.html", "blog_1.html", "blog_6.html",
                                                             "blog_2.html", "blog_5.html", "blog_3.html"};
        QTest::newRow("oldest first")
            << int(ArticleOrder::OldestFirst) << QStringList{"blog_5.html", "blog_2.html", "blog_1.html",
                                                             "blog_6.html", "blog_4.html", "blog_3.html"};
        // Pinyin order for Chinese titles (阿 a, 春 chun, 第 di, 重 zhong), numbers by value, Latin after
        // Han.
        QTest::newRow("title") << int(ArticleOrder::Title)
                               << QStringList{"blog_4.html", "blog_1.html", "blog_3.html",
                                              "blog_2.html", "blog_6.html", "blog_5.html"};
        QTest::newRow("category") << int(ArticleOrder::Category)
                                  << QStringList{"blog_2.html", "blog_4.html", "blog_6.html",
                                                 "blog_1.html", "blog_3.html", "blog_5.html"};
    }
    void orders()
    {
        QFETCH(int, order);
        QFETCH(QStringList, links);
        TestRun run;
        Fill(*run.state, Sample);
        Model::SortArticles(run.state->articles, ArticleOrder(order));
        QCOMPARE(Column(*run.state, Model::ArticleList::LinkColumn), links);
    }

    void rowsReadAsIfAppendedInTheNewOrder()
    {
        TestRun run;
        Fill(*run.state, Sample);
        run.state->articles.setMark(4, QStringLiteral("●"));
        Model::SortArticles(run.state->articles, ArticleOrder::NewestFirst);
        const Model::ArticleList& list = run.state->articles;
        QCOMPARE(Column(*run.state, 0), (QStringList{"1", "2", "3", "4", "5", "6"}));
        // Positions in the category follow the new order: 随笔 blog_4, blog_6, blog_2; 游记 blog_1, blog_5,
        // blog_3.
        QCOMPARE(Column(*run.state, 5), (QStringList{"1", "1", "2", "3", "2", "3"}));
        QCOMPARE(list.mark(1), QStringLiteral("●")); // the mark went with its article
        QCOMPARE(list.title(1), QStringLiteral("阿里山"));
        QCOMPARE(list.date(1), QStringLiteral("(2012-01-02 08:00)"));
        QCOMPARE(list.gridRowCount(), 8);
        QVERIFY(list.text(7, 1).isEmpty());
        // The category table is not touched.
        QCOMPARE(run.state->categories.slotOf(QStringLiteral("游记")), 0);
        QCOMPARE(run.state->categories.countOf(QStringLiteral("随笔")), 3);
        // Appending goes on after the sorted rows.
        QCOMPARE(run.state->addArticleRow(QStringLiteral("新"), QStringLiteral("游记"), QStringLiteral("x"),
                                          QStringLiteral("2013-01-01")),
                 7);
        QCOMPARE(list.text(7, 5), QStringLiteral("4"));
    }

    void shortListsStay()
    {
        TestRun run;
        Model::SortArticles(run.state->articles, ArticleOrder::Title);
        QCOMPARE(run.state->articles.gridRowCount(), 2);
        Fill(*run.state, {{"b", "c", "2011-01-01"}});
        Model::SortArticles(run.state->articles, ArticleOrder::Title);
        QCOMPARE(run.state->articles.title(1), QStringLiteral("b"));
    }
};

QTEST_MAIN(TestArticleSort)
#include "test_articlesort.moc"
