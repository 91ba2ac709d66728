#include "phone/commandchannel.h"

#include "statuslog/statuslog.h"
#include "core/clock.h"
#include "core/programerror.h"
#include "phone/phonelink.h"

#include <cmath>
#include <exception>
#include <utility>

CommandChannel::CommandChannel(PhoneLink& link, StatusLog& log, MonotonicClock& clock,
                               QObject* parent)
    : QObject(parent), m_link(link), m_log(log), m_clock(clock)
{
}

void CommandChannel::setParams(const QVariantList& params)
{
    m_link.CommandParams = params;
}

bool CommandChannel::DoData(Command command)
{
    const QString name = commandName(command);
    m_lastUnsupported = false;
    try {
        CellPhone* phone = m_link.m_objCellPhone.data();
        if (!phone)
            throw ProgramError(ProgramError::ObjectNotSet, QStringLiteral("Cellarchive"),
                               QStringLiteral("Object variable not set"));
        if (phone->IsCommandSupported(command) == 0) {
            m_lastUnsupported = true;
            m_log.WriteLog(QStringLiteral("Command --->") + name +
                           QStringLiteral("<--- is not supported"));
            return false;
        }
        // Taken anew for every command, so the handler is attached to the object in use.
        SettingsObject* general = phone->General();
        if (general != m_link.m_objGeneral.data() || !m_responseConnection) {
            QObject::disconnect(m_responseConnection);
            m_link.m_objGeneral = general;
            if (general)
                m_responseConnection =
                    connect(general, &SettingsObject::OnNotifyResponse, this,
                            &CommandChannel::m_objGeneral_OnNotifyResponse);
        }
        if (!general) {
            m_log.WriteLog(QStringLiteral("m_objGeneral Is Nothing"));
            return false;
        }

        m_link.ResponseData.clear();
        m_link.WaitEvent = true;
        const qint64 start = m_clock.nowMs();
        qint32 transactionId = 0;
        // An answer given during the send itself is kept until the send tells its id.
        m_sending = true;
        m_earlyAnswers.clear();
        m_waitingFor.reset();
        general->SendCommand(command, m_link.CommandParams, transactionId);
        m_sending = false;
        m_waitingFor = transactionId;
        const QList<EarlyAnswer> early = std::exchange(m_earlyAnswers, {});
        for (const EarlyAnswer& answer : early)
            m_objGeneral_OnNotifyResponse(answer.id, answer.status, answer.data);

        // The first millisecond past the time-out is where the wait gives up.
        const qint64 deadline = start + static_cast<qint64>(TimeoutSeconds * 1000) + 1;
        for (;;) {
            if (!m_link.WaitEvent)
                return true;
            m_clock.yieldUntil(deadline);
            const float elapsed = static_cast<float>(m_clock.nowMs() - start) / 1000.0f;
            if (elapsed > TimeoutSeconds) {
                m_link.WaitEvent = true;
                m_waitingFor.reset();
                m_log.WriteLog(QStringLiteral("Command ->") + name + QStringLiteral(" timedout"));
                return false;
            }
        }
    } catch (const std::exception&) {
        m_sending = false;
        m_waitingFor.reset();
        m_log.WriteLog(QStringLiteral("Error in DoData->Critical"));
        m_log.WriteLog(QStringLiteral("Last Command was--->") + name + QStringLiteral("<---"));
        return false;
    }
}

void CommandChannel::m_objGeneral_OnNotifyResponse(qint32 TransactionID, qint32 Status,
                                                   const QVariant& Data)
{
    if (m_sending) {
        m_earlyAnswers.append({TransactionID, Status, Data});
        return;
    }
    // Only the answer to the command that waits may end the wait: an answer that comes after
    // its own command timed out would otherwise complete the next command with its values.
    if (!m_waitingFor || *m_waitingFor != TransactionID) {
        m_log.WriteLog(QStringLiteral("Ignored late answer -> transaction") +
                       StatusLog::signed_(TransactionID));
        return;
    }
    m_waitingFor.reset();
    // An answer whose Data is not a list leaves ResponseData as DoData erased it.
    if (Data.typeId() == QMetaType::QVariantList)
        m_link.ResponseData = Data.toList();
    m_link.ResponseStatus = Status;
    m_link.WaitEvent = false;
}

void CommandChannel::Pause(float seconds)
{
    if (seconds <= 0)
        return;
    const qint64 start = m_clock.nowMs();
    const qint64 deadline = start + static_cast<qint64>(std::ceil(seconds * 1000.0f));
    while (static_cast<float>(m_clock.nowMs() - start) / 1000.0f < seconds)
        m_clock.yieldUntil(deadline);
}
