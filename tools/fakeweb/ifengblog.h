#pragma once

#include "listpageblogs.h"

namespace FakeWeb {

class Server;

// A generated iFeng blog (UTF-8) at http://blog.ifeng.com/NUMBER.html, NUMBER derived from the name:
// the home page with the pager, list pages NUMBER-1.html, NUMBER-2.html ... that each name the data
// script holding their articles as escaped markup, and one script per article at its download address.
// Every sixth article has no category (discovery files it under "我的博文").
GeneratedBlog installIfengBlog(Server& server, const BlogSize& size);

} // namespace FakeWeb
