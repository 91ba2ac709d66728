#include "phonesim/simtextmessage.h"

#include "core/clock.h"
#include "phone/storedpdu.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simcellphone.h"
#include "phonesim/simstatus.h"

#include <QPointer>
#include <cmath>

namespace phonesim {

struct SimTextMessage::Read
{
    qint32 transactionId = 0;
    qint32 storage = 0;
    QList<StoredSms> messages;
    qsizetype next = 0;
    quint64 connectionSerial = 0;
    bool endless = false;
    // Answered with this status and no message instead (an unknown storage or selection).
    qint32 refusal = status::Ok;
};

SimTextMessage::SimTextMessage(SimCellPhone& phone, QObject* parent)
    : TextMessageObject(parent), m_phone(phone)
{
}

bool SimTextMessage::stillConnected(quint64 connectionSerial) const
{
    return m_phone.IsConnected() && m_phone.connectionSerial() == connectionSerial;
}

void SimTextMessage::ReadMessages(qint32 storage, qint32 what, qint32& transactionId)
{
    m_phone.ensureConnected("ReadMessages");
    transactionId = ++m_lastTransactionId;
    auto read = std::make_shared<Read>();
    read->transactionId = transactionId;
    read->storage = storage;
    read->connectionSerial = m_phone.connectionSerial();
    const SmsStore store(m_phone.image().refreshed());
    if (!store.hasStorage(storage) || what < smstype::ReceivedUnread || what > smstype::All) {
        read->refusal = status::InvalidParameter;
    } else {
        for (const StoredSms& message : store.messages(storage)) {
            if (what == smstype::All || message.type == what)
                read->messages.append(message);
        }
        read->endless = m_phone.image().faults().sms.unendingReads.contains(storage);
    }
    scheduleNext(read);
}

void SimTextMessage::scheduleNext(const std::shared_ptr<Read>& read)
{
    m_phone.clock().callLater(m_phone.image().latencyMs(), this,
                              [this, read] { deliverNext(read); });
}

void SimTextMessage::deliverNext(const std::shared_ptr<Read>& read)
{
    if (!stillConnected(read->connectionSerial)) {
        Q_EMIT OnPDUAvailable(read->transactionId, status::Disconnected, nullptr);
        return;
    }
    if (read->refusal != status::Ok) {
        Q_EMIT OnPDUAvailable(read->transactionId, read->refusal, nullptr);
        return;
    }
    if (read->next >= read->messages.size()) {
        // Only an empty storage gets here; an endless read stays silent instead.
        if (!read->endless)
            Q_EMIT OnPDUAvailable(read->transactionId, SmsStatus::NoMessages, nullptr);
        return;
    }

    const StoredSms& message = read->messages.at(read->next++);
    const StoredPdu pdu(read->storage, message.pdu, message.type, message.length);
    const bool more = read->next < read->messages.size();
    const qint32 eventStatus = more || read->endless ? SmsStatus::MoreToCome : status::Ok;
    const int unplugAfter = m_phone.image().faults().sms.unplugAfterMessages;
    QPointer<SimTextMessage> alive(this);
    Q_EMIT OnPDUAvailable(read->transactionId, eventStatus, &pdu);
    if (!alive)
        return;
    ++m_delivered;
    if (unplugAfter > 0 && m_delivered == unplugAfter)
        Q_EMIT m_phone.unplugRequested();
    if (more)
        scheduleNext(read);
}

void SimTextMessage::WriteMessage(qint32 Storage, qint32 Type, const QString& PDU, qint32 Length,
                                  qint32& transactionId)
{
    m_phone.ensureConnected("WriteMessage");
    transactionId = ++m_lastTransactionId;
    const SmsFaults& faults = m_phone.image().faults().sms;
    if (faults.unansweredWrites)
        return;
    const qint64 delayMs = faults.lateWriteSeconds ? std::llround(*faults.lateWriteSeconds * 1000.0)
                                                   : m_phone.image().latencyMs();
    const qint32 id = transactionId;
    const StoredSms message{Type, Length, PDU};
    const quint64 serial = m_phone.connectionSerial();
    m_phone.clock().callLater(delayMs, this, [this, id, Storage, message, serial] {
        finishWrite(id, Storage, message, serial);
    });
}

void SimTextMessage::finishWrite(qint32 transactionId, qint32 storage, const StoredSms& message,
                                 quint64 connectionSerial)
{
    qint32 result = status::Disconnected;
    if (stillConnected(connectionSerial)) {
        const qint32 refusal = m_phone.image().faults().sms.refusedWrites;
        result = refusal != 0 ? refusal : SmsStore(m_phone.image().refreshed()).add(storage, message);
    }
    Q_EMIT OnNotifyResponse(transactionId, result, nullptr);
}

} // namespace phonesim
