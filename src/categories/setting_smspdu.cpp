#include "categories/setting_smspdu.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "categories/categoryservices.h"
#include "core/clock.h"
#include "phone/phonelink.h"
#include "phone/phonestatus.h"
#include "phone/variants.h"

#include <exception>

namespace {

const QString kSection = QStringLiteral("SMS_Messages");
const QString kMessage = QStringLiteral("SMS");
// ReadMessages lists the messages of every status with this selection.
constexpr qint32 AllMessages = 4;

} // namespace

Setting_SMSPDU::Setting_SMSPDU(CategoryServices& services, QObject* parent)
    : QObject(parent), m_services(services)
{
}

TextMessageObject* Setting_SMSPDU::textMessage()
{
    TextMessageObject* current = m_services.link.m_objTextMessage.data();
    if (current == m_attached.data() && (!current || m_pduConnection))
        return current;
    disconnect(m_pduConnection);
    disconnect(m_responseConnection);
    disconnect(m_notReadConnection);
    m_attached = current;
    if (current) {
        m_pduConnection = connect(current, &TextMessageObject::OnPDUAvailable, this,
                                  &Setting_SMSPDU::m_objTextMessage_OnPDUAvailable);
        m_responseConnection = connect(current, &TextMessageObject::OnNotifyResponse, this,
                                       &Setting_SMSPDU::m_objTextMessage_OnNotifyResponse);
        m_notReadConnection = connect(current, &TextMessageObject::OnMessageNotRead, this,
                                      &Setting_SMSPDU::m_objTextMessage_OnMessageNotRead);
    }
    return current;
}

bool Setting_SMSPDU::waitForEnd()
{
    PhoneLink& link = m_services.link;
    MonotonicClock& clock = m_services.clock;
    for (;;) {
        if (link.bNoMorePDU)
            return true;
        if (clock.nowMs() - m_lastEventMs > NoEventLimitMs) {
            link.bNoMorePDU = true;
            return false;
        }
        // The first millisecond past the limit is where the wait gives up.
        clock.yieldUntil(m_lastEventMs + NoEventLimitMs + 1);
    }
}

void Setting_SMSPDU::setDoneFromStatus(qint32 status)
{
    m_lastEventMs = m_services.clock.nowMs();
    if (status != SmsStatus::MoreToCome) {
        m_endStatus = status;
        m_services.link.bNoMorePDU = true;
    }
}

bool Setting_SMSPDU::isCurrent(qint32 transactionId)
{
    // An event during the call that starts the request belongs to it: its id is not known yet.
    if (m_sending || transactionId == m_request)
        return true;
    m_services.log.WriteLog(QStringLiteral("Ignored late answer -> transaction") +
                            StatusLog::signed_(transactionId));
    return false;
}

void Setting_SMSPDU::ReadSMSMessages()
{
    SMSList.clear();
    int unsupported = 0;
    for (const qint32 storage : {1, 2}) {
        if (!readStorage(storage))
            m_services.tally.failed(OutcomeTally::SMS);
        else if (m_endStatus == phonestatus::NotSupported)
            ++unsupported;
    }
    // One storage the phone lacks is no loss; a phone that keeps no messages at all says so.
    if (unsupported == 2)
        m_services.tally.unsupported(OutcomeTally::SMS);
}

bool Setting_SMSPDU::readStorage(qint32 storage)
{
    StatusLog& log = m_services.log;
    TextMessageObject* sms = textMessage();
    if (!sms) {
        // The phone went away (or offers no SMS object): keep what was read so far.
        log.WriteLog(QStringLiteral("m_objTextMessage Is Nothing -> storage") +
                     StatusLog::signed_(storage) + QStringLiteral(" not read"));
        return false;
    }
    m_services.link.bNoMorePDU = false;
    m_lastEventMs = m_services.clock.nowMs();
    m_endStatus = 0;
    m_sending = true;
    try {
        sms->ReadMessages(storage, AllMessages, m_request);
    } catch (const std::exception& error) {
        m_sending = false;
        log.WriteLog(QStringLiteral("ReadPDU -> ") + QString::fromStdString(error.what()) +
                     QStringLiteral(" -> storage") + StatusLog::signed_(storage) +
                     QStringLiteral(" not read"));
        return false;
    }
    m_sending = false;
    // A read whose end never comes must not hang the run; the messages it gave are kept,
    // but those it never gave are missing.
    bool read = true;
    if (!waitForEnd()) {
        log.WriteLog(QStringLiteral("ReadPDU -> timedout in storage") +
                     StatusLog::signed_(storage));
        read = false;
    } else if (m_endStatus == phonestatus::NotSupported) {
        log.WriteLog(QStringLiteral("ReadPDU -> not supported in storage") +
                     StatusLog::signed_(storage));
    } else if (m_endStatus != 0 && m_endStatus != SmsStatus::NoMessages) {
        log.WriteLog(QStringLiteral("ReadPDU -> ended with status") +
                     StatusLog::signed_(m_endStatus) + QStringLiteral(" in storage") +
                     StatusLog::signed_(storage));
        read = false;
    }
    m_request = 0;
    return read;
}

bool Setting_SMSPDU::phoneMessages(entrymatch::Multiset& keys)
{
    m_services.checkPhone();
    const QList<SMSRecord> kept = SMSList;
    SMSList.clear();
    bool read = true;
    m_quiet = true;
    for (const qint32 storage : {1, 2})
        read = readStorage(storage) && read;
    m_quiet = false;
    for (const SMSRecord& message : SMSList)
        keys.add(entrymatch::messageKey(message));
    SMSList = kept;
    return read;
}

void Setting_SMSPDU::m_objTextMessage_OnPDUAvailable(qint32 TransactionID, qint32 Status,
                                                     const PduObject* PDU)
{
    if (!isCurrent(TransactionID))
        return;
    if (PDU) {
        try {
            SMSRecord record;
            record.PDU = PDU->PDU();
            record.Length = PDU->Length();
            record.Type = variants::toInt16(QVariant(PDU->Type()));
            record.Storage = variants::toInt16(QVariant(PDU->Storage()));
            record.Time = PDU->Time();
            SMSList.append(record);
            if (!m_quiet) {
                m_services.log.UpdateStat(QStringLiteral("Read SMS Message-->") +
                                          StatusLog::signed_(SMSList.size()));
                m_services.progress(OutcomeTally::SMS, SMSList.size());
            }
        } catch (const std::exception& error) {
            // Nothing may escape into the event loop; the message cannot be kept.
            m_services.log.WriteLog(QStringLiteral("Error in OnPDUAvailable -> ") +
                                    QString::fromStdString(error.what()));
        }
    }
    setDoneFromStatus(Status);
}

void Setting_SMSPDU::m_objTextMessage_OnMessageNotRead(qint32 TransactionID, const QString& Reason)
{
    if (!isCurrent(TransactionID))
        return;
    m_lastEventMs = m_services.clock.nowMs();
    m_services.log.WriteLog(QStringLiteral("Not read -> ") + Reason);
    m_services.tally.lost(OutcomeTally::SMS);
}

void Setting_SMSPDU::m_objTextMessage_OnNotifyResponse(qint32 TransactionID, qint32 Status,
                                                       QObject* /*ShortMessage*/)
{
    if (!isCurrent(TransactionID))
        return;
    setDoneFromStatus(Status);
}

bool Setting_SMSPDU::bSaveSMSMessages()
{
    BackupFile& file = m_services.file;
    file.AppendLine(elements::openTag(kSection));
    m_services.saveGroups(kMessage, SMSList.size(), 1, [&](qsizetype i) {
        const SMSRecord& message = SMSList.at(i);
        file.AppendLine(elements::elementLine(2, QStringLiteral("Storage"), message.Storage));
        file.AppendLine(elements::elementLine(2, QStringLiteral("Type"), message.Type));
        file.AppendLine(elements::elementLine(2, QStringLiteral("PDU"), message.PDU));
        file.AppendLine(elements::elementLine(2, QStringLiteral("Length"), message.Length));
        if (!message.Time.isEmpty())
            file.AppendLine(elements::elementLine(2, QStringLiteral("Time"), message.Time));
    });
    file.AppendLine(elements::closeTag(kSection));
    return true;
}
