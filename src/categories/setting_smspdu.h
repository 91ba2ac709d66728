#pragma once

#include "categories/entrymatch.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

struct CategoryServices;
class PduObject;
class TextMessageObject;

// One stored message: its PDU text and what the SMS object delivered with it.
struct SMSRecord
{
    QString PDU;
    qint32 Length = 0;
    qint16 Storage = 0;
    qint16 Type = 0;
    // The phone's time of a message whose PDU holds none; kept on a line of its own, which
    // older readers of the file skip.
    QString Time = QString();

    bool operator==(const SMSRecord&) const = default;
};

// The "SMS" category: every message of the phone's two storages, kept as PDUs and backed up
// as the SMS_Messages section. Reading and writing go through the phone's SMS object, whose
// events end each request.
class Setting_SMSPDU : public QObject
{
    Q_OBJECT
public:
    // A request of the SMS object ends when none of its events came for this long.
    static constexpr qint64 NoEventLimitMs = 15000;

    explicit Setting_SMSPDU(CategoryServices& services, QObject* parent = nullptr);

    // Empties SMSList and fills it with the messages of storage 1, then storage 2.
    void ReadSMSMessages();
    void m_objTextMessage_OnPDUAvailable(qint32 TransactionID, qint32 Status, const PduObject* PDU);
    void m_objTextMessage_OnNotifyResponse(qint32 TransactionID, qint32 Status,
                                           QObject* ShortMessage);
    void m_objTextMessage_OnMessageNotRead(qint32 TransactionID, const QString& Reason);
    bool bSaveSMSMessages();
    // Reads the section that opens at lineIndex into SMSList, writes it into the phone and
    // returns the last line read.
    int DecodeSMSMessages(int lineIndex);
    void SetSMSPDU();
    // The keys of every message of the phone's two storages; false when one could not be read.
    // SMSList stays as it was.
    bool phoneMessages(entrymatch::Multiset& keys);

    QList<SMSRecord> SMSList;

private:
    // The link's SMS object, with the event handlers attached to it; attached anew whenever
    // the phone's SMS object changed since the last request.
    TextMessageObject* textMessage();
    // Adds the messages of one storage to SMSList; false (logged) when it was not read whole.
    bool readStorage(qint32 storage);
    // Yields until an event ended the request; false when none came within the limit.
    bool waitForEnd();
    void setDoneFromStatus(qint32 status);

    // Whether an event belongs to the request that waits; an event of an earlier request that
    // timed out is logged and ignored.
    bool isCurrent(qint32 transactionId);

    CategoryServices& m_services;
    // The transaction id of the request that waits, and the status that ended it.
    qint32 m_request = 0;
    bool m_sending = false;
    // A restore's reads of the phone's messages show no line per message.
    bool m_quiet = false;
    qint32 m_endStatus = 0;
    QPointer<TextMessageObject> m_attached;
    QMetaObject::Connection m_pduConnection;
    QMetaObject::Connection m_responseConnection;
    QMetaObject::Connection m_notReadConnection;
    qint64 m_lastEventMs = 0;
};
