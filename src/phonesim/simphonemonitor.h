#pragma once

#include "phone/components.h"

#include <memory>

class MonotonicClock;

namespace phonesim {

class PhoneImage;
class SimCellPhone;

struct SimPhoneOptions
{
    // The phone is connected from the start, with no connection event (start-up tests).
    bool connectedAtCreation = false;
    // Otherwise it connects this long after the monitor is built, with the event.
    qint64 connectDelayMs = 50;
};

// The phone monitor of the simulated phone: one phone, built from an image, that connects
// shortly after start and can be unplugged and plugged in again.
class SimPhoneMonitor : public PhoneMonitor
{
    Q_OBJECT
public:
    SimPhoneMonitor(std::shared_ptr<PhoneImage> image, MonotonicClock& clock,
                    QObject* parent = nullptr);
    SimPhoneMonitor(std::shared_ptr<PhoneImage> image, MonotonicClock& clock,
                    const SimPhoneOptions& options, QObject* parent = nullptr);

    QList<CellPhone*> CellPhones() const override;
    SimCellPhone* phone() const { return m_phone; }

    // The phone goes away: IsConnected turns false, then OnNotifyCellPhoneConnected(0, phone)
    // is emitted, during which the phone's identity can still be read. Commands still
    // unanswered are answered with status::Disconnected. Nothing happens when it is not there.
    void unplug();
    // The phone comes back: IsConnected turns true, then OnNotifyCellPhoneConnected(1, phone).
    void plug();

private:
    SimCellPhone* m_phone;
    bool m_connectPending = false;
};

} // namespace phonesim
