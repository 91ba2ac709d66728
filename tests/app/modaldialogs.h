#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

// Answers the next modal dialog from the event loop that its exec() runs: answer receives the
// dialog and must close it. Should no dialog be open, nothing is done and the caller's
// expectations fail instead of the test hanging.
inline void answerNextDialog(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, qApp, [answer = std::move(answer)] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            answer(dialog);
    });
}
