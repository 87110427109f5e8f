#include "faults.h"

#include "server.h"

#include <QDateTime>
#include <QLocale>

#include <cstdio>
#include <cstdlib>

namespace FakeWeb {

std::optional<Fault> Fault::parse(const QString& text, QString* error)
{
    const qsizetype at = text.indexOf(u'@');
    const auto fail = [error](const QString& why) -> std::optional<Fault> {
        if (error != nullptr) {
            *error = why;
        }
        return std::nullopt;
    };
    if (at <= 0) {
        return fail(QStringLiteral("expected WHAT@PATTERN, not \"%1\"").arg(text));
    }
    Fault fault;
    fault.pattern.setPattern(text.mid(at + 1));
    if (!fault.pattern.isValid()) {
        return fail(QStringLiteral("bad pattern: %1").arg(fault.pattern.errorString()));
    }
    const QString what = text.left(at);
    bool isNumber = false;
    const int status = what.toInt(&isNumber);
    if (what == QStringLiteral("never")) {
        fault.answer.mode = Response::Mode::NeverAnswer;
    } else if (what == QStringLiteral("reset")) {
        fault.answer.mode = Response::Mode::Reset;
    } else if (what == QStringLiteral("trickle")) {
        fault.answer.mode = Response::Mode::Trickle;
        fault.answer.body = QByteArray(1024, 'x');
    } else if (what == QStringLiteral("headers")) {
        fault.answer.mode = Response::Mode::HeaderFlood;
    } else if (const QRegularExpressionMatch limited =
                   QRegularExpression(QStringLiteral("^(\\d{3})(?:x(\\d+)|>(\\d+)(?:x(\\d+))?)?(?:=(.*))?$")).match(what);
               limited.hasMatch() && limited.captured(1).toInt() / 100 != 3 &&
               (limited.hasCaptured(2) || limited.hasCaptured(3) || limited.hasCaptured(5))) {
        const int code = limited.captured(1).toInt();
        fault.answer.status = code;
        fault.answer.body = QByteArray::number(code) + ' ' + reasonPhrase(code);
        fault.answer.headers = {{"Content-Type", "text/html"}};
        if (limited.hasCaptured(2)) {
            fault.count = limited.captured(2).toInt();
        }
        if (limited.hasCaptured(3)) {
            fault.after = limited.captured(3).toInt();
        }
        if (limited.hasCaptured(4)) {
            fault.count = limited.captured(4).toInt();
        }
        if (limited.hasCaptured(5)) {
            const QString retry = limited.captured(5);
            if (retry.startsWith(QLatin1String("date+"))) {
                fault.retryAfterDateIn = retry.mid(5).toInt();
            } else {
                fault.answer.headers.append({"Retry-After", retry.toUtf8()});
            }
        }
    } else if (const qsizetype to = what.indexOf(u'='); to > 0 && what.left(to).toInt() / 100 == 3) {
        fault.answer.status = what.left(to).toInt();
        fault.answer.headers = {{"Location", what.mid(to + 1).toUtf8()}};
    } else if (isNumber && status >= 100 && status <= 999) {
        fault.answer.status = status;
        fault.answer.body = QByteArray::number(status) + ' ' + reasonPhrase(status);
        fault.answer.headers = {{"Content-Type", "text/html"}};
    } else {
        return fail(
            QStringLiteral("WHAT must be an HTTP status, 3xx=LOCATION, never, reset, trickle or headers, not \"%1\"")
                .arg(what));
    }
    return fault;
}

std::optional<Response> Fault::answerNext(int* seen) const
{
    const int index = (*seen)++;
    if (index < after || (count >= 0 && index >= after + count)) {
        return std::nullopt;
    }
    Response response = answer;
    if (retryAfterDateIn) {
        const QDateTime at = QDateTime::currentDateTimeUtc().addSecs(*retryAfterDateIn);
        response.headers.append(
            {"Retry-After",
             QLocale::c().toString(at, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'")).toLatin1()});
    }
    return response;
}

void addFault(Server& server, const Fault& fault)
{
    auto seen = std::make_shared<int>(0);
    server.addFirstHandler([fault, seen](const Request& request) -> std::optional<Response> {
        if (fault.pattern.match(request.url).hasMatch()) {
            return fault.answerNext(seen.get());
        }
        return std::nullopt;
    });
}

void installFault(Server& server, const QString& arg)
{
    QString error;
    const std::optional<Fault> fault = Fault::parse(arg, &error);
    if (!fault) {
        std::fprintf(stderr, "fakeweb: --fail: %s\n", qPrintable(error));
        std::exit(2);
    }
    addFault(server, *fault);
}

} // namespace FakeWeb
