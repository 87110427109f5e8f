#include "output/projectfiles.h"

#include "model/articlelist.h"
#include "model/articlenames.h"
#include "model/categorytable.h"
#include "text/charset.h"
#include "text/safefilename.h"
#include "text/textprimitives.h"

#include <QHash>
#include <QList>

namespace Output {

namespace {

// Contents lines write a double quote as "#".
QString Quoted(const QString& line)
{
    return Text::Replace(line, QStringLiteral("#"), QStringLiteral("\""));
}

// Names in the contents are cut to this many characters.
constexpr int ShownLength = 30;

} // namespace

QStringList ProjectFileLines(const QString& taskName, bool fullText, const Model::ArticleList& articles,
                             int platform)
{
    const QString style = fullText ? QStringLiteral("0x22421") : QStringLiteral("0x2021");
    QStringList lines{
        QStringLiteral("[Options]"),
        QStringLiteral("Compatibility = 1.1 Or later"),
        QStringLiteral("Compiled file = ../") + taskName + QStringLiteral(".chm"),
        QStringLiteral("Contents file = blog.hhc"),
        QStringLiteral("Default window = main"),
        QStringLiteral("Display compile progress=Yes"),
        QStringLiteral("Language=0x804"),
        QStringLiteral("Full-text search=") + (fullText ? QStringLiteral("yes") : QStringLiteral("no")),
        QStringLiteral("Title = \"") + taskName + u'"',
        QString(),
        QStringLiteral("[WINDOWS]"),
        Quoted(QStringLiteral("main=,#blog.hhc#,,#index.html#,#index.html#,,,,,") + style +
               QStringLiteral(" ,,0x104e,,,,,,,,0")),
        QStringLiteral("[Files]"),
    };
    const int rows = articles.gridRowCount();
    for (int row = 1; row <= rows - 2; ++row) {
        lines.append(Model::ArticlePageReference(platform, articles.category(row), articles.link(row)));
    }
    lines.append(QStringLiteral("[INFOTYPES]"));
    lines.append(QString());
    return lines;
}

QStringList ContentsFileLines(const Model::ArticleList& articles, const Model::CategoryTable& categories,
                              int platform)
{
    QStringList lines{Quoted(QStringLiteral(
        "<!DOCTYPE HTML PUBLIC #-//IETF//DTD HTML//EN#><HTML><HEAD><meta name=#GENERATOR# "
        "content=#qvlrx卷轴匣#><!-- Sitemap 1.0 --></HEAD><BODY><OBJECT type=#text/site properties#>    "
        "<param name=#ImageType# value=#Folder#></OBJECT><UL>"))};

    // Rows of each category, from the last data row up.
    QHash<QString, QList<int>> rowsOf;
    for (int row = articles.gridRowCount() - 2; row >= 1; --row) {
        rowsOf[articles.category(row)].append(row);
    }

    for (int slot = 0; slot < Model::CategoryTable::SlotCount; ++slot) {
        const QString category = categories.name(slot);
        if (category.isEmpty()) {
            break;
        }
        const QString folder = Text::SafeFileName(category);
        lines.append(Quoted(QStringLiteral("<LI> <OBJECT type=#Text/sitemap#> <param name=#Name# value=#") +
                            Text::Left(category, ShownLength) + u'(' + Text::Num(categories.count(slot)) +
                            QStringLiteral(")#> <param name=#Local# value=#") + folder +
                            QStringLiteral(".htm#></OBJECT>")));
        int number = 0;
        for (const int row : rowsOf.value(category)) {
            ++number;
            lines.append(
                Quoted(QStringLiteral("<UL><LI> <OBJECT type=#Text/sitemap#> <param name=#Name# value=#") +
                       Text::Num(number) + u'.' + Text::Left(articles.title(row), ShownLength) +
                       QStringLiteral("#> <param name=#Local# value=#") +
                       Model::ArticlePageReference(platform, category, articles.link(row)) +
                       QStringLiteral("#></OBJECT></UL>")));
        }
    }
    lines.append(QStringLiteral("</UL></BODY></HTML>"));
    lines.append(QString());
    return lines;
}

QByteArray ProjectFileBytes(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return Text::EncodeLocal(text);
}

} // namespace Output
