#pragma once

#include "discovery/listpagewalk.h"

// The descriptions of the platforms read by the list-page walk.
namespace Discovery::ListPages {

ListPagePlatform Baidu();
ListPagePlatform Hexun();
ListPagePlatform Sohu();
ListPagePlatform Tianya();
ListPagePlatform Tianya2();
ListPagePlatform Cto51();

} // namespace Discovery::ListPages
