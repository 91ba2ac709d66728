#pragma once

#include "core/clock.h"

#include <QPointer>
#include <map>

// A monotonic clock whose time moves only when a wait finds nothing to do: it then jumps to
// the next scheduled callback or to the wait's deadline, whichever comes first. Waits of many
// seconds thus take no real time and happen in a repeatable order.
class FakeClock final : public MonotonicClock
{
public:
    qint64 nowMs() const override { return m_now; }
    void yieldUntil(qint64 deadlineMs) override;
    void callLater(qint64 delayMs, QObject* context, std::function<void()> fn) override;

    // Moves time forward by ms, running the callbacks that fall due on the way.
    void advance(qint64 ms);
    // Runs every callback that is due now, and pending Qt events.
    void runDue();
    // Runs callbacks in time order until none is left (time jumps as needed), or maxMs passes.
    void runAll(qint64 maxMs = 3600 * 1000);
    bool hasPending() const { return !m_queue.empty(); }
    int yields() const { return m_yields; }

private:
    struct Entry
    {
        QPointer<QObject> context;
        bool hasContext;
        std::function<void()> fn;
    };
    bool fireNext(qint64 limitMs);

    qint64 m_now = 1000;
    quint64 m_sequence = 0;
    int m_yields = 0;
    std::multimap<std::pair<qint64, quint64>, Entry> m_queue;
};

class FakeWallClock final : public WallClock
{
public:
    FakeWallClock() : m_now(QDate(2004, 5, 17), QTime(14, 30, 5)) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& now) { m_now = now; }

private:
    QDateTime m_now;
};
