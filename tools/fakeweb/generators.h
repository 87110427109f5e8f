#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace FakeWeb {

class Server;

// A generator fills a server with a synthetic site (routes or handlers). The fakeweb executable
// offers each one as an option "--<option> ARG".
struct Generator
{
    QString option;
    QString help;
    std::function<void(Server&, const QString& arg)> install;
};

const QList<Generator>& generators();

} // namespace FakeWeb
