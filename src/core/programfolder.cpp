#include "core/programfolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

bool isInBuildFolder(const QString& programFolder, const QString& buildFolder)
{
    const QString program = QFileInfo(programFolder).canonicalFilePath();
    const QString build = QFileInfo(buildFolder).canonicalFilePath();
    if (program.isEmpty() || build.isEmpty())
        return false;
    return program == build || program.startsWith(build + QLatin1Char('/'));
}

QString programLogFolder()
{
    const QString folder = QCoreApplication::applicationDirPath();
    return isInBuildFolder(folder, QStringLiteral(CELLARCHIVE_BUILD_FOLDER)) ? folder : QString();
}

QString programDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/cellarchive");
}
