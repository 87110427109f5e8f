#pragma once

#include "fakeui.h"
#include "model/runstate.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <memory>

// A run of the program in a temporary program folder, with a fake user interface.
struct TestRun
{
    QTemporaryDir folder;
    FakeUserInterface ui;
    QNetworkAccessManager network;
    std::unique_ptr<Model::RunState> state;

    TestRun()
    {
        state = std::make_unique<Model::RunState>(folder.path(), ui, &network);
        state->http.timeoutMs = 3000;
        state->http.untilOkAttempts = 3;
        state->http.untilOkPauseMs = 20;
        // An answer that asks to wait fails like any other, after a short wait; the suites of waiting
        // ask for more.
        state->http.gates->policy.retriesPerItem = 0;
        state->http.gates->policy.shortestWaitMs = 20;
        state->http.gates->policy.fallbackWaitMs = 20;
    }
    QString path(const QString& relative) const { return folder.path() + u'/' + relative; }
};
