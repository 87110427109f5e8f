#include "model/articlelist.h"
#include "model/categorytable.h"
#include "output/projectfiles.h"
#include "text/charset.h"

#include <QTest>

using namespace Output;

namespace {

constexpr int Baidu = 1; // local names: the link followed by ".html"

const QString Header = QStringLiteral(
    "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\"><HTML><HEAD><meta name=\"GENERATOR\" "
    "content=\"qvlrx卷轴匣\"><!-- Sitemap 1.0 --></HEAD><BODY><OBJECT type=\"text/site properties\">    "
    "<param name=\"ImageType\" value=\"Folder\"></OBJECT><UL>");

QString CategoryLine(const QString& shown, int count, const QString& page)
{
    return QStringLiteral("<LI> <OBJECT type=\"Text/sitemap\"> <param name=\"Name\" value=\"%1(%2)\"> "
                          "<param name=\"Local\" value=\"%3.htm\"></OBJECT>")
        .arg(shown)
        .arg(count)
        .arg(page);
}

QString ArticleLine(int number, const QString& title, const QString& page)
{
    return QStringLiteral("<UL><LI> <OBJECT type=\"Text/sitemap\"> <param name=\"Name\" value=\"%1.%2\"> "
                          "<param name=\"Local\" value=\"%3\"></OBJECT></UL>")
        .arg(number)
        .arg(title, page);
}

} // namespace

class TestProjectFiles : public QObject
{
    Q_OBJECT

private:
    Model::ArticleList m_articles;
    Model::CategoryTable m_categories;

    void add(const QString& title, const QString& category, const QString& link)
    {
        m_articles.AddArticleRow(m_categories, title, category, link, QStringLiteral("2011-05-03 12:30"),
                                 false);
    }

private slots:
    void init()
    {
        m_articles.clearArticles();
        m_categories.reset();
    }

    void projectFileOfSmallList_data()
    {
        QTest::addColumn<bool>("fullText");
        QTest::addColumn<QString>("searchLine");
        QTest::addColumn<QString>("windowLine");
        QTest::newRow("without full-text")
            << false << QStringLiteral("Full-text search=no")
            << QStringLiteral(
                   "main=,\"blog.hhc\",,\"index.html\",\"index.html\",,,,,0x2021 ,,0x104e,,,,,,,,0");
        QTest::newRow("with full-text")
            << true << QStringLiteral("Full-text search=yes")
            << QStringLiteral(
                   "main=,\"blog.hhc\",,\"index.html\",\"index.html\",,,,,0x22421 ,,0x104e,,,,,,,,0");
    }
    void projectFileOfSmallList()
    {
        QFETCH(bool, fullText);
        QFETCH(QString, searchLine);
        QFETCH(QString, windowLine);
        add(QStringLiteral("第一篇"), QStringLiteral("随笔"), QStringLiteral("a1"));
        add(QStringLiteral("second"), QStringLiteral("C# 笔记"), QStringLiteral("b1"));
        add(QStringLiteral("第三篇"), QStringLiteral("随笔"), QStringLiteral("a2"));
        add(QStringLiteral("no category"), QString(), QStringLiteral("c1"));

        const QStringList expected{
            QStringLiteral("[Options]"),
            QStringLiteral("Compatibility = 1.1 Or later"),
            QStringLiteral("Compiled file = ../myblog.chm"),
            QStringLiteral("Contents file = blog.hhc"),
            QStringLiteral("Default window = main"),
            QStringLiteral("Display compile progress=Yes"),
            QStringLiteral("Language=0x804"),
            searchLine,
            QStringLiteral("Title = \"myblog\""),
            QString(),
            QStringLiteral("[WINDOWS]"),
            windowLine,
            QStringLiteral("[Files]"),
            QStringLiteral("随笔/a1.html"),
            QStringLiteral("C_-笔记/b1.html"),
            QStringLiteral("随笔/a2.html"),
            QStringLiteral("c1.html"), // lies directly in the task folder
            QStringLiteral("[INFOTYPES]"),
            QString(),
        };
        QCOMPARE(ProjectFileLines(QStringLiteral("myblog"), fullText, m_articles, Baidu), expected);
    }

    void contentsFileNumbersFromTheBottomRow()
    {
        add(QStringLiteral("t1"), QStringLiteral("A"), QStringLiteral("a1"));
        add(QStringLiteral("t2"), QStringLiteral("B"), QStringLiteral("b1"));
        add(QStringLiteral("t3"), QStringLiteral("A"), QStringLiteral("a2"));
        add(QStringLiteral("t4"), QStringLiteral("A"), QStringLiteral("a3"));

        const QStringList expected{
            Header,
            CategoryLine(QStringLiteral("A"), 3, QStringLiteral("A")),
            ArticleLine(1, QStringLiteral("t4"), QStringLiteral("A/a3.html")),
            ArticleLine(2, QStringLiteral("t3"), QStringLiteral("A/a2.html")),
            ArticleLine(3, QStringLiteral("t1"), QStringLiteral("A/a1.html")),
            CategoryLine(QStringLiteral("B"), 1, QStringLiteral("B")),
            ArticleLine(1, QStringLiteral("t2"), QStringLiteral("B/b1.html")),
            QStringLiteral("</UL></BODY></HTML>"),
            QString(),
        };
        QCOMPARE(ContentsFileLines(m_articles, m_categories, Baidu), expected);
    }

    void longNamesAreCutInTheContentsOnly()
    {
        const QString category = QStringLiteral("一二三四五六七八九十") + QStringLiteral("abcdefghij") +
                                 QStringLiteral("0123456789") + QStringLiteral(" and more");
        const QString title = QStringLiteral("标题").repeated(20);
        add(title, category, QStringLiteral("x1"));

        const QStringList lines = ContentsFileLines(m_articles, m_categories, Baidu);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.at(1),
                 CategoryLine(category.left(30), 1, category.left(30) + QStringLiteral("-and-more")));
        QCOMPARE(lines.at(2),
                 ArticleLine(1, title.left(30), category.left(30) + QStringLiteral("-and-more/x1.html")));
    }

    void rowsOutsideTheCategoryTableHaveNoContentsEntry()
    {
        add(QStringLiteral("kept"), QStringLiteral("A"), QStringLiteral("a1"));
        add(QStringLiteral("moved"), QStringLiteral("A"), QStringLiteral("a2"));
        add(QStringLiteral("loose"), QString(), QStringLiteral("c1"));
        m_articles.setText(2, Model::ArticleList::CategoryColumn, QStringLiteral("A ")); // one character more

        const QStringList contents = ContentsFileLines(m_articles, m_categories, Baidu);
        QCOMPARE(contents.size(), 5);
        QCOMPARE(contents.at(2), ArticleLine(1, QStringLiteral("kept"), QStringLiteral("A/a1.html")));

        const QStringList project = ProjectFileLines(QStringLiteral("t"), false, m_articles, Baidu);
        QVERIFY(project.contains(QStringLiteral("A-/a2.html")));
        QVERIFY(project.contains(QStringLiteral("c1.html")));
    }

    void emptyListAndTable()
    {
        QCOMPARE(ContentsFileLines(m_articles, m_categories, Baidu),
                 (QStringList{Header, QStringLiteral("</UL></BODY></HTML>"), QString()}));
        const QStringList project = ProjectFileLines(QStringLiteral("t"), false, m_articles, Baidu);
        QCOMPARE(project.at(12), QStringLiteral("[Files]"));
        QCOMPARE(project.at(13), QStringLiteral("[INFOTYPES]"));
        QCOMPARE(project.size(), 15);
    }

    void filesEndEveryLineWithCrLfInTheLocalCodePage()
    {
        const QByteArray bytes = ProjectFileBytes({QStringLiteral("</UL></BODY></HTML>"), QString()});
        QCOMPARE(bytes, QByteArray("</UL></BODY></HTML>\r\n\r\n"));
        QCOMPARE(ProjectFileBytes({QStringLiteral("中")}), Text::EncodeLocal(QStringLiteral("中")) + "\r\n");
        QCOMPARE(ProjectFileBytes({QStringLiteral("中")}), QByteArray("\xd6\xd0\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestProjectFiles)
#include "test_projectfiles.moc"
