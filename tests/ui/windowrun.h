#pragma once

#include "model/runstate.h"
#include "support/proxyweb.h"
#include "ui/mainwindow.h"
#include "ui/shell.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A shell that records what the window opens; it can play a desktop without browser or file manager.
class FakeShell final : public Ui::Shell
{
public:
    QStringList openedLocal;
    QStringList openedWeb;
    bool works = true;

    bool openLocal(const QString& path) override
    {
        openedLocal.append(path);
        return works;
    }
    bool openWeb(const QString& address) override
    {
        openedWeb.append(address);
        return works;
    }
};

// The program with its window in a temporary program folder. Whatever it requests goes to its own fake
// web, which answers 404 to everything it has not been told.
struct WindowRun
{
    TestSupport::ProxyWeb web;
    QTemporaryDir folder;
    FakeShell shell;
    QNetworkAccessManager network;
    std::unique_ptr<Ui::MainWindow> window;
    std::unique_ptr<Model::RunState> state;

    // With load false the test writes its files first and calls load() itself.
    explicit WindowRun(bool loadNow = true)
    {
        window = std::make_unique<Ui::MainWindow>(shell);
        state = std::make_unique<Model::RunState>(folder.path(), *window, &network);
        state->http.timeoutMs = 3000;
        state->http.untilOkAttempts = 3;
        state->http.untilOkPauseMs = 20;
        if (loadNow) {
            load();
        }
    }
    ~WindowRun()
    {
        window.reset();
        state.reset();
    }

    void load()
    {
        window->Load(*state);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    template <typename T> T* find(const QString& name) const { return window->findChild<T*>(name); }
    QString path(const QString& relative) const { return folder.path() + u'/' + relative; }
};
