#pragma once

#include "irmc/irmcstore.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The IrMC objects the phone serves and the entries it takes from objects it is given. All
// texts end their lines with CR LF, as phones send them.
namespace irmc {

QByteArray phonebookObject(const QList<IrmcEntry>& entries);
// One VCALENDAR 1.0 object around every VEVENT and VTODO entry.
QByteArray calendarObject(const QList<IrmcEntry>& entries);
QByteArray deviceInfo(const IrmcIdentity& identity);
QByteArray infoLog(const IrmcStore& store, IrmcBook book);

// The entry with its X-IRMC-LUID line before its closing line, ended by a line break.
QByteArray entryWithLuid(const IrmcEntry& entry);

// The entries of an object for book: the vCards, or the VEVENT and VTODO blocks inside a
// VCALENDAR (closed or not), without their X-IRMC-LUID lines and without a final line break.
// False with a reason when the object holds none, or a block opens and never closes.
[[nodiscard]] bool parseEntries(IrmcBook book, const QByteArray& data, QList<QByteArray>& entries,
                                QString& error);

} // namespace irmc
