#include "generators.h"

#include "server.h"

namespace FakeWeb {

const QList<Generator>& generators()
{
    static const QList<Generator> all = {};
    return all;
}

} // namespace FakeWeb
