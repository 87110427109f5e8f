#pragma once

#include "model/runstate.h"
#include "text/charset.h"

#include <QDir>
#include <QElapsedTimer>
#include <QString>

// What the packing benchmarks make their generated task of.
namespace BenchTask {

// The text of an article page: about 19 KB in the local code page, Chinese and Latin with some markup.
inline QString Filler()
{
    QString text;
    const QString paragraph =
        QStringLiteral("<p>这是一段用来测试打包速度的正文，内容没有什么意义，只是占一些地方。"
                       "Some Latin text as well, <b>bold</b> & <i>slanted</i>.<br>\r\n");
    while (Text::EncodeLocal(text).size() < 19 * 1024) {
        text += paragraph;
    }
    return text;
}

// The Sina task "benchblog" with images, its article list empty.
inline void StartTask(Model::RunState& state)
{
    state.task.TaskName = QStringLiteral("benchblog");
    state.task.PlatformCode = 0;
    state.task.BlogAddress = QStringLiteral("http://blog.sina.com.cn/benchblog");
    state.task.FetchImages = true;
    state.ResetArticleList();
}

// Adds article number i (in one of five categories) to the list and makes its category folder; gives its
// row.
inline int AddArticle(Model::RunState& state, int i)
{
    const QString category = QStringLiteral("分类%1").arg(i % 5 + 1);
    const int row = state.addArticleRow(QStringLiteral("第%1篇 文章").arg(i), category,
                                        QStringLiteral("blog_%1.html").arg(100000 + i),
                                        QStringLiteral("2012-04-19 08:00"));
    QDir().mkpath(state.categoryFolder(category));
    return row;
}

inline double Seconds(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace BenchTask
