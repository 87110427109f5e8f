#pragma once

#include "listpageblogs.h"

namespace FakeWeb {

class Server;

// The two blog areas of the CERSP education platform (GB2312).
//
// Area 1: the blog of the user number NAME at http://blog.cersp.com/index/NAME.jspx, whose page names
// the article total; list pages of 30 articles (the per-page size of the argument plays no part) from
// the paginator service, and the article pages /index/article/view/NUMBER.jspx?blogUserId=NAME.
GeneratedBlog installCerspBlog(Server& server, const BlogSize& size);

// Area 2: the blog NAME at http://eblog.cersp.com/userlogN/UID/index.shtml (UID derived from NAME), its
// list written by a script with "\n" between the lines; further list pages at
// /cmd.asp?uid=UID&do=index&page=2, 3 ...; articles under /userlogN/UID/archives/. Two articles of
// three are filed in a category, whose link comes first and the article link without its leading "/".
GeneratedBlog installCerspEblogBlog(Server& server, const BlogSize& size);

} // namespace FakeWeb
