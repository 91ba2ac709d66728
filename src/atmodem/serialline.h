#pragma once

#include "atmodem/atmodem.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class MonotonicClock;
class QSocketNotifier;
class WallClock;

namespace phonesim {

class PhoneImage;

// The phone on a serial line: a pseudo-terminal whose other side, a serial device in raw mode,
// is the phone's port. What arrives goes to the AT modem and its answers go back, from the event
// loop. The line keeps its own end of the device open so that a program closing the port does
// not hang the line up; the faults of the image's "at" member delay answers or cut the line.
class SerialLine final : public QObject
{
    Q_OBJECT
public:
    SerialLine(std::shared_ptr<PhoneImage> image, MonotonicClock& clock, const WallClock& wallClock,
               QObject* parent = nullptr);
    ~SerialLine() override;

    // Opens the pseudo-terminal; false with the reason in error.
    bool open(QString& error);
    // The device a program opens as the phone's port, e.g. /dev/pts/3.
    const QString& devicePath() const { return m_devicePath; }
    int commandCount() const { return m_modem.commandCount(); }

Q_SIGNALS:
    // The line was cut (the image's cutAfterCommands) and the device is gone.
    void cut();

private:
    void readable();
    void writable();
    void send(const QByteArray& bytes, bool cutAfter);
    void flush();
    void close();

    std::shared_ptr<PhoneImage> m_image;
    MonotonicClock& m_clock;
    AtModem m_modem;
    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_pending;
    bool m_cutWhenSent = false;
};

} // namespace phonesim
