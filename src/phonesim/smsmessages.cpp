#include "phonesim/phonecategories.h"
#include "phonesim/smspdu.h"
#include "phonesim/smsstore.h"

#include <QTimeZone>

namespace phonesim {

namespace {

// Capacities of a SIM card of the time and of the phone's own memory.
constexpr int SimCapacity = 30;
constexpr int PhoneCapacity = 150;

const QString kServiceCentre = QStringLiteral("+491710760000");

StoredSms received(qint32 type, const QString& sender, const QDate& date, const QTime& time,
                   const QString& text)
{
    const QDateTime sent(date, time, QTimeZone(2 * 3600));
    const smspdu::Pdu pdu = smspdu::deliver(kServiceCentre, sender, sent, text);
    return StoredSms{type, pdu.length, pdu.hex};
}

StoredSms outgoing(qint32 type, const QString& recipient, const QString& text)
{
    const smspdu::Pdu pdu = smspdu::submit(recipient, text);
    return StoredSms{type, pdu.length, pdu.hex};
}

} // namespace

QJsonObject demoSmsStorages()
{
    const QList<StoredSms> sim = {
        received(smstype::ReceivedRead, QStringLiteral("+4917012345678"), QDate(2004, 5, 14),
                 QTime(18, 2, 11), QStringLiteral("Train is late, see you at 8. Anna")),
        received(smstype::ReceivedRead, QStringLiteral("+4915112233445"), QDate(2004, 5, 16),
                 QTime(9, 15, 40),
                 QStringLiteral("\u0414\u043E\u0431\u0440\u043E \u043F\u043E\u0436\u0430\u043B"
                                "\u043E\u0432\u0430\u0442\u044C!")),
        received(smstype::ReceivedUnread, QStringLiteral("+4917012345678"), QDate(2004, 5, 17),
                 QTime(8, 45, 0), QStringLiteral("Meeting moved to Tuesday 10:00")),
    };
    const QList<StoredSms> phone = {
        outgoing(smstype::StoredSent, QStringLiteral("+4917012345678"),
                 QStringLiteral("OK, I'll wait at the caf\u00E9.")),
        outgoing(smstype::StoredUnsent, QStringLiteral("+4930123456"),
                 QStringLiteral("Remember: bring the keys")),
    };
    return SmsStore::storages(SimCapacity, sim, PhoneCapacity, phone);
}

QJsonObject blankSmsStorages()
{
    return SmsStore::storages(SimCapacity, {}, PhoneCapacity, {});
}

} // namespace phonesim
