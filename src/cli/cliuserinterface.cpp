#include "cli/cliuserinterface.h"

#include <QFileInfo>

#include <unistd.h>

bool CliUserInterface::chooseFile(bool, const QString&, const QString&, const QString&,
                                  const QString&, QString& path)
{
    if (m_file.isEmpty())
        return false;
    path = QFileInfo(m_file).absoluteFilePath();
    return true;
}

bool CliUserInterface::askQuestion(const QString& title, const QString&)
{
    // The questions are the replacement of an existing file and the master reset confirmation;
    // the command line answered both in advance.
    if (title == QLatin1String("Warning")) {
        m_declined = !m_overwrite;
        return m_overwrite;
    }
    return true;
}

QString CliUserInterface::inputBox(const QString&, const QString&, const QString&)
{
    return m_lockCode;
}

bool CliUserInterface::stderrIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

void CliUserInterface::writeToTerminal(const QByteArray& bytes)
{
    // Straight to the descriptor: the line must show now, whatever stream buffers hold.
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(STDERR_FILENO, bytes.constData() + done,
                                        static_cast<size_t>(bytes.size() - done));
        if (written <= 0)
            return;
        done += written;
    }
}

void CliUserInterface::progress(const QString& text)
{
    if (!m_terminal)
        return;
    if (text.isEmpty()) {
        clearProgressLine();
        return;
    }
    // Back to the line's start, the text, and the rest of the old text erased.
    writeToTerminal("\r" + text.toLocal8Bit() + "\x1b[K");
    m_progressShown = true;
}

void CliUserInterface::clearProgressLine()
{
    if (!m_progressShown)
        return;
    writeToTerminal("\r\x1b[K");
    m_progressShown = false;
}
