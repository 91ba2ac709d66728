#pragma once

#include <QString>
#include <functional>

class UserInterface;
class StatusLog;
class MonotonicClock;

// Choosing the backup file in the file dialog, and removing an old file of the chosen name
// before a backup writes it anew.
class FileSelection
{
public:
    FileSelection(UserInterface& ui, StatusLog& log, MonotonicClock& clock);

    // Shows the save (save = true) or open dialog for files of the given extension (without its
    // dot). On confirmation fileName receives the path, completed with the extension when it
    // lacks it; on cancel it is left as it was and the result is false.
    bool bSelectFile(const QString& initialFolder, const QString& extension, QString& fileName,
                     const QString& title, bool save);

    // An existing file of another kind that a restore reads as it is (contacts, a calendar):
    // no extension is added to its name. Set by the program.
    std::function<bool(const QString& path)> readsAsIs;
    // The name filter of those files ("Contacts (*.vcf)"), offered in the open dialog beside
    // the backup files. Set by the program.
    QString readableFilter;

    // True when an entry exists at the path (a file, or anything else of that name).
    bool bFileExists(const QString& path) const;
    // True when the file existed and is gone afterwards.
    bool bDeleteFile(const QString& path) const;
    // Cuts a full path to the bare file name and gives its extension; logs a path it cannot cut.
    void getfilename(QString& sFileName, QString& sExtension);

    // Before a backup: asks before an existing file is replaced. True when the backup may go
    // on; false when the user declined. The old file stays until the new one replaces it.
    bool replaceExistingFile(const QString& path);

private:
    void yieldOnce();

    UserInterface& m_ui;
    StatusLog& m_log;
    MonotonicClock& m_clock;
};
