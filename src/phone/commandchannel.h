#pragma once

#include "phone/phonecommands.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <optional>

struct PhoneLink;
class StatusLog;
class MonotonicClock;

// Turns the settings object's asynchronous answers into one blocking call: DoData sends one
// command and keeps the event loop running until the answer arrives or 15 seconds pass.
class CommandChannel : public QObject
{
    Q_OBJECT
public:
    // Time-out of one command; the wait ends at the first check that finds more than this.
    static constexpr float TimeoutSeconds = 15.0f;

    CommandChannel(PhoneLink& link, StatusLog& log, MonotonicClock& clock,
                   QObject* parent = nullptr);

    // Sends the command with link.CommandParams; true when its own answer arrived (whatever
    // its status). An answer with another transaction id is logged and ignored.
    bool DoData(Command command);
    // True when the last DoData failed because the phone does not know the command: the
    // phone has no such setting, which is not a failure of the phone.
    bool lastWasUnsupported() const { return m_lastUnsupported; }
    // Waits at least the given seconds while the event loop runs.
    void Pause(float seconds);

    void m_objGeneral_OnNotifyResponse(qint32 TransactionID, qint32 Status, const QVariant& Data);

    // Convenience for the categories: erase CommandParams and fill it with these values.
    void setParams(const QVariantList& params);

private:
    PhoneLink& m_link;
    StatusLog& m_log;
    MonotonicClock& m_clock;
    QMetaObject::Connection m_responseConnection;
    struct EarlyAnswer
    {
        qint32 id;
        qint32 status;
        QVariant data;
    };
    // The transaction id of the command that waits for its answer.
    std::optional<qint32> m_waitingFor;
    bool m_sending = false;
    QList<EarlyAnswer> m_earlyAnswers;
    bool m_lastUnsupported = false;
};
