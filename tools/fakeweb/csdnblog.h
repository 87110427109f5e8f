#pragma once

#include "listpageblogs.h"

namespace FakeWeb {

class Server;

// A generated CSDN blog (UTF-8) at http://blog.csdn.net/NAME/article/list: list pages
// /NAME/article/list/1, 2 ... (the pager, behind "<!--显示分页-->", only when there is more than one)
// with each title link spread over three lines, and the article pages /NAME/article/details/NUMBER.
GeneratedBlog installCsdnBlog(Server& server, const BlogSize& size);

// The same blog as CSDN serves it since about 2020, at one of its category pages
// http://blog.csdn.net/NAME/category_4321.html (page p at category_4321_p.html): the rows in
// ul.column_article_list, the page size and article total in a script, popular articles in a sidebar
// before them; the articles with their body in div#content_views between the site's header, copy
// buttons and recommendations with a QR code.
GeneratedBlog installCsdnCategoryBlog(Server& server, const BlogSize& size);

} // namespace FakeWeb
