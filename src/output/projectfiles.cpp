#include "output/projectfiles.h"

#include "model/articlelist.h"
#include "model/articlenames.h"
#include "model/categorytable.h"
#include "text/charset.h"
#include "text/failure.h"
#include "text/safefilename.h"
#include "text/textprimitives.h"
#include "text/writefailure.h"

#include <QHash>
#include <QList>
#include <QSaveFile>

#include <cerrno>

namespace Output {

namespace {

// Contents lines write a double quote as "#".
QString Quoted(const QString& line)
{
    return Text::Replace(line, QStringLiteral("#"), QStringLiteral("\""));
}

// A line as it stands in the file.
QByteArray LineBytes(const QString& line)
{
    return Text::EncodeLocal(line + QStringLiteral("\r\n"));
}

// Names in the contents are cut to this many characters.
constexpr int ShownLength = 30;

} // namespace

void ForEachProjectFileLine(const QString& taskName, bool fullText, const Model::ArticleList& articles,
                            int platform, const LineSink& sink)
{
    const QString style = fullText ? QStringLiteral("0x22421") : QStringLiteral("0x2021");
    const QStringList options{
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
    for (const QString& line : options) {
        sink(line);
    }
    const int rows = articles.gridRowCount();
    for (int row = 1; row <= rows - 2; ++row) {
        sink(Model::ArticlePageReference(platform, articles.category(row), articles.link(row)));
    }
    sink(QStringLiteral("[INFOTYPES]"));
    sink(QString());
}

QStringList ProjectFileLines(const QString& taskName, bool fullText, const Model::ArticleList& articles,
                             int platform)
{
    QStringList lines;
    ForEachProjectFileLine(taskName, fullText, articles, platform,
                           [&lines](const QString& line) { lines.append(line); });
    return lines;
}

void ForEachContentsFileLine(const Model::ArticleList& articles, const Model::CategoryTable& categories,
                             int platform, const LineSink& sink)
{
    sink(Quoted(QStringLiteral(
        "<!DOCTYPE HTML PUBLIC #-//IETF//DTD HTML//EN#><HTML><HEAD><meta name=#GENERATOR# "
        "content=#qvlrx卷轴匣#><!-- Sitemap 1.0 --></HEAD><BODY><OBJECT type=#text/site properties#>    "
        "<param name=#ImageType# value=#Folder#></OBJECT><UL>")));

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
        sink(Quoted(QStringLiteral("<LI> <OBJECT type=#Text/sitemap#> <param name=#Name# value=#") +
                    Text::Left(category, ShownLength) + u'(' + Text::Num(categories.count(slot)) +
                    QStringLiteral(")#> <param name=#Local# value=#") + folder +
                    QStringLiteral(".htm#></OBJECT>")));
        int number = 0;
        for (const int row : rowsOf.value(category)) {
            ++number;
            sink(Quoted(QStringLiteral("<UL><LI> <OBJECT type=#Text/sitemap#> <param name=#Name# value=#") +
                        Text::Num(number) + u'.' + Text::Left(articles.title(row), ShownLength) +
                        QStringLiteral("#> <param name=#Local# value=#") +
                        Model::ArticlePageReference(platform, category, articles.link(row)) +
                        QStringLiteral("#></OBJECT></UL>")));
        }
    }
    sink(QStringLiteral("</UL></BODY></HTML>"));
    sink(QString());
}

QStringList ContentsFileLines(const Model::ArticleList& articles, const Model::CategoryTable& categories,
                              int platform)
{
    QStringList lines;
    ForEachContentsFileLine(articles, categories, platform,
                            [&lines](const QString& line) { lines.append(line); });
    return lines;
}

QByteArray ProjectFileBytes(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += LineBytes(line);
    }
    return bytes;
}

void WriteProjectFile(const QString& path, const std::function<void(const LineSink& sink)>& produce)
{
    // The system's error number is taken where a step fails: a full disk stops the run in words.
    const QString message = QStringLiteral("无法写入%1").arg(path);
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        Text::ThrowWriteError(message, errno);
    }
    bool written = true;
    int error = 0;
    produce([&](const QString& line) {
        if (!written) {
            return;
        }
        const QByteArray bytes = LineBytes(line);
        errno = 0;
        written = file.write(bytes) == bytes.size();
        error = errno;
    });
    if (!written) {
        file.cancelWriting();
        Text::ThrowWriteError(message, error);
    }
    errno = 0;
    if (!file.commit()) {
        Text::ThrowWriteError(message, errno);
    }
}

} // namespace Output
