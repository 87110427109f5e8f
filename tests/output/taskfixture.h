#pragma once

#include "model/runstate.h"
#include "support/files.h"
#include "text/charset.h"
#include "text/textfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

// A downloaded Sina task as the download and the asset fetching leave it: article pages in two category
// folders (one with an image and a comment page), the category pages, all.htm and index.html.
namespace TaskFixture {

using TestSupport::WriteBytes;

inline void WritePage(const QString& path, const QString& text)
{
    WriteBytes(path, Text::EncodeLocal(text + QStringLiteral("\r\n")));
}

struct Article
{
    QString title;
    QString category;
    QString link;
};

inline void Build(Model::RunState& state, const QString& taskName = QStringLiteral("myblog"))
{
    state.task.TaskName = taskName;
    state.task.PlatformCode = 0;
    state.task.BlogAddress = QStringLiteral("http://blog.sina.com.cn/") + taskName;
    state.ResetArticleList();
    const QList<Article> articles{
        {QStringLiteral("第一篇 游记"), QStringLiteral("随笔"), QStringLiteral("blog_4a01.html")},
        {QStringLiteral("Qt & C++ 笔记"), QStringLiteral("技术 C++"), QStringLiteral("blog_4b01.html")},
        {QStringLiteral("第二篇"), QStringLiteral("随笔"), QStringLiteral("blog_4a02.html")},
    };
    for (const Article& article : articles) {
        state.addArticleRow(article.title, article.category, article.link,
                            QStringLiteral("2011-05-03 12:30"));
    }
    const QString folder = state.taskFolder();
    const QString image = QStringLiteral("http___simg.sinajs.cn_p1.jpg");
    const QString comments = QStringLiteral("http___blog.sina.com.cn_s_comment_4a01_1.html");

    QString allPage = QStringLiteral("<center><table border=1>");
    for (int row = 1; row <= state.articles.articleCount(); ++row) {
        const QString safe =
            QDir(folder).relativeFilePath(state.categoryFolder(state.articles.category(row)));
        const QString link = safe + u'/' + state.localFileName(row);
        QString body = QStringLiteral("<font size=5>") + state.articles.title(row) +
                       QStringLiteral("</font><br>正文 searchword%1 中文内容</P>").arg(row);
        if (row == 1) {
            body += QStringLiteral("<img src=\"%1\"><hr size=1 color=#a0C0C0><font color=#339933 size=5>评论:"
                                   "</font><a href=%2><b>1</b></a>&nbsp;")
                        .arg(image, comments);
            WriteBytes(Text::JoinPath(state.categoryFolder(state.articles.category(row)), image),
                       QByteArray("\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01", 12));
            WritePage(Text::JoinPath(state.categoryFolder(state.articles.category(row)), comments),
                      QStringLiteral("<li>读者：好文章</li>"));
        }
        WritePage(state.articlePagePath(row), body);
        allPage += QStringLiteral("<tr><td width=5%>%1</td><td ><p class= style4><A target=_blank href=%2>%3"
                                  "</a></td></tr>")
                       .arg(row)
                       .arg(link, state.articles.title(row));
        const QString category = state.articles.category(row);
        for (const QString& page : {safe + QStringLiteral("1.htm"), safe + QStringLiteral(".htm")}) {
            QFile file(Text::JoinPath(folder, page));
            if (file.open(QIODevice::Append)) {
                file.write(Text::EncodeLocal(
                    QStringLiteral("<title>%1</title><tr><td><A href=%2>%3</a></td><tr>\r\n")
                        .arg(category, link, state.articles.title(row))));
            }
        }
    }
    WritePage(Text::JoinPath(folder, QStringLiteral("all.htm")), allPage);

    QString index = QStringLiteral("<center><table  width=90% border=1><tr><td>新浪博客：<a target=_blank  "
                                   "href=%1>%2</a></td></tr><tr><td><A title=点此查看所有文章 target=_blank "
                                   "href=all.htm><b>全部清单</a></b>(3)</td></tr>")
                        .arg(state.task.BlogAddress, taskName);
    for (int slot = 0; slot < state.categories.usedSlots(); ++slot) {
        const QString safe = QDir(folder).relativeFilePath(state.categoryFolder(state.categories.name(slot)));
        const QString name = state.categories.name(slot);
        index += QStringLiteral("<tr><td><A title=") + name + QStringLiteral(" target=_blank href=") + safe +
                 QStringLiteral(".htm><b>") + name + QStringLiteral("</a></b>(") +
                 QString::number(state.categories.count(slot)) + QStringLiteral(")</td><td><A href=") + safe +
                 QStringLiteral("1.htm><b>1</b></a></td></tr>");
    }
    index += QStringLiteral(
        "<tr><td>本电子书由<a href=http://maker.invalid/company.html>卷轴匣</a>制作</td></tr>");
    WritePage(Text::JoinPath(folder, QStringLiteral("index.html")), index);
}

} // namespace TaskFixture
