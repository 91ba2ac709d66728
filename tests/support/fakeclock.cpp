#include "fakeclock.h"

#include <QCoreApplication>

void FakeClock::callLater(qint64 delayMs, QObject* context, std::function<void()> fn)
{
    m_queue.emplace(std::make_pair(m_now + qMax<qint64>(0, delayMs), m_sequence++),
                    Entry{context, context != nullptr, std::move(fn)});
}

bool FakeClock::fireNext(qint64 limitMs)
{
    if (m_queue.empty() || m_queue.begin()->first.first > limitMs)
        return false;
    auto it = m_queue.begin();
    m_now = qMax(m_now, it->first.first);
    Entry entry = std::move(it->second);
    m_queue.erase(it);
    if (!entry.hasContext || entry.context)
        entry.fn();
    return true;
}

void FakeClock::runDue()
{
    QCoreApplication::processEvents();
    while (fireNext(m_now))
        QCoreApplication::processEvents();
}

void FakeClock::yieldUntil(qint64 deadlineMs)
{
    ++m_yields;
    QCoreApplication::processEvents();
    // One event per turn: the due callback, else the next one before the deadline, else time
    // simply reaches the deadline.
    if (fireNext(m_now) || fireNext(deadlineMs)) {
        QCoreApplication::processEvents();
        return;
    }
    m_now = qMax(m_now, deadlineMs);
}

void FakeClock::advance(qint64 ms)
{
    const qint64 target = m_now + ms;
    while (fireNext(target))
        QCoreApplication::processEvents();
    m_now = target;
    QCoreApplication::processEvents();
}

void FakeClock::runAll(qint64 maxMs)
{
    const qint64 limit = m_now + maxMs;
    while (fireNext(limit))
        QCoreApplication::processEvents();
}
