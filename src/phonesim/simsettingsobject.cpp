#include "phonesim/simsettingsobject.h"

#include "core/clock.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simcellphone.h"
#include "phonesim/simstatus.h"

#include <QPointer>
#include <cmath>

namespace phonesim {

SimSettingsObject::SimSettingsObject(SimCellPhone& phone, QObject* parent)
    : SettingsObject(parent), m_phone(phone)
{
}

void SimSettingsObject::SendCommand(qint32 code, QVariantList& params, qint32& transactionId)
{
    m_phone.ensureConnected("SendCommand");
    transactionId = ++m_lastTransactionId;
    const Faults& faults = m_phone.image().faults();
    if (faults.unanswered.contains(code))
        return;
    const qint64 delayMs =
        faults.lateSeconds.contains(code)
            ? std::llround(faults.lateSeconds.value(code) * 1000.0)
            : m_phone.image().latencyMs();
    const qint32 id = transactionId;
    const QVariantList copy = params;
    const quint64 serial = m_phone.connectionSerial();
    m_phone.clock().callLater(delayMs, this, [this, id, code, copy, serial] {
        deliver(id, code, copy, serial);
    });
}

void SimSettingsObject::deliver(qint32 transactionId, qint32 code, const QVariantList& params,
                               quint64 connectionSerial)
{
    // A command still on its way when the phone went away is lost with the connection.
    if (!m_phone.IsConnected() || m_phone.connectionSerial() != connectionSerial) {
        Q_EMIT OnNotifyResponse(transactionId, status::Disconnected, QVariantList());
        return;
    }

    const Faults& faults = m_phone.image().faults();
    CommandResult result;
    if (faults.refused.contains(code))
        result = answer::status(faults.refused.value(code));
    else if (!m_phone.supports(code))
        result = answer::status(status::NotSupported);
    else
        result = m_phone.commands().run(code, m_phone.image().refreshed(), params);

    QVariant data(result.data);
    if (faults.nonArrayData.contains(code))
        data = result.data.isEmpty() ? QVariant(QString()) : result.data.constFirst();

    const int unplugAfter = faults.unplugAfterCommands;
    ++m_answered;
    QPointer<SimSettingsObject> alive(this);
    Q_EMIT OnNotifyResponse(transactionId, result.status, data);
    if (alive && unplugAfter > 0 && m_answered == unplugAfter)
        Q_EMIT m_phone.unplugRequested();
}

} // namespace phonesim
