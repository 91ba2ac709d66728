#pragma once

#include "phone/components.h"

namespace phonesim {

class SimCellPhone;

// The settings object of the simulated phone. Every command is answered exactly once, never
// inside SendCommand: the answer is scheduled on the phone's clock after the image's latency
// and the command is carried out when the answer is due, as a phone does once the command
// has reached it. Faults of the image may refuse, delay, withhold or garble the answer.
class SimSettingsObject : public SettingsObject
{
    Q_OBJECT
public:
    SimSettingsObject(SimCellPhone& phone, QObject* parent = nullptr);

    void SendCommand(qint32 code, QVariantList& params, qint32& transactionId) override;

    // Commands answered so far while the phone was connected.
    int answeredCommands() const { return m_answered; }
    qint32 lastTransactionId() const { return m_lastTransactionId; }

private:
    void deliver(qint32 transactionId, qint32 code, const QVariantList& params,
                quint64 connectionSerial);

    SimCellPhone& m_phone;
    qint32 m_lastTransactionId = 0;
    int m_answered = 0;
};

} // namespace phonesim
