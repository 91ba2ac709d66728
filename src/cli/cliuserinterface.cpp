#include "cli/cliuserinterface.h"

#include <QFileInfo>

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
