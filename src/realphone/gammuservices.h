#pragma once

// The settings object and the SMS object of the libgammu phone. Internal to src/realphone.

#include "phone/components.h"

namespace gammu {

class GammuCellPhone;
class GammuSession;

// Every command is answered once, never inside SendCommand; a code the phone does not serve
// is answered "not supported".
class GammuSettingsObject final : public SettingsObject
{
    Q_OBJECT
public:
    GammuSettingsObject(GammuSession& session, GammuCellPhone& phone, QObject* parent);
    void SendCommand(qint32 code, QVariantList& params, qint32& transactionId) override;

private:
    GammuSession& m_session;
    GammuCellPhone& m_phone;
    qint32 m_lastTransactionId = 0;
};

// Storage 1 is the SIM, 2 the phone memory; every stored message is one GSM 03.40 PDU.
class GammuTextMessage final : public TextMessageObject
{
    Q_OBJECT
public:
    GammuTextMessage(GammuSession& session, GammuCellPhone& phone, QObject* parent);
    void ReadMessages(qint32 storage, qint32 what, qint32& transactionId) override;
    void WriteMessage(qint32 Storage, qint32 Type, const QString& PDU, qint32 Length,
                      qint32& transactionId) override;
    void WriteMessageAt(qint32 Storage, qint32 Type, const QString& PDU, qint32 Length,
                        const QString& time, qint32& transactionId) override;
    // As the driver keeps it: the AT driver writes a zero time zone and keeps no time of a
    // sent message.
    KeptMessage keptForm(qint32 Storage, qint32 Type, const QString& PDU,
                         const QString& time) const override;

private:
    void refuse(qint32 transactionId, qint32 status, bool read);

    GammuSession& m_session;
    GammuCellPhone& m_phone;
    qint32 m_lastTransactionId = 0;
};

} // namespace gammu
