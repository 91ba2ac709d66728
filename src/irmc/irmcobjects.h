#pragma once

#include "irmc/irmcstore.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The IrMC objects the phone serves and the entries it takes from objects it is given. All
// texts end their lines with CR LF, as phones send them.
namespace irmc {

QByteArray phonebookObject(const QList<IrmcEntry>& entries);
// One VCALENDAR 1.0 object around every VEVENT and VTODO entry.
QByteArray calendarObject(const QList<IrmcEntry>& entries);
QByteArray deviceInfo(const IrmcIdentity& identity);
QByteArray infoLog(const IrmcStore& store, IrmcBook book);

// One change of a book, as the change log names it.
struct IrmcChange
{
    enum Type : char { Modified = 'M', HardDeleted = 'H' };
    qint64 changeCounter = 0;
    Type type = Modified;
    QString luid;
};

// The change log object: the book's header lines, then one line per change, or "*" when the
// changes asked for are not known (nullopt) and the client must read the whole book again.
QByteArray changeLog(const IrmcStore& store, IrmcBook book,
                     const std::optional<QList<IrmcChange>>& changes);

// The entry with its X-IRMC-LUID line before its closing line, ended by a line break.
QByteArray entryWithLuid(const IrmcEntry& entry);

// The entries of an object for book: the vCards, or the VEVENT and VTODO blocks inside a
// VCALENDAR (closed or not), without their X-IRMC-LUID lines and without a final line break.
// False with a reason when the object holds none, or a block opens and never closes.
[[nodiscard]] bool parseEntries(IrmcBook book, const QByteArray& data, QList<QByteArray>& entries,
                                QString& error);

} // namespace irmc
