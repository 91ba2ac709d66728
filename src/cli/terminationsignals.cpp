#include "cli/terminationsignals.h"

#include <sys/signalfd.h>
#include <unistd.h>

namespace cli {

TerminationSignals::TerminationSignals()
{
    sigemptyset(&m_set);
    sigaddset(&m_set, SIGINT);
    sigaddset(&m_set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &m_set, &m_previous);
    m_fd = signalfd(-1, &m_set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_fd < 0) {
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::read);
}

TerminationSignals::~TerminationSignals()
{
    // A signal that came after the last read belongs to a command that has ended anyway.
    signalfd_siginfo info{};
    while (m_fd >= 0 && ::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    }
    release();
}

void TerminationSignals::read()
{
    signalfd_siginfo info{};
    while (::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        Q_EMIT received(static_cast<int>(info.ssi_signo));
}

void TerminationSignals::release()
{
    if (m_fd < 0)
        return;
    m_notifier.reset();
    ::close(m_fd);
    m_fd = -1;
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

} // namespace cli
