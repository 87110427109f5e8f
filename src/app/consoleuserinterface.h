#pragma once

#include "model/userinterface.h"

#include <cstdio>

namespace App {

// The user interface of batch mode: status texts go to standard output, one line each; every question is
// answered with yes; nothing is ever opened. A status text set again unchanged is not printed again.
class ConsoleUserInterface final : public Model::UserInterface
{
public:
    bool ask(const QString& title, const QString& question) override
    {
        print(stdout,
              QStringLiteral("%1: %2 -> yes")
                  .arg(title, QString(question).replace(QStringLiteral("\r\n"), QStringLiteral(" "))));
        return true;
    }
    void tell(const QString& message) override { print(stderr, message); }
    void warn(const QString& message) override { print(stderr, message); }
    void showCommandStates(const Model::CommandStates&) override {}
    bool openLocal(const QString&) override { return true; }
    bool openWeb(const QString&) override { return true; }

    // A stream nobody reads any more (`qvlrx --batch | head`) is no reason to stop: the write fails and
    // the run goes on (the program ignores SIGPIPE).
    static void print(std::FILE* stream, const QString& line)
    {
        std::fputs(line.toLocal8Bit().constData(), stream);
        std::fputc('\n', stream);
        std::fflush(stream);
    }

protected:
    void statusChanged(const QString& text) override
    {
        if (text != m_printedStatus) {
            m_printedStatus = text;
            print(stdout, text);
        }
    }

private:
    QString m_printedStatus;
};

} // namespace App
