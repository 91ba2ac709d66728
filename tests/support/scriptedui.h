#pragma once

#include "core/userinterface.h"
#include "qtprint.h"

#include <QQueue>
#include <QStringList>

// A user who answers from a script: queued file names, answers and input texts. Every
// question is recorded; an unscripted file dialog is cancelled and an unscripted question
// answered negatively.
class ScriptedUi final : public UserInterface
{
public:
    bool chooseFile(bool save, const QString& title, const QString& initialFolder,
                    const QString& filterDescription, const QString& filterPattern,
                    QString& path) override;
    bool askQuestion(const QString& title, const QString& text) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    void tell(const QString& title, const QString& text) override
    {
        asked << QStringLiteral("told:%1:%2").arg(title, text);
    }

    // A file name to give the next dialog; an empty text cancels it.
    void nextFile(const QString& path) { m_files.enqueue(path); }
    void nextAnswer(bool yes) { m_answers.enqueue(yes); }
    void nextInput(const QString& text) { m_inputs.enqueue(text); }

    // What the user was asked, one line per question: "file:<title>", "question:<title>:<text>",
    // "input:<title>:<prompt>:<default>"; and told: "told:<title>:<text>".
    QStringList asked;
    // The filters each file dialog offered, as it was given them.
    QStringList filters;

private:
    QQueue<QString> m_files;
    QQueue<bool> m_answers;
    QQueue<QString> m_inputs;
};
