#include "codecinput.h"

#include "backupfile/sectiontable.h"
#include "core/codepage.h"
#include "export/backupcontents.h"
#include "export/cards.h"
#include "export/messages.h"
#include "export/showlisting.h"
#include "irmc/irmcobjects.h"
#include "gammucodec/gammuguard.h"
#include "gammucodec/gammupdu.h"

#include <QTimeZone>
#include <memory>

namespace {

using namespace backupexport;

// As the restore sends an entry: the calendar's inside a VCALENDAR; as the OBEX server cuts
// the object into entries and the store reads each.
int restoreEntries(const Section& section, bool calendar)
{
    int read = 0;
    const irmc::IrmcBook book = calendar ? irmc::IrmcBook::Calendar : irmc::IrmcBook::Phonebook;
    for (const Entry& entry : section.entries) {
        QByteArray object = codepage::encode(entry.text);
        if (calendar && !object.contains("BEGIN:VCALENDAR"))
            object = "BEGIN:VCALENDAR\r\nVERSION:1.0\r\n" + object;
        QList<QByteArray> parts;
        QString error;
        if (!irmc::parseEntries(book, object, parts, error))
            continue;
        for (const QByteArray& part : parts) {
            const QByteArray text = gammu::storeEntryText(calendar, part);
            if (calendar) {
                auto event = std::make_unique<GSM_CalendarEntry>();
                auto todo = std::make_unique<GSM_ToDoEntry>();
                bool isTodo = false;
                read += gammu::decodeVCalendar(text, *event, *todo, isTodo).ok();
            } else {
                auto contact = std::make_unique<GSM_MemoryEntry>();
                read += gammu::decodeVCard(text, *contact).ok();
                GSM_FreeMemoryEntry(contact.get());
            }
        }
    }
    return read;
}

int restoreMessages(const Section& section)
{
    int read = 0;
    for (const Group& group : section.groups) {
        auto sms = std::make_unique<GSM_SMSMessage>();
        QString error;
        read += gammu::decodePdu(group.value(QStringLiteral("PDU")),
                                 group.value(QStringLiteral("Length")).toInt(), *sms, error);
    }
    return read;
}

} // namespace

int runCodecInput(const QByteArray& bytes)
{
    const QString text = codepage::decode(bytes);
    const BackupContents contents = parseBackupLines(text.split(QStringLiteral("\r\n")));
    int read = static_cast<int>(showListing(contents, -1, true).lines.size());
    const QDateTime stamp(QDate(2027, 1, 1), QTime(12, 0), Qt::UTC);
    for (const Section& section : contents.sections) {
        QList<Problem> problems;
        int written = 0;
        if (section.iTag == sections::Contacts) {
            read += static_cast<int>(contactsVcf(section, VcardVersion::V30, problems, written).size());
            read += restoreEntries(section, false);
        } else if (section.iTag == sections::Calendar) {
            read += static_cast<int>(calendarIcs(section, stamp, QTimeZone(), problems, written).size());
            read += restoreEntries(section, true);
        } else if (section.iTag == sections::SmsMessages) {
            // The conversations point into the messages.
            const QList<Message> messages = readMessages(section, problems);
            const QList<Conversation> conversations = joinParts(messages);
            const QList<NamedNumber> book = contactNumbers(contents.find(sections::Contacts));
            read += static_cast<int>(messagesXml(conversations, book, QTimeZone::utc()).size() +
                                     messagesText(conversations, book).size());
            read += restoreMessages(section);
        }
    }
    return read;
}
