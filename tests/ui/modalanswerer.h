#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <deque>

// Answers the message boxes the window opens while a test runs: records each text and presses the next
// scripted button (Yes when the script is empty and the box offers it, otherwise OK).
class ModalAnswerer
{
public:
    std::deque<QMessageBox::StandardButton> script;
    QStringList texts;

    ModalAnswerer()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answer(); });
        m_timer.start();
    }

private:
    void answer()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        texts.append(box->text());
        QMessageBox::StandardButton choice = QMessageBox::Yes;
        if (!script.empty()) {
            choice = script.front();
            script.pop_front();
        }
        QAbstractButton* button = box->button(choice);
        if (button == nullptr) {
            button = box->button(QMessageBox::Ok);
        }
        if (button == nullptr) {
            box->reject();
            return;
        }
        button->click();
    }

    QTimer m_timer;
};
