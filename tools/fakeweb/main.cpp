// fakeweb [--port N] [--fixtures DIR] [--latency MS] [--fail WHAT@PATTERN]... [--log FILE] [--tls-cert FILE
// --tls-key FILE] [--archive KEYS] [generator options]: serves the fake web on 127.0.0.1 until killed. Prints
// "listening on 127.0.0.1:PORT" once ready.
#include "fakeweb.h"
#include "faults.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QSslCertificate>
#include <QSslKey>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

// SIGTERM and SIGINT end the event loop, so the process exits through main().
void quitOnSignals(QCoreApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction sa
    {
    };
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("fakeweb"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A local HTTP server that plays the web for tests."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Port to listen on (0: any)."),
                                        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption fixturesOption(
        QStringLiteral("fixtures"), QStringLiteral("Serve DIR/<host>/<path> at http://<host>/<path>."),
        QStringLiteral("DIR"));
    const QCommandLineOption latencyOption(QStringLiteral("latency"),
                                           QStringLiteral("Answer every request after MS milliseconds."),
                                           QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption failOption(
        QStringLiteral("fail"),
        QStringLiteral("Answer requests whose address matches PATTERN with WHAT: an HTTP status, never, "
                       "reset or trickle (a body without end) (repeatable). A status may be limited to a burst "
                       "and carry a Retry-After: 429x5=2 answers the next 5, >20x5 the 5 after the first 20, "
                       "=date+S a date S seconds on. The archive's requests are faulted like any other: "
                       "'429x5=2@/web/' or '503>40x3=1@/cdx/' (addresses are http://127.0.0.1:PORT/web/... "
                       "or https://web.archive.org/web/... as the client asked)."),
        QStringLiteral("WHAT@PATTERN"));
    const QCommandLineOption logOption(
        QStringLiteral("log"),
        QStringLiteral("Write a line per request to FILE as it arrives: milliseconds since the epoch, "
                       "method, address (the archive's requests included, so their rate can be checked)."),
        QStringLiteral("FILE"));
    const QCommandLineOption certificateOption(
        QStringLiteral("tls-cert"),
        QStringLiteral(
            "Play https sites too (a client's CONNECT) with this PEM certificate (needs --tls-key)."),
        QStringLiteral("FILE"));
    const QCommandLineOption keyOption(QStringLiteral("tls-key"),
                                       QStringLiteral("The PEM private key of --tls-cert."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption archiveOption(
        QStringLiteral("archive"),
        QStringLiteral(
            "Play a web archive of the sites served here, as the Wayback Machine answers: GET "
            "/web/TIMESTAMP{id_,im_}/ADDRESS replays a capture (200 at a capture's date, else 302 to the "
            "nearest, 404 \"Hrm. The Wayback Machine has not archived that URL.\" without one) and "
            "/cdx/search/cdx the capture index (output=json, matchType, collapse=urlkey, filter, limit, "
            "showResumeKey/resumeKey), both at this address and, through the proxy or a CONNECT tunnel, at "
            "the archive's host. KEYS: comma-separated keys, all optional (\"\" for the defaults): "
            "host=web.archive.org; dates=20120101000000;20150601120000 (every capture's dates, shorter "
            "dates padded); missing=F (that fraction of addresses, by a hash of address and seed, has no "
            "capture; a blog's first page always has one); seed=N; drop=REGEX (matching addresses have no "
            "capture); notfound=REGEX (captures of the site's not-found or login page); gone=REGEX (captures "
            "of the archive's own error page, status 200); loop=REGEX (replays redirect between two captures "
            "for ever); cut=REGEX (captures cut off in the middle); recode=REGEX (captures in the other "
            "character set: UTF-8 pages in GBK and GBK pages in UTF-8, header and meta tags to match); "
            "cdx=broken|truncated|none (an HTML page, JSON cut mid-row, 404). An archive that answers "
            "nothing: --fail 'never@/web/'. REGEX is searched in http://host/path?query; pattern keys may be "
            "repeated, and a comma ends a value only before the next KEY=, so patterns may hold commas."),
        QStringLiteral("KEYS"));
    parser.addOption(archiveOption);
    parser.addOption(certificateOption);
    parser.addOption(keyOption);
    parser.addOption(portOption);
    parser.addOption(logOption);
    parser.addOption(fixturesOption);
    parser.addOption(latencyOption);
    parser.addOption(failOption);
    for (const FakeWeb::Generator& g : FakeWeb::generators())
        parser.addOption(QCommandLineOption(g.option, g.help, QStringLiteral("ARG")));
    parser.process(app);

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (!portOk || port > 65535) {
        std::fprintf(stderr, "fakeweb: bad port %s\n", qPrintable(parser.value(portOption)));
        return 2;
    }

    QFile log(parser.value(logOption)); // outlives the server, which writes into it
    FakeWeb::Server server;
    if (parser.isSet(fixturesOption) && !FakeWeb::loadFixtures(server, parser.value(fixturesOption)))
        return 2;
    for (const FakeWeb::Generator& g : FakeWeb::generators()) {
        if (parser.isSet(g.option))
            g.install(server, parser.value(g.option));
    }
    // The archive goes before the blogs, the faults before both: each is added after what it precedes.
    if (parser.isSet(archiveOption))
        FakeWeb::installArchiveOption(server, parser.value(archiveOption));
    for (const QString& fault : parser.values(failOption))
        FakeWeb::installFault(server, fault);
    server.setLatency(parser.value(latencyOption).toInt());
    if (parser.isSet(certificateOption) || parser.isSet(keyOption)) {
        QFile certificateFile(parser.value(certificateOption));
        QFile keyFile(parser.value(keyOption));
        if (!certificateFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "fakeweb: --tls-cert and --tls-key must name readable PEM files\n");
            return 2;
        }
        const QSslCertificate certificate(&certificateFile, QSsl::Pem);
        const QSslKey key(&keyFile, QSsl::Rsa, QSsl::Pem);
        if (certificate.isNull() || key.isNull()) {
            std::fprintf(stderr, "fakeweb: --tls-cert or --tls-key is no PEM certificate or RSA key\n");
            return 2;
        }
        server.setTls(certificate, key);
    }
    // Nobody asks this process for its requests: it keeps none, however long it runs.
    server.setKeepRequests(false);
    if (parser.isSet(logOption)) {
        if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
            std::fprintf(stderr, "fakeweb: cannot write %s\n", qPrintable(log.fileName()));
            return 2;
        }
        server.logRequestsTo(&log);
    }
    if (!server.listen(quint16(port))) {
        std::fprintf(stderr, "fakeweb: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }
    quitOnSignals(app);
    std::printf("listening on 127.0.0.1:%u\n", unsigned(server.port()));
    std::fflush(stdout);
    return app.exec();
}
