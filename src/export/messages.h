#pragma once

#include "export/backupcontents.h"
#include "gammucodec/gammucodec.h"

#include <QTimeZone>

// The messages of an SMS_Messages section, decoded, and the files they are exported to.
namespace backupexport {

struct Message
{
    int line = 0; // the message's first line in the file
    qint16 storage = 0;
    qint16 type = 0;
    gammucodec::SmsMessage sms;
    // The PDU's time, or the time the phone gave beside it (a sent message or a draft);
    // a phone's wall-clock time is floating (Qt::LocalTime). Invalid when neither says one.
    QDateTime time;
};

// The Time line of a message: "20261201T101500", with "+01:00" or "Z" when it has an offset.
QDateTime parseMessageTime(const QString& value);

// The section's messages that can be decoded; the others become problems of the section.
QList<Message> readMessages(const Section& section, QList<Problem>& problems);

// "SIM", "phone"; "unread", "read", "unsent", "sent", as the phone's Storage and Type say.
QString storageName(qint16 storage);
QString statusName(qint16 type);

// A message as a user sees it: a long message's parts joined when every part is there.
struct Conversation
{
    const Message* first = nullptr; // part 1, or the message itself
    QString text;
};
QList<Conversation> joinParts(const QList<Message>& messages);

// The contacts a message's number is looked up in.
struct NamedNumber
{
    QString name;
    QString number;
};
QList<NamedNumber> contactNumbers(const Section* contacts);
// The name whose number matches (the same digits, or the same last nine digits of two
// numbers at least that long); empty when none does.
QString contactName(const QList<NamedNumber>& book, const QString& number);

// The type of a message in the Android backup layout: 1 received, 2 sent, 3 draft.
int androidType(const Message& message);
// messages.xml: the layout that Android SMS backup apps import; floating times are taken in
// zone.
QByteArray messagesXml(const QList<Conversation>& conversations,
                       const QList<NamedNumber>& book, const QTimeZone& zone);
// messages.txt: the same as readable text.
QByteArray messagesText(const QList<Conversation>& conversations,
                        const QList<NamedNumber>& book);

} // namespace backupexport
