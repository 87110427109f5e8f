#pragma once

#include "text/elements.h"

#include <QList>
#include <QString>

#include <optional>

namespace Render {

// A layout that a platform's article pages took on later: the article sits in one element of its own,
// with a few pieces of the site inside it that are no part of the article.
struct ArticleLayout
{
    int platform = 0;
    Text::ElementRule body;
    QList<Text::ElementRule> chrome; // taken out of the body
    Text::ElementRule title;         // the element whose text is the article's title
};

// The later layouts, in the order they are tried; the profile's markers come before all of them.
const QList<ArticleLayout>& LaterArticleLayouts();

struct LaterArticle
{
    QString body;
    QString title; // empty when the page shows none
};

// The article of a page in one of the platform's later layouts, or nothing when none matches it (or
// the page ends inside the body).
std::optional<LaterArticle> ReadLaterLayout(int platform, const QString& page);

} // namespace Render
