#pragma once

#include <QString>

// The questions the program puts to the user. The main window answers with real dialogs,
// the command line and the tests with answers decided beforehand.
class UserInterface
{
public:
    virtual ~UserInterface() = default;

    // A file dialog. Returns false when the user cancels; path receives the chosen path.
    virtual bool chooseFile(bool save, const QString& title, const QString& initialFolder,
                            const QString& filterDescription, const QString& filterPattern,
                            QString& path) = 0;

    // A question with a warning icon and a positive and a negative answer.
    virtual bool askQuestion(const QString& title, const QString& text) = 0;

    // An input box; a cancelled box gives the empty text.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
};
