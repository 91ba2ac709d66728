#include "backupfile/backupfile.h"
#include "categories/categoryservices.h"
#include "categories/entrymatch.h"
#include "categories/numberedgroups.h"
#include "categories/setting_smspdu.h"
#include "core/clock.h"
#include "phone/phonelink.h"
#include "statuslog/statuslog.h"

#include <exception>

namespace {

// GSM 07.05 message statuses.
constexpr qint16 ReceivedUnread = 0;
constexpr qint16 ReceivedRead = 1;

} // namespace

int Setting_SMSPDU::DecodeSMSMessages(int lineIndex)
{
    SMSList.clear();
    BackupFile& file = m_services.file;
    const int last = readNumberedGroups(
        m_services, lineIndex,
        {.skipText = QStringLiteral("<SMS"),
         .closingText = QStringLiteral("<SMS_Messages/>"),
         .open =
             [&](const QString& value) {
                 // A file holds fewer messages than lines; a number beyond that is no message.
                 const int index = numberIndex(m_services, value, 1, file.sFileLines.size(),
                                               QStringLiteral("SMS Number out of range -> "));
                 // The list grows to the numbered message; messages read before are kept.
                 if (index >= 0 && SMSList.size() <= index)
                     SMSList.resize(index + 1);
                 return index;
             },
         .elements = {QStringLiteral("Storage"), QStringLiteral("Type"), QStringLiteral("PDU"),
                      QStringLiteral("Length"), QStringLiteral("Time")},
         .withoutGroup = QStringLiteral("SMS element without a Number line ignored -> "),
         .element =
             [&](int index, const QString& key, const QString& value) {
                 SMSRecord& message = SMSList[index];
                 if (key == QLatin1String("Storage"))
                     file.readInt16(key, value, message.Storage);
                 else if (key == QLatin1String("Type"))
                     file.readInt16(key, value, message.Type);
                 else if (key == QLatin1String("PDU"))
                     message.PDU = value;
                 else if (key == QLatin1String("Time"))
                     message.Time = value;
                 else
                     file.readInt32(key, value, message.Length);
             }});
    if (SMSList.isEmpty())
        m_services.log.WriteLog(QStringLiteral("No SMS message in the section SMS_Messages"));
    SetSMSPDU();
    return last;
}

void Setting_SMSPDU::SetSMSPDU()
{
    StatusLog& log = m_services.log;
    PhoneLink& link = m_services.link;
    // Events that arrive during the waits may add to SMSList; the writes keep to the list as
    // it was read from the file.
    const QList<SMSRecord> messages = SMSList;
    // Only the messages the phone lacks are written, so what it holds is read first; a phone
    // whose messages cannot be read gets none rather than perhaps all twice.
    entrymatch::Multiset onPhone;
    const bool phoneRead = !messages.isEmpty() && phoneMessages(onPhone);
    if (phoneRead)
        m_services.lists.phoneRead(RestoreLists::SMS, std::move(onPhone));
    // Every message is counted before the first write, so that a run the phone's loss cuts
    // short can still tell what it did not write.
    QList<qsizetype> lacking;
    for (qsizetype i = 0; i < messages.size(); ++i) {
        const SMSRecord& message = messages.at(i);
        const QString name = QStringLiteral("SMS Message") + StatusLog::signed_(i + 1);
        // A number the file skipped leaves a message without content; the phone gets nothing.
        if (message.PDU.isEmpty()) {
            log.WriteLog(name + QStringLiteral(" has no PDU -> not written"));
            continue;
        }
        RestoreLists::FileEntry file;
        file.label = name + QStringLiteral(" of the file");
        SMSRecord asKept = message;
        if (TextMessageObject* sms = textMessage()) {
            const KeptMessage kept =
                sms->keptForm(message.Storage, message.Type, message.PDU, message.Time);
            asKept.PDU = kept.pdu;
            asKept.Time = kept.time;
            file.summary = kept.summary;
            file.detail = kept.detail;
        }
        file.key = entrymatch::messageKey(asKept);
        file.asIs = entrymatch::messageKey(message);
        // A phone that lists an unread message marks it read; no phone here can set it back.
        if (message.Type == ReceivedUnread) {
            asKept.Type = ReceivedRead;
            file.alsoKey = entrymatch::messageKey(asKept);
            file.alsoSummary = file.summary.isEmpty()
                                   ? QStringLiteral("stored as read by the phone")
                                   : file.summary + QStringLiteral(", and as read by the phone");
            file.alsoDetail = file.detail.isEmpty() ? QStringLiteral("as read")
                                                    : file.detail + QStringLiteral(", as read");
        }
        if (m_services.lists.admit(RestoreLists::SMS, file))
            lacking.append(i);
        else
            log.WriteLog(QStringLiteral("Already on the phone -> ") + file.label);
    }
    if (m_services.lists.preview()) {
        for (qsizetype i = 0; i < lacking.size(); ++i) {
            if (phoneRead && textMessage())
                m_services.lists.written(RestoreLists::SMS);
            else
                m_services.tally.lost(OutcomeTally::SMS);
        }
        return;
    }
    int notWritten = 0;
    qsizetype sent = 0;
    for (const qsizetype i : lacking) {
        const SMSRecord& message = messages.at(i);
        const QString name = QStringLiteral("SMS Message") + StatusLog::signed_(i + 1);
        m_services.progress(OutcomeTally::SMS, ++sent, lacking.size());
        m_services.checkPhone();
        TextMessageObject* sms = textMessage();
        if (!sms) {
            log.WriteLog(QStringLiteral("m_objTextMessage Is Nothing -> ") + name +
                         QStringLiteral(" not written"));
            ++notWritten;
            m_services.tally.lost(OutcomeTally::SMS);
            continue;
        }
        if (!phoneRead) {
            log.WriteLog(QStringLiteral("Not written -> ") + name +
                         QStringLiteral(" (the phone's messages could not be read first)"));
            m_services.tally.lost(OutcomeTally::SMS);
            continue;
        }
        log.UpdateStat(QStringLiteral("Writing SMS Message-->") + StatusLog::signed_(i + 1));
        link.bNoMorePDU = false;
        m_lastEventMs = m_services.clock.nowMs();
        m_endStatus = 0;
        m_sending = true;
        try {
            sms->WriteMessageAt(message.Storage, message.Type, message.PDU, message.Length,
                                message.Time, m_request);
        } catch (const std::exception& error) {
            m_sending = false;
            log.WriteLog(QStringLiteral("Not written -> ") + name + QStringLiteral(" (") +
                         QString::fromStdString(error.what()) + QLatin1Char(')'));
            m_services.tally.lost(OutcomeTally::SMS);
            continue;
        }
        m_sending = false;
        if (!waitForEnd()) {
            log.WriteLog(QStringLiteral("WritePDU -> timedout"));
            log.WriteLog(QStringLiteral("Not written -> ") + name + QStringLiteral(" (no answer)"));
            m_services.tally.lost(OutcomeTally::SMS);
        } else if (m_endStatus != 0) {
            log.WriteLog(QStringLiteral("Not written -> ") + name + QStringLiteral(" (") +
                         CategoryServices::statusText(m_endStatus) + QLatin1Char(')'));
            m_services.tally.lost(OutcomeTally::SMS);
        } else {
            m_services.lists.written(RestoreLists::SMS);
        }
    }
    m_request = 0;
    if (notWritten > 0)
        log.UpdateStat(QStringLiteral("No SMS object - SMS Messages not written-->") +
                       StatusLog::signed_(notWritten));
}
