#include "realphone/gammuservices.h"

#include "realphone/gammucommands.h"
#include "realphone/gammukeeping.h"
#include "realphone/gammulistings.h"
#include "gammucodec/gammumapping.h"
#include "gammucodec/gammupdu.h"
#include "realphone/gammuphone.h"
#include "realphone/gammusession.h"
#include "gammucodec/gammuwallclock.h"
#include "realphone/gammuworker.h"
#include "phone/storedpdu.h"
#include "phone/phonestatus.h"

#include <cstring>
#include <memory>

namespace gammu {

namespace status = phonestatus;

GammuSettingsObject::GammuSettingsObject(GammuSession& session, GammuCellPhone& phone,
                                         QObject* parent)
    : SettingsObject(parent), m_session(session), m_phone(phone)
{
}

void GammuSettingsObject::SendCommand(qint32 code, QVariantList& params, qint32& transactionId)
{
    m_phone.ensureConnected("SendCommand");
    const qint32 id = transactionId = ++m_lastTransactionId;
    const bool supported = m_phone.supports(code);
    const QVariantList copy = params;
    m_session.request<CommandAnswer>(
        this,
        [code, copy, supported](GammuWorker& worker) {
            if (!worker.machine())
                return CommandAnswer{status::Disconnected, {}, ERR_NOTCONNECTED};
            if (!supported)
                return CommandAnswer{status::NotSupported, {}, ERR_NOTSUPPORTED};
            CommandAnswer answer = runCommand(worker.machine(), code, copy);
            worker.check(answer.error);
            return answer;
        },
        [this, id](const CommandAnswer& answer) {
            Q_EMIT OnNotifyResponse(id, answer.status, QVariant(answer.data));
        });
}

namespace {

struct ReadMessage
{
    EncodedPdu pdu;
    QString time; // of a sent message or a draft, whose PDU holds none
};

struct ReadResult
{
    qint32 status = status::Ok;
    QList<ReadMessage> messages;
    // One line per message of the storage that could not be read or encoded.
    QStringList skipped;
};

constexpr qint32 AllTypes = 4;

ReadResult readMessages(GammuWorker& worker, qint32 storage, qint32 what)
{
    ReadResult read;
    GSM_StateMachine* machine = worker.machine();
    if (!machine)
        return ReadResult{status::Disconnected, {}, {}};
    const auto mine = [storage](const GSM_MultiSMSMessage& multi) {
        return storageOfMemory(multi.SMS[0].Memory) == storage;
    };
    const BookListing listing = listMessages(
        machine,
        [&read, storage, what](GSM_MultiSMSMessage& multi) {
            QString why;
            // Each part of a long message is its own PDU.
            for (int i = 0; i < multi.Number; ++i) {
                const GSM_SMSMessage& sms = multi.SMS[i];
                if (storageOfMemory(sms.Memory) != storage || sms.PDU == SMS_Status_Report)
                    continue;
                EncodedPdu pdu;
                QString error;
                if (!encodePdu(sms, pdu, error))
                    why = error;
                else if (what == AllTypes || pdu.type == what)
                    read.messages.append(
                        {pdu, sms.PDU == SMS_Submit ? messageTime(sms.DateTime) : QString()});
            }
            return why;
        },
        mine);
    read.skipped = listing.skipped;
    if (!listing.supported)
        return ReadResult{status::NotSupported, {}, {}};
    if (const GSM_Error failed = worker.check(listing.error); failed != ERR_NONE)
        return ReadResult{statusOf(failed), {}, read.skipped};
    if (const GSM_Error gone = worker.confirm(); gone != ERR_NONE)
        return ReadResult{statusOf(gone), {}, read.skipped};
    return read;
}

// The folder of the storage that holds received messages, or the others.
int folderFor(GSM_StateMachine* machine, GSM_MemoryType memory, bool received,
              GSM_Error& result)
{
    auto folders = std::make_unique<GSM_SMSFolders>();
    std::memset(folders.get(), 0, sizeof *folders);
    result = GSM_GetSMSFolders(machine, folders.get());
    if (result != ERR_NONE)
        return 0;
    int fallback = 0;
    for (int i = 0; i < folders->Number; ++i) {
        const GSM_OneSMSFolder& folder = folders->Folder[i];
        if (folder.Memory != memory)
            continue;
        if (received ? folder.InboxFolder : folder.OutboxFolder)
            return i + 1;
        if (!fallback && (received || !folder.InboxFolder))
            fallback = i + 1;
    }
    if (!fallback)
        result = ERR_MEMORY_NOT_AVAILABLE;
    return fallback;
}

qint32 writeMessage(GammuWorker& worker, qint32 storage, qint32 type, const QString& hex,
                    qint32 length, const QString& time)
{
    GSM_StateMachine* machine = worker.machine();
    if (!machine)
        return status::Disconnected;
    auto sms = std::make_unique<GSM_SMSMessage>();
    QString error;
    if (!decodePdu(hex, length, *sms, error) || !stateOfType(type, sms->State))
        return status::InvalidParameter;
    // A sent message or draft gets back the time the backup kept beside its PDU.
    if (sms->PDU == SMS_Submit && !time.isEmpty() && !messageTimeOf(time, sms->DateTime))
        return status::InvalidParameter;
    GSM_Error result = ERR_NONE;
    const int folder = folderFor(machine, memoryOfStorage(storage), type <= 1, result);
    if (result != ERR_NONE)
        return statusOf(worker.check(result));
    sms->Folder = folder;
    sms->Location = 0;
    sms->Memory = memoryOfStorage(storage);
    return statusOf(worker.check(GSM_AddSMS(machine, sms.get())));
}

bool knownStorage(qint32 storage)
{
    return storage == 1 || storage == 2;
}

} // namespace

GammuTextMessage::GammuTextMessage(GammuSession& session, GammuCellPhone& phone,
                                   QObject* parent)
    : TextMessageObject(parent), m_session(session), m_phone(phone)
{
}

void GammuTextMessage::refuse(qint32 transactionId, qint32 refusal, bool read)
{
    // Never inside the call: the program sets its flag after the call returns.
    QMetaObject::invokeMethod(
        this,
        [this, transactionId, refusal, read] {
            if (read)
                Q_EMIT OnPDUAvailable(transactionId, refusal, nullptr);
            else
                Q_EMIT OnNotifyResponse(transactionId, refusal, nullptr);
        },
        Qt::QueuedConnection);
}

void GammuTextMessage::ReadMessages(qint32 storage, qint32 what, qint32& transactionId)
{
    m_phone.ensureConnected("ReadMessages");
    const qint32 id = transactionId = ++m_lastTransactionId;
    if (!knownStorage(storage) || what < 0 || what > AllTypes)
        return refuse(id, status::InvalidParameter, true);
    m_session.request<ReadResult>(
        this, [storage, what](GammuWorker& worker) { return readMessages(worker, storage, what); },
        [this, id, storage](const ReadResult& read) {
            for (const QString& why : read.skipped)
                Q_EMIT OnMessageNotRead(id, why);
            if (read.messages.isEmpty()) {
                Q_EMIT OnPDUAvailable(id, read.status == status::Ok ? SmsStatus::NoMessages
                                                                    : read.status,
                                      nullptr);
                return;
            }
            for (qsizetype i = 0; i < read.messages.size(); ++i) {
                const EncodedPdu& message = read.messages.at(i).pdu;
                const StoredPdu pdu(storage, message.hex, message.type, message.length,
                                    read.messages.at(i).time);
                const bool last = i + 1 == read.messages.size();
                Q_EMIT OnPDUAvailable(id, last ? read.status : SmsStatus::MoreToCome, &pdu);
            }
        });
}

KeptMessage GammuTextMessage::keptForm(qint32 Storage, qint32 Type, const QString& PDU,
                                      const QString& time) const
{
    Q_UNUSED(Storage);
    const Driver driver =
        m_session.await<Driver>([](GammuWorker& worker) { return driverOf(worker.machine()); });
    const QByteArray octets = QByteArray::fromHex(PDU.toLatin1());
    const qint32 length =
        octets.isEmpty() ? 0
                         : static_cast<qint32>(octets.size() - static_cast<unsigned char>(octets.at(0)) - 1);
    const KeptPdu kept = keptPdu(driver, PDU, length, Type, time);
    KeptMessage message{kept.hex, kept.time, {}, {}};
    if (!kept.lost.isEmpty()) {
        message.summary = QStringLiteral("stored without their ") + kept.lost.join(QStringLiteral(" and "));
        message.detail = QStringLiteral("without its ") + kept.lost.join(QStringLiteral(" and "));
    }
    return message;
}

void GammuTextMessage::WriteMessage(qint32 Storage, qint32 Type, const QString& PDU,
                                    qint32 Length, qint32& transactionId)
{
    WriteMessageAt(Storage, Type, PDU, Length, QString(), transactionId);
}

void GammuTextMessage::WriteMessageAt(qint32 Storage, qint32 Type, const QString& PDU,
                                      qint32 Length, const QString& time, qint32& transactionId)
{
    m_phone.ensureConnected("WriteMessage");
    const qint32 id = transactionId = ++m_lastTransactionId;
    if (!knownStorage(Storage))
        return refuse(id, status::InvalidParameter, false);
    m_session.request<qint32>(
        this,
        [Storage, Type, PDU, Length, time](GammuWorker& worker) {
            return writeMessage(worker, Storage, Type, PDU, Length, time);
        },
        [this, id](qint32 result) { Q_EMIT OnNotifyResponse(id, result, nullptr); });
}

} // namespace gammu
