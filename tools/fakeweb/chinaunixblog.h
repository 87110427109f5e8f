#pragma once

#include "listpageblogs.h"

namespace FakeWeb {

class Server;

// A generated ChinaUnix blog (GB2312) of the user number NAME at
// http://blog.chinaunix.net/space.php?uid=NAME&page=1: list pages &page=1, 2 ... with the pager
// "共&nbsp;N&nbsp;页" and the article pages /uid-NAME-id-NUMBER.html.
GeneratedBlog installChinaUnixBlog(Server& server, const BlogSize& size);

} // namespace FakeWeb
