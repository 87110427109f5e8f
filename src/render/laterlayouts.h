#pragma once

#include "model/layoutdescription.h"

#include <QString>

#include <optional>

namespace Render {

using Model::ArticleLayout;

struct LaterArticle
{
    QString body;
    QString title; // empty when the page shows none
};

// The article of a page in one of the later layouts of the platform's description in use, or nothing when none matches it (or
// the page ends inside the body).
std::optional<LaterArticle> ReadLaterLayout(int platform, const QString& page);

} // namespace Render
