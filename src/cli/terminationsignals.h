#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <memory>

namespace cli {

// SIGINT and SIGTERM as events of the event loop: blocked for the thread that makes this (and
// the threads it starts later, such as the libgammu worker), and read from a signal
// descriptor. Made before any other thread starts, no signal reaches a thread that would die
// of it.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    TerminationSignals();
    ~TerminationSignals() override;

    // False when no descriptor could be made: the signals then keep their default action.
    bool ok() const { return m_fd >= 0; }
    // Gives the next signals their default action again, for a signal outside a run.
    void release();

Q_SIGNALS:
    void received(int signalNumber);

private:
    void read();

    sigset_t m_set{};
    sigset_t m_previous{};
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace cli
