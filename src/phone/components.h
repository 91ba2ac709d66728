#pragma once

// What the program requires of the phone monitor components: the worker that reports phones,
// the phone itself, its settings object, its SMS object, one stored SMS (PDU object) and its
// OBEX service object. Calls are synchronous; answers that take time come back later as
// signals delivered by the event loop. A call on a component that cannot be served throws
// ProgramError, as a failing component call would raise an error.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

class CellPhone;
class SettingsObject;

// How a phone keeps an entry or a message it is given, where it keeps less than it was given or
// changes it: what the phone will hand back, and in the user's words what differs. A phone that
// keeps everything as given hands back what it got and has no words.
struct KeptForm
{
    QByteArray entry;
    // The same words for every entry it fits, for a closing line: "on the phone as name and
    // number only (this phone keeps one name and one number)"; empty when kept whole.
    QString summary;
    // What this entry lost or how it changed, for the log: "without EMAIL, TEL;HOME".
    QString detail;
    bool whole() const { return summary.isEmpty(); }
};

struct KeptMessage
{
    QString pdu;
    // The time beside a sent message's or a draft's PDU, as the phone keeps it.
    QString time;
    QString summary;
    QString detail;
};
class TextMessageObject;
class ObexService;

// Status codes of the SMS object's events.
namespace SmsStatus {
// The operation goes on: more messages follow.
constexpr qint32 MoreToCome = static_cast<qint32>(0x8888002Cu);
// The storage holds no message.
constexpr qint32 NoMessages = static_cast<qint32>(0x8888002Du);
} // namespace SmsStatus

// The phone monitor worker.
class PhoneMonitor : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // The phones the worker knows, in its order.
    virtual QList<CellPhone*> CellPhones() const = 0;

Q_SIGNALS:
    // bConnected is non-zero when the phone connected, zero when it went away.
    void OnNotifyCellPhoneConnected(qint32 bConnected, CellPhone* CellPhone);
};

class CellPhone : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    virtual bool IsConnected() const = 0;
    virtual QString Name() const = 0;
    virtual QString IMEI() const = 0;
    virtual QString Model() const = 0;
    virtual QString SoftwareVersion() const = 0;
    virtual TextMessageObject* TextMessage() = 0;
    // The settings object, or nullptr when the phone offers none.
    virtual SettingsObject* General() = 0;
    // Non-zero when the phone supports the settings command.
    virtual qint32 IsCommandSupported(qint32 code) = 0;
    virtual ObexService* Obex() = 0;
    // Whether the phone keeps CSD data accounts beside GPRS ones; both use one command.
    virtual bool keepsCsdAccounts() const { return true; }
    // True when the phone said at connection that it has no calendar; false when it has one
    // or could not tell.
    virtual bool lacksCalendar() const { return false; }
};

class SettingsObject : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // Exactly one OnNotifyResponse answers every command.
    virtual void SendCommand(qint32 code, QVariantList& params, qint32& transactionId) = 0;

Q_SIGNALS:
    // Data normally holds a QVariantList; Status 0 means success.
    void OnNotifyResponse(qint32 TransactionID, qint32 Status, const QVariant& Data);
};

// One stored SMS as the SMS object hands it out; valid only during the event that carries it.
class PduObject
{
public:
    virtual ~PduObject() = default;
    virtual QString PDU() const = 0;
    virtual qint32 Storage() const = 0;
    virtual qint32 Type() const = 0;
    virtual qint32 Length() const = 0;
    // The phone's time of a message whose PDU holds none (a sent message or a draft), as
    // "yyyyMMddTHHmmss", with the offset ("+01:00") when the phone gave one; empty when the
    // phone keeps no such time.
    virtual QString Time() const { return QString(); }
};

class TextMessageObject : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // One OnPDUAvailable per stored message; the first event with a status other than
    // SmsStatus::MoreToCome ends the read.
    virtual void ReadMessages(qint32 storage, qint32 what, qint32& transactionId) = 0;
    // Answered by OnNotifyResponse with a status other than SmsStatus::MoreToCome.
    virtual void WriteMessage(qint32 Storage, qint32 Type, const QString& PDU, qint32 Length,
                              qint32& transactionId) = 0;
    // The same with the time PduObject::Time gave for the message; a phone that keeps no
    // such time writes the message without it.
    virtual void WriteMessageAt(qint32 Storage, qint32 Type, const QString& PDU, qint32 Length,
                                const QString& time, qint32& transactionId)
    {
        Q_UNUSED(time);
        WriteMessage(Storage, Type, PDU, Length, transactionId);
    }
    // The message as the phone will hand it back once written; a restore matches by it. The
    // write above keeps no time, so neither does the message written.
    virtual KeptMessage keptForm(qint32 Storage, qint32 Type, const QString& PDU,
                                 const QString& time) const
    {
        Q_UNUSED(Storage);
        Q_UNUSED(Type);
        if (time.isEmpty())
            return KeptMessage{PDU, time, {}, {}};
        return KeptMessage{PDU, QString(), QStringLiteral("stored without their time"),
                           QStringLiteral("without its time")};
    }

Q_SIGNALS:
    void OnPDUAvailable(qint32 TransactionID, qint32 Status, const PduObject* PDU);
    // A stored message of the read that the phone could not hand out, with its reason; comes
    // before the event that ends the read, which goes on without it.
    void OnMessageNotRead(qint32 TransactionID, const QString& Reason);
    void OnNotifyResponse(qint32 TransactionID, qint32 Status, QObject* ShortMessage);
};

// The OBEX service object: sends the program's header bytes in OBEX packets and gives back
// the data of the answers. Every call reports the OBEX response code in status.
class ObexService : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    virtual bool Connect(const QByteArray& target, qint32& packetSize, QString& unused,
                         qint32& status) = 0;
    // data receives the answer packet's headers and body; final is set with the last packet.
    virtual bool Get(const QByteArray& nameHeader, QByteArray& data, bool& final,
                     qint32& status) = 0;
    virtual bool Put(const QByteArray& packet, bool final, QString& unused, qint32& status) = 0;
    virtual bool Disconnect(const QString& empty, QString& unused, qint32& status) = 0;
    // The entries of the last whole book fetched that the phone could not read, one line
    // each with its reason; the fetch itself succeeds without them.
    virtual QStringList skippedEntries() const { return {}; }
    // False when no OBEX crosses the line: the server runs inside the program on another
    // protocol (libgammu's), and messages must not speak of OBEX.
    virtual bool overObex() const { return true; }
    // After a write the phone refused for want of room: true, with the entries the book holds
    // and the most it holds, as the phone tells them (0 when it does not).
    virtual bool full(bool /*calendar*/, int& /*used*/, int& /*size*/) const { return false; }
    // A vCard, or a calendar entry, as the phone will hand it back once written; a restore
    // matches by it.
    virtual KeptForm keptForm(bool calendar, const QByteArray& entry) const
    {
        Q_UNUSED(calendar);
        return KeptForm{entry, {}, {}};
    }
};
