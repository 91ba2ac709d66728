#pragma once

#include "core/userinterface.h"

// The answers of a command line: the file named on it, the overwrite decision and the lock
// code given as options. Nothing is ever asked interactively.
class CliUserInterface final : public UserInterface
{
public:
    CliUserInterface(const QString& file, bool overwrite, const QString& lockCode)
        : m_terminal(stderrIsTerminal()), m_file(file), m_overwrite(overwrite),
          m_lockCode(lockCode)
    {
    }

    static bool stderrIsTerminal();

    bool chooseFile(bool save, const QString& title, const QString& initialFolder,
                    const QString& filterDescription, const QString& filterPattern,
                    QString& path) override;
    bool askQuestion(const QString& title, const QString& text) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;

    // One line on standard error, rewritten in place, when it is a terminal; nothing else.
    void progress(const QString& text) override;
    // Takes the progress line away before another line is printed to the same terminal.
    void clearProgressLine();

    // The run wanted to replace an existing file and --overwrite was not given.
    bool declinedReplacement() const { return m_declined; }

private:
    void writeToTerminal(const QByteArray& bytes);

    const bool m_terminal;
    bool m_progressShown = false;
    bool m_declined = false;
    QString m_file;
    bool m_overwrite;
    QString m_lockCode;
};
