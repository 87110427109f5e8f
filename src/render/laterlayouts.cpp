#include "render/laterlayouts.h"

#include "model/platformprofile.h"

namespace Render {

using Text::ElementRule;

const QList<ArticleLayout>& LaterArticleLayouts()
{
    static const QList<ArticleLayout> layouts = {
        // CSDN since about 2019: the code blocks carry copy buttons.
        {Model::Csdn,
         {QStringLiteral("div"), QStringLiteral("id"), QStringLiteral("content_views")},
         {{QStringLiteral("div"), QStringLiteral("class"), QStringLiteral("hljs-button"), true}},
         {QStringLiteral("h1"), QStringLiteral("class"), QStringLiteral("title-article"), true}},
        // cnblogs since about 2019: posts at /p/NUMBER.html; long posts carry a table-of-contents button.
        {Model::Cnblogs,
         {QStringLiteral("div"), QStringLiteral("id"), QStringLiteral("cnblogs_post_body")},
         {{QStringLiteral("button"), QStringLiteral("class"), QStringLiteral("cnblogs-toc-button"), true}},
         {QStringLiteral("a"), QStringLiteral("id"), QStringLiteral("cb_post_title_url")}},
    };
    return layouts;
}

std::optional<LaterArticle> ReadLaterLayout(int platform, const QString& page)
{
    for (const ArticleLayout& layout : LaterArticleLayouts()) {
        if (layout.platform != platform) {
            continue;
        }
        const std::optional<QString> body = Text::ElementContent(page, layout.body);
        if (!body) {
            continue;
        }
        LaterArticle article;
        article.body = Text::RemoveElements(*body, layout.chrome);
        article.title = Text::PlainText(Text::ElementContent(page, layout.title).value_or(QString()));
        return article;
    }
    return std::nullopt;
}

} // namespace Render
