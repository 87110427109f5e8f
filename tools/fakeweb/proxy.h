#pragma once

namespace FakeWeb {

class Server;

// Routes every request of the process through `server` (an HTTP proxy on 127.0.0.1:port).
void useAsProxy(const Server& server);

} // namespace FakeWeb
