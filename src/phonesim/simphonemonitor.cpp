#include "phonesim/simphonemonitor.h"

#include "core/clock.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simcellphone.h"

namespace phonesim {

SimPhoneMonitor::SimPhoneMonitor(std::shared_ptr<PhoneImage> image, MonotonicClock& clock,
                                 QObject* parent)
    : SimPhoneMonitor(std::move(image), clock, SimPhoneOptions(), parent)
{
}

SimPhoneMonitor::SimPhoneMonitor(std::shared_ptr<PhoneImage> image, MonotonicClock& clock,
                                 const SimPhoneOptions& options, QObject* parent)
    : PhoneMonitor(parent), m_phone(new SimCellPhone(std::move(image), clock, this))
{
    attachPhoneServices(*m_phone);
    connect(m_phone, &SimCellPhone::unplugRequested, this, &SimPhoneMonitor::unplug);
    if (options.connectedAtCreation) {
        m_phone->setState(SimCellPhone::State::Connected);
    } else {
        m_connectPending = true;
        clock.callLater(options.connectDelayMs, this, [this] {
            if (m_connectPending)
                plug();
        });
    }
}

QList<CellPhone*> SimPhoneMonitor::CellPhones() const
{
    return {m_phone};
}

void SimPhoneMonitor::unplug()
{
    m_connectPending = false;
    if (!m_phone->IsConnected())
        return;
    m_phone->setState(SimCellPhone::State::Departing);
    Q_EMIT OnNotifyCellPhoneConnected(0, m_phone);
    m_phone->setState(SimCellPhone::State::Absent);
}

void SimPhoneMonitor::plug()
{
    m_connectPending = false;
    if (m_phone->IsConnected())
        return;
    m_phone->setState(SimCellPhone::State::Connected);
    Q_EMIT OnNotifyCellPhoneConnected(1, m_phone);
}

} // namespace phonesim
