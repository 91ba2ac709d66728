#pragma once

#include <QString>

// What the one-line form of a contact or calendar entry in the backup file can hold. A lone
// carriage return would be dropped and a literal "<br/>" would come back as a line break; both
// are written quoted-printable instead, which vCard 2.1 and vCalendar 1.0 readers decode. An
// END line of the entry's own kind before its last line cannot be kept at all: the phone would
// end the entry there.
namespace entrytext {

// The entry with every lone carriage return and "<br/>" of a property value carried in
// quoted-printable, where the property allows it; other text is left as it is.
QString keepable(const QString& entry);
// Why the entry cannot be written to the backup file as it is, or an empty text when it can.
// endLines are the END lines of the entry's kind ("END:VCARD", or "END:VEVENT|END:VTODO").
QString whyNotKept(const QString& entry, const QString& endLines);
// The entry's name or summary (the value of field), to tell the user which entry it is.
QString labelOf(const QString& entry, const QString& field);

} // namespace entrytext
