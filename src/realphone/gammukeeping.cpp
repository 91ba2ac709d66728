#include "realphone/gammukeeping.h"

#include "core/codepage.h"
#include "core/vproperty.h"
#include "gammucodec/gammuguard.h"
#include "gammucodec/gammumapping.h"
#include "gammucodec/gammupdu.h"
#include "gammucodec/gammuwallclock.h"

#include <cstring>
#include <memory>

namespace gammu {

namespace {

bool isAtConnection(GSM_ConnectionType type)
{
    return type == GCT_AT || type == GCT_BLUEAT || type == GCT_IRDAAT || type == GCT_DKU2AT ||
           type == GCT_PROXYAT;
}

QString modelOf(GSM_StateMachine* machine)
{
    const GSM_Config* config = GSM_GetConfig(machine, -1);
    return config ? QString::fromLatin1(config->Model, qstrnlen(config->Model, sizeof config->Model))
                        .trimmed()
                        .toLower()
                  : QString();
}

// A property's text in its own charset: a UTF-8 text without quoted-printable still comes in
// the file's bytes.
QString textOf(const QByteArray& line, const vproperty::Property& property)
{
    const QByteArray head = line.left(line.indexOf(':')).toUpper();
    if (head.contains("CHARSET=UTF-8") && !head.contains("QUOTED-PRINTABLE"))
        return QString::fromUtf8(codepage::encode(property.text));
    return property.text;
}

bool hasParam(const QStringList& params, const QString& wanted)
{
    for (const QString& param : params) {
        const QString upper = param.toUpper();
        const QString values = upper.startsWith(QLatin1String("TYPE=")) ? upper.mid(5) : upper;
        if (values.split(QLatin1Char(',')).contains(wanted))
            return true;
    }
    return false;
}

QString nameOfParts(const QString& n)
{
    // N is family;given;additional;prefix;suffix; a name reads prefix given additional family
    // suffix.
    const QStringList parts = n.split(QLatin1Char(';'));
    QStringList words;
    for (const int part : {3, 1, 2, 0, 4}) {
        const QString word = parts.value(part).trimmed();
        if (!word.isEmpty())
            words << word;
    }
    return words.join(QLatin1Char(' '));
}

} // namespace

Driver driverOf(GSM_StateMachine* machine)
{
    if (!machine)
        return Driver::Other;
    if (modelOf(machine) == QLatin1String("dummy"))
        return Driver::Dummy;
    return isAtConnection(GSM_GetUsedConnection(machine)) ? Driver::At : Driver::Other;
}

bool keepsNameAndNumberOnly(GSM_StateMachine* machine)
{
    return driverOf(machine) == Driver::At && modelOf(machine) != QLatin1String("atobex");
}

NameAndNumber nameAndNumberOf(const QByteArray& vcard)
{
    NameAndNumber contact;
    QString formatted;
    QString parts;
    QString preferred;
    QString mobile;
    QString first;
    QString firstHead;
    QString chosenHead;
    QStringList heads;
    for (const PropertyLine& line : propertyLines(vcard)) {
        const vproperty::Property property = vproperty::parse(codepage::decode(line.text));
        const QString text = textOf(line.text, property).trimmed();
        QString head = property.name;
        for (const QString& param : property.params)
            head += QLatin1Char(';') + param.toUpper();
        // What holds no data of the contact, or is the phone's own, is not left behind.
        if (property.name == QLatin1String("BEGIN") || property.name == QLatin1String("END") ||
            property.name == QLatin1String("VERSION") || property.name == QLatin1String("REV") ||
            property.name.startsWith(QLatin1String("X-GAMMU-")) ||
            property.name == QLatin1String("X-IRMC-LUID"))
            continue;
        if (property.name == QLatin1String("FN")) {
            if (formatted.isEmpty())
                formatted = text;
            continue;
        }
        if (property.name == QLatin1String("N")) {
            if (parts.isEmpty())
                parts = nameOfParts(text);
            continue;
        }
        heads << head;
        if (property.name != QLatin1String("TEL") || text.isEmpty())
            continue;
        if (preferred.isEmpty() && hasParam(property.params, QStringLiteral("PREF"))) {
            preferred = text;
            chosenHead = head;
        }
        if (mobile.isEmpty() && hasParam(property.params, QStringLiteral("CELL")))
            mobile = text;
        if (first.isEmpty()) {
            first = text;
            firstHead = head;
        }
    }
    contact.name = formatted.isEmpty() ? parts : formatted;
    contact.number = !preferred.isEmpty() ? preferred : !mobile.isEmpty() ? mobile : first;
    if (chosenHead.isEmpty()) {
        // The head of the chosen number, found again in the same order.
        for (const PropertyLine& line : propertyLines(vcard)) {
            const vproperty::Property property = vproperty::parse(codepage::decode(line.text));
            if (property.name != QLatin1String("TEL") ||
                textOf(line.text, property).trimmed() != contact.number)
                continue;
            chosenHead = property.name;
            for (const QString& param : property.params)
                chosenHead += QLatin1Char(';') + param.toUpper();
            break;
        }
    }
    heads.removeOne(chosenHead);
    for (const QString& head : std::as_const(heads)) {
        if (!contact.leftOut.contains(head))
            contact.leftOut << head;
    }
    return contact;
}

void fillNameAndNumber(const NameAndNumber& contact, GSM_MemoryEntry& entry)
{
    std::memset(&entry, 0, sizeof entry);
    entry.MemoryType = MEM_ME;
    // In the order the driver reads an entry back: the number, then the name.
    if (!contact.number.isEmpty()) {
        GSM_SubMemoryEntry& number = entry.Entries[entry.EntriesNum++];
        number.EntryType = PBK_Number_General;
        toUnicode(contact.number, number.Text, GSM_PHONEBOOK_TEXT_LENGTH);
    }
    if (!contact.name.isEmpty()) {
        GSM_SubMemoryEntry& name = entry.Entries[entry.EntriesNum++];
        name.EntryType = PBK_Text_Name;
        toUnicode(contact.name, name.Text, GSM_PHONEBOOK_TEXT_LENGTH);
    }
}

bool droppedAny(const GSM_MemoryEntry& entry)
{
    for (int i = 0; i < entry.EntriesNum && i < GSM_PHONEBOOK_ENTRIES; ++i) {
        if (entry.Entries[i].AddError == ERR_NOTSUPPORTED)
            return true;
    }
    return false;
}

int dummyToDoPriority(int written)
{
    return written >= 1 && written <= 3 ? 4 - written : written;
}

KeptPdu keptPdu(Driver driver, const QString& hex, qint32 length, qint32 type,
                const QString& time)
{
    KeptPdu kept{hex, time, {}};
    auto sms = std::make_unique<GSM_SMSMessage>();
    QString error;
    if (!decodePdu(hex, length, *sms, error) || !stateOfType(type, sms->State))
        return kept;
    // The AT driver encodes the frame itself with a zero zone; the dummy driver keeps a time
    // without its zone.
    if ((driver == Driver::At || driver == Driver::Dummy) && sms->PDU == SMS_Deliver &&
        sms->DateTime.Timezone != 0) {
        sms->DateTime.Timezone = 0;
        kept.lost << QStringLiteral("time zone");
    }
    if (driver == Driver::At) {
        if (sms->PDU == SMS_Submit && !time.isEmpty()) {
            kept.time.clear();
            kept.lost << QStringLiteral("time");
        }
    }
    EncodedPdu pdu;
    if (encodePdu(*sms, pdu, error))
        kept.hex = pdu.hex;
    return kept;
}

} // namespace gammu
