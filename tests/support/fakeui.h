#pragma once

#include "model/userinterface.h"

#include <QStringList>

#include <deque>

// A user interface for tests: records what the core shows and answers questions from a script.
class FakeUserInterface final : public Model::UserInterface
{
public:
    // Answers to the next questions, in order; when none is left every question is answered with yes.
    std::deque<bool> answers;
    QStringList questions; // "title|question"
    QStringList messages;
    QStringList statusHistory;
    QList<Model::CommandStates> commandStates;
    QStringList openedLocal;
    QStringList openedWeb;
    bool shellWorks = true;

    bool ask(const QString& title, const QString& question) override
    {
        questions.append(title + u'|' + question);
        if (answers.empty()) {
            return true;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void tell(const QString& message) override { messages.append(message); }
    void showCommandStates(const Model::CommandStates& states) override { commandStates.append(states); }
    bool openLocal(const QString& path) override
    {
        openedLocal.append(path);
        return shellWorks;
    }
    bool openWeb(const QString& address) override
    {
        openedWeb.append(address);
        return shellWorks;
    }

protected:
    void statusChanged(const QString& text) override { statusHistory.append(text); }
};
