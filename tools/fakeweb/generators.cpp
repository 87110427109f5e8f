#include "generators.h"

#include "server.h"
#include "sinablog.h"

#include <cstdio>
#include <cstdlib>

namespace FakeWeb {

namespace {

void InstallSinaBlog(Server& server, const QString& arg)
{
    QString error;
    const std::optional<SinaBlogOptions> options = SinaBlogOptions::parse(arg, &error);
    if (!options) {
        std::fprintf(stderr, "fakeweb: --sina: %s\n", qPrintable(error));
        std::exit(2);
    }
    const SinaBlog blog(*options);
    blog.install(server);
    std::fprintf(stderr, "sina blog of %d articles: %s\n", options->articles,
                 qPrintable(blog.firstPageAddress()));
}

} // namespace

const QList<Generator>& generators()
{
    static const QList<Generator> all = {
        {QStringLiteral("sina"),
         QStringLiteral("A Sina blog: \"user=1234567890,articles=1000,categories=5,uncategorised=0,"
                        "favourites=20,images=2,comments=3\" (every key optional)."),
         InstallSinaBlog},
    };
    return all;
}

} // namespace FakeWeb
