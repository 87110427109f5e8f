#pragma once

#include "listpageblogs.h"

namespace FakeWeb {

class Server;

// A generated Yaolan blog (UTF-8) at http://space.yaolan.com/NAME/blog/list: list pages
// /NAME/blog/list/0_1.html, 0_2.html ... with the pager "共N页" and the article pages.
GeneratedBlog installYaolanBlog(Server& server, const BlogSize& size);

} // namespace FakeWeb
