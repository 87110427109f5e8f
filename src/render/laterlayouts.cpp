#include "render/laterlayouts.h"

#include "model/layoutfiles.h"

namespace Render {

std::optional<LaterArticle> ReadLaterLayout(int platform, const QString& page)
{
    for (const ArticleLayout& layout : Model::LayoutDescription(platform).articles) {
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
