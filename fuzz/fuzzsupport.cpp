#include "fuzzsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QTimer>

#include <QCoro/QCoroTask>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace Fuzz {

namespace {

// One answer from memory. It ends on the event loop, as a network reply does.
class MemoryReply : public QNetworkReply
{
public:
    MemoryReply(QObject* parent, const QNetworkRequest& request, QByteArray body, int status)
        : QNetworkReply(parent), m_body(std::move(body))
    {
        setRequest(request);
        setUrl(request.url());
        setOperation(QNetworkAccessManager::GetOperation);
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
        setHeader(QNetworkRequest::ContentLengthHeader, m_body.size());
        if (status != 200) {
            setError(ContentNotFoundError, QStringLiteral("not found"));
        }
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        QTimer::singleShot(0, this, [this, status] {
            Q_EMIT metaDataChanged();
            Q_EMIT downloadProgress(m_body.size(), m_body.size());
            if (status != 200) {
                Q_EMIT errorOccurred(ContentNotFoundError);
            }
            setFinished(true);
            Q_EMIT readyRead();
            Q_EMIT finished();
        });
    }

    void abort() override
    {
        if (isFinished()) {
            return;
        }
        setError(OperationCanceledError, QStringLiteral("aborted"));
        setFinished(true);
        Q_EMIT finished();
    }
    qint64 bytesAvailable() const override { return m_body.size() - m_offset + QIODevice::bytesAvailable(); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = std::min(maxSize, m_body.size() - m_offset);
        if (n <= 0) {
            return isFinished() ? -1 : 0;
        }
        std::memcpy(data, m_body.constData() + m_offset, size_t(n));
        m_offset += n;
        return n;
    }

private:
    QByteArray m_body;
    qint64 m_offset = 0;
};

} // namespace

void EnsureApplication()
{
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "qvlrx-fuzz";
        static char* argv[] = {name, nullptr};
        // Never destroyed: the process ends with the fuzzer.
        new QCoreApplication(argc, argv);
        // Qt's messages about the inputs are expected and would only slow the fuzzer down.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    }
}

Scratch& Scratch::instance()
{
    static Scratch scratch;
    return scratch;
}

Scratch::Scratch()
{
    EnsureApplication();
    // In memory where possible: the program syncs what it writes, and a disk under load would make every
    // write look like a hang.
    QString root = qEnvironmentVariable("QVLRX_FUZZ_SCRATCH");
    if (root.isEmpty()) {
        root = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                  : QDir::tempPath();
    }
    m_folder = QDir(root).filePath(QStringLiteral("qvlrx-fuzz-%1").arg(QCoreApplication::applicationPid()));
    QDir().mkpath(m_folder);
}

Scratch::~Scratch()
{
    // The folder goes with the process.
    QDir(m_folder).removeRecursively();
}

QString Scratch::path(const QString& name) const
{
    return QDir(m_folder).filePath(name);
}

void Scratch::reset()
{
    QDir dir(m_folder);
    dir.removeRecursively();
    QDir().mkpath(m_folder);
}

bool Scratch::write(const QString& name, const QByteArray& bytes) const
{
    QFile file(path(name));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QNetworkReply* MemoryNetwork::createRequest(Operation, const QNetworkRequest& request, QIODevice*)
{
    const int index = served++;
    if (qEnvironmentVariableIsSet("QVLRX_FUZZ_TRACE")) {
        std::fprintf(stderr, "request %d: %s\n", index, qPrintable(request.url().toString()));
    }
    if (index < pages.size()) {
        return new MemoryReply(this, request, pages.at(index), 200);
    }
    return new MemoryReply(this, request, QByteArray(), 404);
}

QList<QByteArray> SplitPages(const QByteArray& input)
{
    QList<QByteArray> pages;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = input.indexOf(PageBreak, from);
        if (at < 0) {
            pages.append(input.mid(from));
            return pages;
        }
        pages.append(input.mid(from, at - from));
        from = at + PageBreak.size();
    }
}

Run::Run()
{
    EnsureApplication();
    state = std::make_unique<Model::RunState>(Scratch::instance().folder(), ui, &network);
    state->http.timeoutMs = 1000;
    state->http.untilOkAttempts = 2;
    state->http.untilOkPauseMs = 0;
}

} // namespace Fuzz
