#pragma once

// What the fuzz targets share: an application object, a network that answers from memory, a program
// folder for the readers that work on files, and a run state that never waits for anyone.
#include "model/runstate.h"
#include "model/userinterface.h"
#include "support/wait.h"

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QString>

#include <QCoro/QCoroTask>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace Fuzz {

// The input as bytes (no copy is kept by the caller).
inline QByteArray Bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Creates the application object on first use (the network and the timers need one).
void EnsureApplication();

// A folder of this process for the readers of files; emptied by reset(), removed at the end.
class Scratch
{
public:
    static Scratch& instance();
    QString path(const QString& name) const;
    const QString& folder() const { return m_folder; }
    void reset(); // removes everything below the folder
    bool write(const QString& name, const QByteArray& bytes) const;

private:
    Scratch();
    ~Scratch();
    QString m_folder;
};

// Answers every request from memory: the n-th request gets the n-th page (status 200), every request
// after the last page gets 404 with an empty body. The address plays no part, so a reader sees exactly
// the pages of the input, in the order it asks for them.
class MemoryNetwork : public QNetworkAccessManager
{
public:
    QList<QByteArray> pages;
    int served = 0;

protected:
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request, QIODevice* data) override;
};

// The pages of an input: the bytes split at PageBreak.
inline const QByteArray PageBreak("\n\x01--page--\x01\n");
QList<QByteArray> SplitPages(const QByteArray& input);

// A user interface that answers yes to every question and keeps nothing.
class QuietUserInterface final : public Model::UserInterface
{
public:
    bool ask(const QString&, const QString&) override { return true; }
    void tell(const QString&) override {}
    void showCommandStates(const Model::CommandStates&) override {}
    bool openLocal(const QString&) override { return true; }
    bool openWeb(const QString&) override { return true; }
};

// A run of the program in the scratch folder with the memory network; requests never pause.
struct Run
{
    QuietUserInterface ui;
    MemoryNetwork network;
    std::unique_ptr<Model::RunState> state;

    Run();
};

// Coroutines are run to their end with TestSupport::Wait (support/wait.h), as in the tests: a failure
// they throw travels on.
using TestSupport::Wait;

} // namespace Fuzz
