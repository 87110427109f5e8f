#include "output/renamer.h"

#include "model/runstate.h"
#include "text/containedpath.h"
#include "text/pagefetch.h"
#include "text/safefilename.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"

#include <QFile>
#include <QFileInfo>

namespace Output {

QString TitleFileName(const QString& date, const QString& title)
{
    const qsizetype blank = date.indexOf(u' ');
    const QString datePart = blank >= 0 ? date.left(blank + 1) : date + u'!';
    return Text::FitFileName(Text::SafeFileName(datePart) + u'_', Text::SafeFileName(title),
                             QStringLiteral(".html"));
}

QCoro::Task<> RenamePagesToTitles(Model::RunState& state)
{
    if (!state.ui.ask(QStringLiteral("是否改名？"),
                      QStringLiteral("在文章下载完成后，可用此功能将清单中的文件名改为文章的标题\r\n"
                                     "但是改名后链接将失效,且暂不能生成CHM，是否继续？"))) {
        co_return;
    }
    const int count = state.articles.gridRowCount() - 2;
    int succeeded = 0;
    int failed = 0;
    for (int i = 1; i <= count; ++i) {
        if (i % 50 == 0) {
            co_await Text::LetEventsRun();
        }
        state.setStatus(QStringLiteral("改名：") + Text::Num(i) + u'/' + Text::Num(count));
        const QString oldName = state.articlePagePath(i);
        const QString newName =
            Text::JoinPath(state.categoryFolder(state.articles.category(i)),
                           TitleFileName(state.articles.date(i), state.articles.title(i)));
        if (!QFileInfo(oldName).isFile() || !Text::LiesInside(state.programFolder, newName)) {
            ++failed;
            continue;
        }
        // A page already under the new name (two articles of the same date and title) is never replaced:
        // the rename is left undone, and counted like any rename that was tried.
        if (!QFileInfo::exists(newName)) {
            QFile::rename(oldName, newName);
        }
        ++succeeded;
    }
    state.setStatus(QStringLiteral("改名共") + Text::Num(count) + QStringLiteral("个，成功") +
                    Text::Num(succeeded) + QStringLiteral("个，失败") + Text::Num(failed) +
                    QStringLiteral("个。"));
}

} // namespace Output
