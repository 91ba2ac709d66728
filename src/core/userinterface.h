#pragma once

#include <QString>
#include <QtGlobal>

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

    // How far the run is in a category ("Phonebook: 631 of 1,250"), rewritten in place; the
    // empty text clears it after the run. Only shown, never logged.
    virtual void progress(const QString& text) { Q_UNUSED(text); }

    // A message the user reads and acknowledges; front ends without a user ignore it.
    virtual void tell(const QString& title, const QString& text)
    {
        Q_UNUSED(title);
        Q_UNUSED(text);
    }
};
