#include "backupfile/fileselection.h"

#include "statuslog/statuslog.h"
#include "core/clock.h"
#include "core/userinterface.h"

#include <QFile>
#include <QFileInfo>

FileSelection::FileSelection(UserInterface& ui, StatusLog& log, MonotonicClock& clock)
    : m_ui(ui), m_log(log), m_clock(clock)
{
}

void FileSelection::yieldOnce()
{
    m_clock.yieldOnce();
}

bool FileSelection::bSelectFile(const QString& initialFolder, const QString& extension,
                                QString& fileName, const QString& title, bool save)
{
    QString description = extension + QStringLiteral(" (*.") + extension + QLatin1Char(')');
    // Filters apart as Qt's dialogs take them.
    if (!save && !readableFilter.isEmpty())
        description += QStringLiteral(";;") + readableFilter;
    const QString pattern = QStringLiteral("*.") + extension;
    QString path;
    if (!m_ui.chooseFile(save, title, initialFolder, description, pattern, path) || path.isEmpty())
        return false;

    const QString dotted = QLatin1Char('.') + extension;
    if (save) {
        // Case-sensitive on this side: "backup.ms" still gets ".MS".
        if (!path.contains(dotted))
            path += dotted;
    } else if (!path.toLower().contains(dotted.toLower()) && !(readsAsIs && readsAsIs(path))) {
        path += dotted;
        m_log.WriteLog(QStringLiteral("Missing extension in selected file -> adding"));
    }
    fileName = path;
    return true;
}

void FileSelection::getfilename(QString& sFileName, QString& sExtension)
{
    auto fail = [&] {
        m_log.WriteLog(QStringLiteral("Error in getfilename......."));
        m_log.WriteLog(QStringLiteral("sFileName->") + sFileName);
        m_log.WriteLog(QStringLiteral("sExtension->") + sExtension);
    };

    qsizetype dot = sFileName.size() - 1;
    while (dot >= 0 && sFileName.at(dot) != QLatin1Char('.')) {
        yieldOnce();
        --dot;
    }
    if (dot < 0)
        return fail();
    sExtension = sFileName.mid(dot + 1);
    sFileName.truncate(dot);

    qsizetype slash = sFileName.size() - 1;
    while (slash >= 0 && sFileName.at(slash) != QLatin1Char('/')) {
        yieldOnce();
        --slash;
    }
    if (slash < 0)
        return fail();
    sFileName = sFileName.mid(slash + 1);
}

bool FileSelection::bFileExists(const QString& path) const
{
    // The path itself is looked up, so that neither a dotted folder name nor a file name
    // without a dot hides an existing file; a dangling link is an entry too.
    const QFileInfo info(path);
    if (info.fileName().isEmpty())
        return false;
    return info.exists() || info.isSymLink();
}

bool FileSelection::bDeleteFile(const QString& path) const
{
    if (!bFileExists(path))
        return false;
    QFile::remove(path);
    return !bFileExists(path);
}

bool FileSelection::replaceExistingFile(const QString& path)
{
    if (!bFileExists(path))
        return true;
    return m_ui.askQuestion(QStringLiteral("Warning"),
                            QStringLiteral("The file already exist! (Will be erased if you press Yes)"));
}
