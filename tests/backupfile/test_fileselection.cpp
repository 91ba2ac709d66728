#include "backupfiletest.h"

#include "backupfile/fileselection.h"
#include "scriptedui.h"

class FileSelectionTest : public BackupFileTest
{
protected:
    // The path the dialog gives back after a user typed name, or false when cancelled.
    bool choose(const QString& typed, bool save, QString& fileName)
    {
        ui.nextFile(typed);
        return selection.bSelectFile(QString(), QStringLiteral("MS"), fileName,
                                     save ? QStringLiteral("Save Data to file")
                                          : QStringLiteral("Select Data file"),
                                     save);
    }

    ScriptedUi ui;
    FileSelection selection{ui, log, clock};
};

// Saving adds ".MS" unless the name holds it exactly; opening accepts any case and logs the
// extension it adds. A cancelled dialog leaves the name alone.
TEST_F(FileSelectionTest, ExtensionIsCompletedOnEitherSide)
{
    const struct
    {
        const char* typed;
        bool save;
        const char* name;
    } rows[] = {
        {"/d/backup", true, "/d/backup.MS"},      {"/d/backup.ms", true, "/d/backup.ms.MS"},
        {"/d/x.MS/backup", true, "/d/x.MS/backup"}, {"/d/backup.ms", false, "/d/backup.ms"},
        {"/d/x.ms/backup", false, "/d/x.ms/backup"}, {"/d/notes.txt", false, "/d/notes.txt.MS"},
        {"", true, "unchanged"},
    };
    for (const auto& row : rows) {
        QString name = QStringLiteral("unchanged");
        EXPECT_EQ(choose(QString::fromLatin1(row.typed), row.save, name), *row.typed != 0);
        EXPECT_EQ(name, QLatin1String(row.name)) << row.typed;
    }
    EXPECT_EQ(logTexts(), QStringList{QStringLiteral("Missing extension in selected file -> adding")});
    EXPECT_EQ(ui.asked.mid(2, 2), (QStringList{QStringLiteral("file:save:Save Data to file"),
                                               QStringLiteral("file:open:Select Data file")}));
}

TEST_F(FileSelectionTest, ExistenceFollowsTheLastPathComponent)
{
    QDir(dir.path()).mkdir(QStringLiteral("x.MS"));
    const QString dotlessInDottedFolder = path(QStringLiteral("x.MS/backup"));
    EXPECT_FALSE(selection.bFileExists(dotlessInDottedFolder));
    writeBytes(QStringLiteral("x.MS/backup"), "x");
    EXPECT_TRUE(selection.bFileExists(dotlessInDottedFolder));
    EXPECT_FALSE(selection.bFileExists(path(QStringLiteral("x.MS/BACKUP"))));
    EXPECT_FALSE(selection.bDeleteFile(path(QStringLiteral("absent.MS"))));
    EXPECT_TRUE(selection.bDeleteFile(dotlessInDottedFolder));
    EXPECT_FALSE(QFile::exists(dotlessInDottedFolder));
}

TEST_F(FileSelectionTest, GetfilenameCutsThePathOrLogsWhereItStopped)
{
    QString name = QStringLiteral("/home/u/backup.MS");
    QString extension;
    selection.getfilename(name, extension);
    EXPECT_EQ(name, QStringLiteral("backup"));
    EXPECT_EQ(extension, QStringLiteral("MS"));
    EXPECT_TRUE(logTexts().isEmpty());

    name = QStringLiteral("backup.MS");
    extension.clear();
    selection.getfilename(name, extension);
    EXPECT_EQ(logTexts(), QStringList({QStringLiteral("Error in getfilename......."),
                                       QStringLiteral("sFileName->backup"),
                                       QStringLiteral("sExtension->MS")}));
}

TEST_F(FileSelectionTest, ReplacingAnExistingFile)
{
    const QString target = path(QStringLiteral("old.MS"));
    EXPECT_TRUE(selection.replaceExistingFile(target));
    EXPECT_TRUE(ui.asked.isEmpty());

    writeBytes(QStringLiteral("old.MS"), "keep\r\n");
    ui.nextAnswer(false);
    EXPECT_FALSE(selection.replaceExistingFile(target));
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_EQ(ui.asked, QStringList{QStringLiteral(
                            "question:Warning:The file already exist! (Will be erased if you press Yes)")});
    EXPECT_TRUE(log.statusText().isEmpty());

    // A yes keeps the old file until the new backup replaces it.
    ui.nextAnswer(true);
    EXPECT_TRUE(selection.replaceExistingFile(target));
    EXPECT_TRUE(QFile::exists(target));
}
