#pragma once

#include <QString>

namespace FakeWeb {

class Server;

// Serves a folder of files: DIR/<host>/<path> is served at http://<host>/<path>.
//  - A query follows "%3F" in the file name: "DIR/h/list.php%3Fpage=2" is http://h/list.php?page=2,
//    and a file named just "%3F" is the folder's own address ("DIR/h/s/%3F" is http://h/s/).
//  - An optional "<file>.meta" text file holds lines "status: 404", "delay: 300",
//    "mode: never|reset" and "header: Name: value"; a .meta file without its file serves an empty
//    body (a redirect, for instance).
//  - Without a Content-Type header the type follows the file extension (html, htm, txt, js, css,
//    json, xml, jpg, jpeg, png, gif).
// Returns false, with a warning, when the folder is missing, a file cannot be read or a .meta file has
// a line it does not understand; such a file is left out and the others are served.
bool loadFixtures(Server& server, const QString& dir);

} // namespace FakeWeb
