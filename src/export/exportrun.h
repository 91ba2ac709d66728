#pragma once

#include "export/backupcontents.h"
#include "export/cards.h"

#include <QDateTime>
#include <QTimeZone>

// `cellarchive-cli export`: the contacts, calendar and messages of a backup file as files that
// today's phones and programs import.
namespace backupexport {

struct ExportOptions
{
    QString folder;
    bool overwrite = false;
    QDateTime now;      // the export's time stamp (DTSTAMP of the calendar)
    QTimeZone zone;     // the zone of the messages' readable dates and of a phone's times
    // The zone calendar.ics names for the phone's wall-clock times; invalid keeps them
    // floating.
    QTimeZone calendarZone;
    VcardVersion vcard = VcardVersion::V30;
};

struct ExportReport
{
    bool failed = false;  // nothing or not everything was written: error says why
    QString error;
    QStringList written;  // one line per file written
    QList<Problem> problems; // entries and lines that could not be read, so were not written
};

// Names of the files written for the sections the backup holds, in writing order.
QStringList exportFileNames(const BackupContents& contents);

// Writes the files owner-only into options.folder (created when missing). Without overwrite
// nothing is written when one of the files exists already.
ExportReport exportBackup(const BackupContents& contents, const ExportOptions& options);

} // namespace backupexport
