#pragma once

#include "model/runstate.h"
#include "render/indexpages.h"
#include "text/charset.h"
#include "text/textfiles.h"

#include <QCoro/QCoroTask>

#include <QDir>
#include <QElapsedTimer>
#include <QString>

// What the packing benchmarks make their generated task of.
namespace BenchTask {

// The text of an article page: about 19 KB (or the kilobytes given) in the local code page, Chinese and Latin
// with some markup.
inline QString Filler(int kilobytes = 19)
{
    QString text;
    const QString paragraph =
        QStringLiteral("<p>这是一段用来测试打包速度的正文，内容没有什么意义，只是占一些地方。"
                       "Some Latin text as well, <b>bold</b> & <i>slanted</i>.<br>\r\n");
    while (Text::EncodeLocal(text).size() < kilobytes * 1024) {
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

// A 1 x 1 GIF.
inline const QByteArray Picture(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00"
    "\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
    43);

// A downloaded task of that many articles: pages of about 20 KB (pageKilobytes), a picture in every one, a
// comment page in every tenth, the index pages.
inline void MakeDownloadedTask(Model::RunState& state, int articles, int pageKilobytes = 19)
{
    StartTask(state);
    const QString filler = Filler(pageKilobytes);
    for (int i = 1; i <= articles; ++i) {
        const int row = AddArticle(state, i);
        const QString category = state.articles.category(row);
        const QString link = state.articles.link(row);
        const QString folder = state.categoryFolder(category);
        const QString picture = QStringLiteral("http___simg.sinajs.cn_%1.gif").arg(i);
        QString page =
            QStringLiteral("<title>第%1篇 文章</title>\r\n<font color=#339933 size=5>第%1篇 文章</font>"
                           "<br><font color=#993333 size=3>分类: %2<br>日期: 2012-04-19 08:00</font><br>"
                           "原文地址: <a target=_blank href=http://blog.sina.com.cn/s/%3>"
                           "http://blog.sina.com.cn/s/%3</a><hr size=1 color=#C0C0C0>")
                .arg(i)
                .arg(category, link) +
            filler + QStringLiteral("<img src=\"%1\">").arg(picture);
        Text::WriteBytesFileAt(Text::JoinPath(folder, picture), Picture);
        if (i % 10 == 0) {
            const QString comments = QStringLiteral("http___blog.sina.com.cn_s_comment_%1_1.html").arg(i);
            page +=
                QStringLiteral("<hr size=1 color=#a0C0C0><font color=#339933 size=5>评论:</font><a href=%1>"
                               "<b>1</b></a>&nbsp;")
                    .arg(comments);
            Text::WriteTextFileAt(Text::JoinPath(folder, comments),
                                  QStringLiteral("<br><li>读者：好文章，写得真好。</li>").repeated(50));
        }
        Text::WriteTextFileAt(state.articlePagePath(row), page);
        state.articles.setMark(row, QStringLiteral("●"));
    }
    QCoro::waitFor(Render::WriteIndexPages(state));
}

inline double Seconds(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace BenchTask
