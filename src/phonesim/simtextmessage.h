#pragma once

#include "phone/components.h"
#include "phonesim/smsstore.h"

#include <memory>

namespace phonesim {

class SimCellPhone;

// The simulated phone's SMS object, on the storages of the phone image. Every event comes
// through the event loop after the image's latency, one at a time, never inside the call.
// A read lists the messages as they were when it was asked for; one that is still on its way
// when the phone goes away ends with status::Disconnected, and so is answered a write.
class SimTextMessage final : public TextMessageObject
{
    Q_OBJECT
public:
    explicit SimTextMessage(SimCellPhone& phone, QObject* parent = nullptr);

    // what selects the messages by Type; smstype::All lists every one. An unknown storage or
    // selection is answered with one event of status::InvalidParameter.
    void ReadMessages(qint32 storage, qint32 what, qint32& transactionId) override;
    void WriteMessage(qint32 Storage, qint32 Type, const QString& PDU, qint32 Length,
                      qint32& transactionId) override;

private:
    struct Read;
    void scheduleNext(const std::shared_ptr<Read>& read);
    void deliverNext(const std::shared_ptr<Read>& read);
    void finishWrite(qint32 transactionId, qint32 storage, const StoredSms& message,
                     quint64 connectionSerial);
    bool stillConnected(quint64 connectionSerial) const;

    SimCellPhone& m_phone;
    qint32 m_lastTransactionId = 0;
    int m_delivered = 0;
};

} // namespace phonesim
