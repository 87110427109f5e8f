#pragma once

#include "response.h"

#include <QString>

namespace FakeWeb {

class WebArchive;

// One address in a web archive's capture index.
struct IndexEntry
{
    QString key;      // the address's sort key (see urlKey)
    QString original; // the address as the site has it
};

// The key an archive files an address under: the host's names reversed and joined by commas, without
// "www.", then ")" and path and query, the query's items sorted, all in lower case, scheme dropped
// ("http://www.blog.sina.com.cn/s/x.html?b=1&a=2" → "cn,com,sina,blog)/s/x.html?a=2&b=1").
QString urlKey(const QString& url);

// The answer to a search of the capture index ("url=", "matchType=exact|prefix|host|domain" or a trailing
// "*", "collapse=urlkey", "filter=[!]FIELD:REGEX", "from=", "to=", "output=json", "limit=",
// "showResumeKey=true", "resumeKey="), as Wayback's CDX server writes it.
Response indexAnswer(const WebArchive& archive, const QString& query);

} // namespace FakeWeb
