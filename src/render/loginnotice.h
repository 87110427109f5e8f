#pragma once

#include <QString>

namespace Render {

// Whether an article page is the platform's notice that only its author, logged in, may read the
// article: the article exists, and a run with the author's login (a cookie file) fetches it.
bool ShowsLoginNotice(int platform, const QString& page);

// Why such an article is missing, in the user's words: a login is needed.
QString LoginNeededReason(int platform);

} // namespace Render
