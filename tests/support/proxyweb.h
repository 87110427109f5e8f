#pragma once

#include "fakeweb.h"

#include <QtGlobal>

namespace TestSupport {

// The fake web of a whole test: from its construction on it listens on 127.0.0.1 and is the
// application's proxy, so every request the test makes goes to it. Tests clear it before each case.
class ProxyWeb : public FakeWeb::Server
{
public:
    ProxyWeb()
    {
        if (!listen()) {
            qFatal("the fake web cannot listen");
        }
        FakeWeb::useAsProxy(*this);
    }
};

} // namespace TestSupport
