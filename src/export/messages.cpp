#include "export/messages.h"

#include "backupfile/elements.h"
#include "export/cards.h"
#include "export/exporttext.h"

#include <QMap>
#include <QRegularExpression>

namespace backupexport {

QList<Message> readMessages(const Section& section, QList<Problem>& problems)
{
    QList<Message> messages;
    for (const Group& group : section.groups) {
        const Element* pdu = group.find(QStringLiteral("PDU"));
        const auto storage = elements::valueToInt16(group.value(QStringLiteral("Storage")));
        const auto type = elements::valueToInt16(group.value(QStringLiteral("Type")));
        const auto length = elements::valueToInt32(group.value(QStringLiteral("Length")));
        const int number = group.line;
        if (!pdu || !storage || !type || !length) {
            problems.append({number, QStringLiteral("a message without a PDU, Storage, Type or "
                                                    "Length line")});
            continue;
        }
        Message message;
        message.line = number;
        message.storage = *storage;
        message.type = *type;
        message.sms = gammucodec::decodeSms(pdu->value, *length);
        if (!message.sms.ok) {
            problems.append({pdu->line, message.sms.error});
            continue;
        }
        message.time = message.sms.time;
        if (const Element* time = group.find(QStringLiteral("Time")); time && !message.time.isValid()) {
            message.time = parseMessageTime(time->value);
            if (!message.time.isValid())
                problems.append({time->line, QStringLiteral("the message's time cannot be read")});
        }
        messages.append(message);
    }
    return messages;
}

QDateTime parseMessageTime(const QString& value)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{8})T(\\d{6})(?:(Z)|([+-])(\\d\\d):?(\\d\\d))?$"));
    const QRegularExpressionMatch match = form.match(value.trimmed());
    if (!match.hasMatch())
        return QDateTime();
    // Date and clock apart: a wall-clock time need not exist in the zone of this computer.
    const QDate date = QDate::fromString(match.captured(1), QStringLiteral("yyyyMMdd"));
    const QTime clock = QTime::fromString(match.captured(2), QStringLiteral("HHmmss"));
    if (!date.isValid() || !clock.isValid())
        return QDateTime();
    if (!match.captured(3).isEmpty())
        return QDateTime(date, clock, Qt::UTC);
    if (match.captured(4).isEmpty())
        return QDateTime(date, clock, Qt::LocalTime);
    const int offset = (match.captured(5).toInt() * 60 + match.captured(6).toInt()) * 60;
    return QDateTime(date, clock, Qt::OffsetFromUTC,
                     match.captured(4) == QLatin1String("-") ? -offset : offset);
}

QString storageName(qint16 storage)
{
    switch (storage) {
    case 1:
        return QStringLiteral("SIM");
    case 2:
        return QStringLiteral("phone");
    default:
        return QStringLiteral("storage %1").arg(storage);
    }
}

QString statusName(qint16 type)
{
    switch (type) {
    case 0:
        return QStringLiteral("unread");
    case 1:
        return QStringLiteral("read");
    case 2:
        return QStringLiteral("unsent");
    case 3:
        return QStringLiteral("sent");
    default:
        return QStringLiteral("type %1").arg(type);
    }
}

int androidType(const Message& message)
{
    switch (message.type) {
    case 0:
    case 1:
        return 1;
    case 2:
        return 3;
    case 3:
        return 2;
    default:
        return message.sms.kind == gammucodec::SmsMessage::Kind::Deliver ? 1 : 2;
    }
}

QList<Conversation> joinParts(const QList<Message>& messages)
{
    // Parts belong together when they share the direction, the other party, the reference
    // and the number of parts.
    auto keyOf = [](const Message& m) {
        return QString::number(androidType(m)) + QLatin1Char('|') + m.sms.number +
               QLatin1Char('|') + QString::number(m.sms.reference) + QLatin1Char('|') +
               QString::number(m.sms.parts);
    };
    QMap<QString, QList<const Message*>> groups;
    for (const Message& message : messages) {
        if (message.sms.reference >= 0)
            groups[keyOf(message)].append(&message);
    }
    QList<Conversation> conversations;
    QList<QString> done;
    for (const Message& message : messages) {
        if (message.sms.reference < 0) {
            conversations.append({&message, message.sms.text});
            continue;
        }
        const QString key = keyOf(message);
        if (done.contains(key))
            continue;
        QList<const Message*> parts = groups.value(key);
        std::stable_sort(parts.begin(), parts.end(), [](const Message* a, const Message* b) {
            return a->sms.part < b->sms.part;
        });
        bool whole = parts.size() == message.sms.parts;
        for (qsizetype i = 0; whole && i < parts.size(); ++i)
            whole = parts.at(i)->sms.part == i + 1;
        if (!whole) {
            // A part missing or twice: each part stays a message of its own.
            conversations.append({&message, message.sms.text});
            continue;
        }
        done.append(key);
        QString text;
        for (const Message* part : parts)
            text += part->sms.text;
        conversations.append({parts.first(), text});
    }
    return conversations;
}

namespace {

QString digitsOf(const QString& number)
{
    QString digits;
    for (QChar c : number) {
        if (c.isDigit())
            digits += c;
    }
    return digits;
}

QString nameOrUnknown(const QList<NamedNumber>& book, const QString& number)
{
    const QString name = contactName(book, number);
    return name.isEmpty() ? QStringLiteral("(Unknown)") : name;
}

} // namespace

QList<NamedNumber> contactNumbers(const Section* contacts)
{
    QList<NamedNumber> book;
    if (!contacts)
        return book;
    for (const Entry& entry : contacts->entries) {
        const gammucodec::Contact contact = gammucodec::decodeContact(entry.text);
        for (const gammucodec::PhoneNumber& number : contact.numbers)
            book.append({displayName(entry.text, contact), number.number});
    }
    return book;
}

QString contactName(const QList<NamedNumber>& book, const QString& number)
{
    const QString digits = digitsOf(number);
    if (digits.isEmpty())
        return QString();
    for (const NamedNumber& entry : book) {
        if (digitsOf(entry.number) == digits)
            return entry.name;
    }
    // A number stored in national form ("0701234567") matches its international form.
    constexpr int kSignificant = 9;
    if (digits.size() < kSignificant)
        return QString();
    for (const NamedNumber& entry : book) {
        const QString other = digitsOf(entry.number);
        if (other.size() >= kSignificant && other.right(kSignificant) == digits.right(kSignificant))
            return entry.name;
    }
    return QString();
}

QByteArray messagesXml(const QList<Conversation>& conversations,
                       const QList<NamedNumber>& book, const QTimeZone& zone)
{
    QString xml = QStringLiteral("<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n");
    xml += QStringLiteral("<smses count=\"%1\">\n").arg(conversations.size());
    for (const Conversation& conversation : conversations) {
        const Message& message = *conversation.first;
        const int type = androidType(message);
        const QString serviceCentre =
            type == 1 && !message.sms.smsc.isEmpty() ? message.sms.smsc : QStringLiteral("null");
        // A phone's wall-clock time is the time of the zone the messages are read in.
        const QDateTime time = message.time.timeSpec() == Qt::LocalTime
                                   ? QDateTime(message.time.date(), message.time.time(), zone)
                                   : message.time;
        const QString readable = readableDate(time, zone);
        // Built piece by piece: a message text may itself hold "%1".
        QString line = QStringLiteral("  <sms");
        auto attribute = [&line](const char* name, const QString& value) {
            line += QLatin1Char(' ') + QLatin1String(name) + QStringLiteral("=\"") +
                    xmlEscape(value) + QLatin1Char('"');
        };
        attribute("protocol", QStringLiteral("0"));
        attribute("address", message.sms.number);
        attribute("date", QString::number(epochMs(time)));
        attribute("type", QString::number(type));
        attribute("subject", QStringLiteral("null"));
        attribute("body", conversation.text);
        attribute("toa", QStringLiteral("null"));
        attribute("sc_toa", QStringLiteral("null"));
        attribute("service_center", serviceCentre);
        attribute("read", message.type == 0 ? QStringLiteral("0") : QStringLiteral("1"));
        attribute("status", QStringLiteral("-1"));
        attribute("readable_date", readable.isEmpty() ? QStringLiteral("null") : readable);
        attribute("contact_name", nameOrUnknown(book, message.sms.number));
        xml += line + QStringLiteral(" />\n");
    }
    xml += QStringLiteral("</smses>\n");
    return xml.toUtf8();
}

QByteArray messagesText(const QList<Conversation>& conversations,
                        const QList<NamedNumber>& book)
{
    QString text;
    for (const Conversation& conversation : conversations) {
        const Message& message = *conversation.first;
        const int type = androidType(message);
        const QString name = contactName(book, message.sms.number);
        const QString party = name.isEmpty() ? message.sms.number
                                             : QStringLiteral("%1 <%2>").arg(name, message.sms.number);
        QStringList head{(type == 1 ? QStringLiteral("From ") : QStringLiteral("To ")) + party};
        if (message.time.isValid())
            head.append(listingTime(message.time));
        head.append(storageName(message.storage));
        head.append(statusName(message.type));
        QString body = conversation.text;
        body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        text += head.join(QStringLiteral(", ")) + QLatin1Char('\n') + body + QStringLiteral("\n\n");
    }
    return text.toUtf8();
}

} // namespace backupexport
