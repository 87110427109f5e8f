#pragma once

// Shared pieces of the download and page tests: article lists, Sina-like pages, reading what was written.

#include "model/runstate.h"
#include "support/files.h"
#include "text/charset.h"
#include "text/textfiles.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace DownloadFixture {

inline const QString BodyStart = QStringLiteral("<!-- 正文开始 -->");
inline const QString BodyEnd = QStringLiteral("<!-- 正文结束 -->");

// A Sina article page around the body, UTF-8 as the platform serves it.
inline QString SinaPageText(const QString& body)
{
    return QStringLiteral("<html><head><title>x</title></head><body><div>") + BodyStart + body + BodyEnd +
           QStringLiteral("</div></body></html>");
}
inline QByteArray SinaPage(const QString& body)
{
    return SinaPageText(body).toUtf8();
}

inline QString ArticleLink(int n)
{
    return QStringLiteral("blog_%1.html").arg(n);
}

inline QString ArticleUrl(int n)
{
    return QStringLiteral("http://blog.sina.com.cn/s/") + ArticleLink(n);
}

// A Sina task with `count` articles; category(n) names the category of article n (1-based).
template <typename CategoryOf> void MakeSinaTask(Model::RunState& state, int count, CategoryOf category)
{
    state.task.TaskName = QStringLiteral("blog");
    state.task.PlatformCode = 0;
    state.task.BlogAddress = QStringLiteral("http://blog.sina.com.cn/u/1");
    state.task.FetchImages = false;
    state.task.FetchComments = false;
    state.listScrolling = false;
    state.ResetArticleList();
    for (int n = 1; n <= count; ++n) {
        state.addArticleRow(QStringLiteral("文章%1").arg(n), category(n), ArticleLink(n),
                            QStringLiteral("2012-04-%1").arg(1 + n % 28));
    }
}

inline void MakeSinaTask(Model::RunState& state, int count)
{
    MakeSinaTask(state, count, [](int) { return QStringLiteral("随笔"); });
}

using TestSupport::ReadBytes;
using TestSupport::ReadPage;

} // namespace DownloadFixture
