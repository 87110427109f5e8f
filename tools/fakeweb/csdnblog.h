#pragma once

#include "listpageblogs.h"

namespace FakeWeb {

class Server;

// A generated CSDN blog (UTF-8) at http://blog.csdn.net/NAME/article/list: list pages
// /NAME/article/list/1, 2 ... (the pager, behind "<!--显示分页-->", only when there is more than one)
// with each title link spread over three lines, and the article pages /NAME/article/details/NUMBER.
GeneratedBlog installCsdnBlog(Server& server, const BlogSize& size);

} // namespace FakeWeb
