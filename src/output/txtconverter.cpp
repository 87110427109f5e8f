#include "output/txtconverter.h"

#include "model/runstate.h"
#include "text/charset.h"
#include "text/containedpath.h"
#include "text/failure.h"
#include "text/pagefetch.h"
#include "text/safefilename.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Output {

namespace {

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Does the tag follow the byte at position i (1-based)? Only looked at when i + its length is less than the
// page's length.
bool Follows(const QByteArray& page, qsizetype i, const char* tag, qsizetype n)
{
    if (i + n >= page.size()) {
        return false;
    }
    for (qsizetype k = 0; k < n; ++k) {
        if (Upper(page.at(i + k)) != tag[k]) {
            return false;
        }
    }
    return true;
}

// The collection file of a category: "all" and the safe name of the category with its extension.
QString CollectionName(const QString& category)
{
    const QString name = QStringLiteral("all") + Text::SafeFileName(category + QStringLiteral(".txt"));
    if (name.toUtf8().size() <= 255) {
        return name;
    }
    return Text::FitFileName(QStringLiteral("all"), Text::SafeFileName(category), QStringLiteral(".txt"));
}

const QString Separator = QStringLiteral("----------------   ");
const QString SeparatorEnd = QStringLiteral("   ----------------");

} // namespace

QByteArray ScanPageBytes(const QByteArray& page)
{
    const qsizetype length = page.size();
    QByteArray out(length, '\0');
    qsizetype written = 0;
    bool copying = false;
    bool inScript = false;
    // i is the 1-based position of the current byte, so page.at(i) is the byte after it.
    for (qsizetype i = 1; i <= length; ++i) {
        const char b = page.at(i - 1);
        if (b == '<') {
            if (Follows(page, i, "/SCRIPT>", 8)) {
                inScript = false;
            }
            if (Follows(page, i, "/HEAD>", 6)) {
                written = 0;
                i += 6;
            }
            if (Follows(page, i, "/STYLE", 6)) {
                inScript = false;
            }
            if (Follows(page, i, "SCRIPT", 6)) {
                inScript = true;
            }
            if (Follows(page, i, "/P>", 3) || Follows(page, i, "BR>", 3)) {
                out[written++] = '\r';
                out[written++] = '\n';
                i += 3;
                copying = true;
            } else {
                copying = false;
            }
            if (Follows(page, i, "STYLE", 5)) {
                copying = false;
                inScript = true;
            }
        } else if (b == '>') {
            copying = true;
        } else if (b == '\r') {
            if (i < length && page.at(i) == '\n') {
                ++i;
            }
        } else if (b == '\n') {
            // a line break of the source leaves no trace
        } else if (copying && !inScript) {
            out[written++] = b;
        }
    }
    out.truncate(written);
    return out;
}

QString ConvertPageToText(const QString& pagePath, const QString& textPath)
{
    QFile file(pagePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray page = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return {};
    }
    QString text = Text::DecodeBytes(ScanPageBytes(page), QStringLiteral("GB2312"));
    text.remove(QStringLiteral("&nbsp;"));
    text = DecodeNumericEntities(text);
    try {
        Text::WriteTextFileAt(textPath, text);
    } catch (const Text::Failure&) {
        // The text still goes into the category's collection.
    }
    return text;
}

QCoro::Task<> ConvertToText(Model::RunState& state)
{
    const QString textFolder = state.taskFolder() + QStringLiteral("TXT");
    if (!Text::LiesInside(state.programFolder, textFolder) || !QDir().mkpath(textFolder)) {
        state.setStatus(QStringLiteral("转换TXT失败：无法建立文件夹") + textFolder);
        co_return;
    }
    // The collection files of an earlier run; the article files in the sub-folders are overwritten.
    QDir folder(textFolder);
    const QStringList earlier =
        folder.entryList({QStringLiteral("*.txt")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : earlier) {
        folder.remove(name);
    }

    const int count = state.articles.gridRowCount() - 2;
    int converted = 0;
    int row = count;
    for (int i = 1; i <= count; ++i, --row) {
        if (i % 50 == 0) {
            co_await Text::LetEventsRun();
        }
        state.setStatus(QStringLiteral("转换TXT：") + Text::Num(i) + u'/' + Text::Num(count));
        const QString category = state.articles.category(row);
        const QString title = state.articles.title(row);
        QString text;
        try {
            const QString categoryFolder = Text::RequireInside(
                state.programFolder, Text::JoinPath(textFolder, Text::SafeFileName(category)));
            QDir().mkpath(categoryFolder);
            const QString page = state.articlePagePath(row);
            if (QFileInfo(page).isFile()) {
                const QString textPath = Text::RequireInside(
                    state.programFolder,
                    Text::JoinPath(categoryFolder, Text::FitFileName(QString(), Text::SafeFileName(title),
                                                                     QStringLiteral(".txt"))));
                text = ConvertPageToText(page, textPath);
                ++converted;
            }
            Text::AppendTextFile(Text::RequireInside(state.programFolder,
                                                     Text::JoinPath(textFolder, CollectionName(category))),
                                 Separator + Text::SafeFileName(title) + QStringLiteral(".txt") +
                                     SeparatorEnd + QStringLiteral("\r\n") + text);
        } catch (const Text::Failure&) {
            // This row is lost from the text files (its entry in the collection, or a name that would
            // lie outside the program folder); the others go on.
        }
    }
    state.setStatus(QStringLiteral("转换TXT完成,一共") + Text::Num(converted) + QStringLiteral("个"));
}

} // namespace Output
