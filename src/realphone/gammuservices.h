#pragma once

// The settings object, the SMS object and the phonebook/calendar store of the libgammu phone.
// Internal to src/realphone.

#include "irmc/irmcstore.h"
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

private:
    void refuse(qint32 transactionId, qint32 status, bool read);

    GammuSession& m_session;
    GammuCellPhone& m_phone;
    qint32 m_lastTransactionId = 0;
};

// Contacts of the phone memory and the SIM, calendar entries and to-dos, as libgammu's
// vCard 2.1 and vCalendar 1.0. Each call waits for the worker in a local event loop. A
// book that cannot be read throws ProgramError: an empty answer would pass for an empty phone.
class GammuIrmcStore final : public irmc::IrmcStore
{
public:
    GammuIrmcStore(GammuSession& session, GammuCellPhone& phone);

    QList<irmc::IrmcEntry> entries(irmc::IrmcBook book) const override;
    // New contacts go into the phone memory.
    QString add(irmc::IrmcBook book, const QByteArray& data) override;
    bool clear(irmc::IrmcBook book) override;
    bool replace(irmc::IrmcBook book, const QString& luid, const QByteArray& data) override;
    bool remove(irmc::IrmcBook book, const QString& luid) override;
    irmc::IrmcIdentity identity() const override;
    int maximumRecords(irmc::IrmcBook book) const override;
    // Whether libgammu's fixed fields hold the entry whole.
    bool fits(irmc::IrmcBook book, const QByteArray& data) const override;

private:
    GammuSession& m_session;
    GammuCellPhone& m_phone;
};

} // namespace gammu
