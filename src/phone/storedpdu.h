#pragma once

#include "phone/components.h"

// One stored SMS as a phone hands it out with OnPDUAvailable: the values it was made with.
class StoredPdu final : public PduObject
{
public:
    StoredPdu(qint32 storage, const QString& pdu, qint32 type, qint32 length,
              const QString& time = QString())
        : m_storage(storage), m_pdu(pdu), m_type(type), m_length(length), m_time(time)
    {
    }
    QString PDU() const override { return m_pdu; }
    qint32 Storage() const override { return m_storage; }
    qint32 Type() const override { return m_type; }
    qint32 Length() const override { return m_length; }
    QString Time() const override { return m_time; }

private:
    qint32 m_storage;
    QString m_pdu;
    qint32 m_type;
    qint32 m_length;
    QString m_time;
};
