#include "atmodem/serialline.h"

#include "core/clock.h"
#include "phonesim/phoneimage.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace phonesim {

namespace {
constexpr qint64 CutGraceMs = 100;
}

SerialLine::SerialLine(std::shared_ptr<PhoneImage> image, MonotonicClock& clock,
                       const WallClock& wallClock, QObject* parent)
    : QObject(parent), m_image(image), m_clock(clock), m_modem(image, wallClock)
{
}

SerialLine::~SerialLine()
{
    close();
}

bool SerialLine::open(QString& error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    char name[128] = {};
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        error = QStringLiteral("cannot open a pseudo-terminal: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(errno)));
        close();
        return false;
    }
    m_devicePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios mode{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &mode) != 0) {
        error = QStringLiteral("cannot open %1: %2")
                    .arg(m_devicePath, QString::fromLocal8Bit(std::strerror(errno)));
        close();
        return false;
    }
    // A serial port as a phone's is: raw bytes, no echo or line editing by the terminal.
    ::cfmakeraw(&mode);
    ::cfsetspeed(&mode, B115200);
    ::tcsetattr(m_slave, TCSANOW, &mode);
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &SerialLine::readable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &SerialLine::writable);
    return true;
}

void SerialLine::readable()
{
    char chunk[4096];
    const ssize_t got = ::read(m_master, chunk, sizeof chunk);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (got <= 0) {
        // The line's own end keeps the device open, so this is no program hanging up but a
        // line that failed: it ends as a cut one rather than waking the loop for ever.
        close();
        Q_EMIT cut();
        return;
    }
    const int delay = m_image->faults().at.delayMs;
    for (const AtModem::Answer& answer :
         m_modem.feed(QByteArray(chunk, static_cast<qsizetype>(got)))) {
        if (delay <= 0) {
            send(answer.bytes, answer.cutLine);
            continue;
        }
        // Equal delays keep the answers in the order of their commands.
        m_clock.callLater(delay, this,
                          [this, answer] { send(answer.bytes, answer.cutLine); });
    }
}

void SerialLine::send(const QByteArray& bytes, bool cutAfter)
{
    if (m_master < 0)
        return;
    m_pending += bytes;
    m_cutWhenSent = m_cutWhenSent || cutAfter;
    flush();
}

void SerialLine::writable()
{
    flush();
}

void SerialLine::flush()
{
    while (!m_pending.isEmpty()) {
        const ssize_t written =
            ::write(m_master, m_pending.constData(), static_cast<size_t>(m_pending.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        m_pending.remove(0, written);
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_pending.isEmpty());
    if (m_pending.isEmpty() && m_cutWhenSent) {
        m_cutWhenSent = false;
        delete m_readNotifier;
        m_readNotifier = nullptr;
        // The program reads the last answer before the line goes, as when a cable is pulled.
        m_clock.callLater(CutGraceMs, this, [this] {
            close();
            Q_EMIT cut();
        });
    }
}

void SerialLine::close()
{
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = m_writeNotifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

} // namespace phonesim
