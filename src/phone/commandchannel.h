#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

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

    // Sends code with link.CommandParams; true when an answer arrived (whatever its status).
    bool DoData(qint32 code, const QString& name);
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
};
