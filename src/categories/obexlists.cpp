#include "categories/obexmodule.h"

#include "categories/categoryservices.h"
#include "categories/entrymatch.h"
#include "core/codepage.h"
#include "phone/obextransfer.h"
#include "statuslog/statuslog.h"

// What the phone already holds in its phonebook and calendar: read before a restore writes
// into them and again when the run checks its work.

namespace {

const QString kPhonebookObject = QStringLiteral("telecom/pb.vcf");
const QString kCalendarObject = QStringLiteral("telecom/cal.vcs");

} // namespace

QString ObexModule::entryLabel(bool calendar, int index, const QString& entry)
{
    QString which =
        QStringLiteral("%1 on line %2 of the file")
            .arg(calendar ? QStringLiteral("calendar entry") : QStringLiteral("contact"))
            .arg(index + 1);
    const QString field = calendar ? QStringLiteral("SUMMARY") : QStringLiteral("N");
    for (const QString& line : entry.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(field + QLatin1Char(':')) || line.startsWith(field + QLatin1Char(';')))
            return which + QStringLiteral(" (%1)").arg(line.section(QLatin1Char(':'), 1));
    }
    return which;
}

bool ObexModule::phoneEntries(bool calendar, entrymatch::Multiset& keys)
{
    m_services.checkPhone();
    const bool read =
        m_obex.Obex_Get(ObexTransfer::ConvertFile(calendar ? kCalendarObject : kPhonebookObject),
                        calendar ? QStringLiteral("vcs") : QStringLiteral("vcf"),
                        [this, &keys](const QByteArray& entry) {
                            keys.add(entrymatch::entryKey(codepage::decode(entry)));
                            m_services.yieldOnce();
                        });
    if (!read)
        m_services.log.WriteLog(QStringLiteral("Could not read the phone's ") +
                                (calendar ? kCalendarObject : kPhonebookObject));
    return read;
}

bool ObexModule::readBeforeWriting(bool calendar)
{
    entrymatch::Multiset onPhone;
    if (!phoneEntries(calendar, onPhone))
        return false;
    m_services.lists.phoneRead(calendar ? RestoreLists::Calendar : RestoreLists::Phonebook,
                               std::move(onPhone));
    return true;
}

void ObexModule::reform(bool calendar, RestoreLists::FileEntry& entry)
{
    const QString object = calendar ? calendarObjectOf(entry.source) : entry.source;
    const KeptForm kept = m_obex.keptForm(calendar, codepage::encode(object));
    entry.key = entrymatch::entryKey(codepage::decode(kept.entry));
    entry.asIs = entrymatch::entryKey(entry.source);
    entry.summary = kept.summary;
    entry.detail = kept.detail;
}

bool ObexModule::admit(bool calendar, int index, const QString& entry)
{
    RestoreLists::FileEntry file;
    file.label = entryLabel(calendar, index, entry);
    file.source = entry;
    reform(calendar, file);
    if (m_services.lists.admit(calendar ? RestoreLists::Calendar : RestoreLists::Phonebook, file))
        return true;
    m_services.log.WriteLog(QStringLiteral("Already on the phone -> ") + file.label);
    return false;
}

void ObexModule::readBooks(PhoneBooks& books)
{
    if (!books.wantContacts && !books.wantCalendar)
        return;
    m_services.checkPhone();
    if (!m_obex.ObexConnect())
        return;
    if (books.wantContacts)
        books.contactsRead = phoneEntries(false, books.contacts);
    if (books.wantCalendar)
        books.calendarRead = phoneEntries(true, books.calendar);
    m_services.checkPhone();
    m_obex.ObexDisconnect();
}
