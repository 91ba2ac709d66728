#pragma once

#include <QDateTime>
#include <QObject>
#include <functional>

// Monotonic time for every wait of the program, with the event-loop turn that waits yield.
// Tests substitute a fake whose time only moves when a wait asks it to.
class MonotonicClock
{
public:
    virtual ~MonotonicClock() = default;

    // Milliseconds since an arbitrary start; never runs backwards.
    virtual qint64 nowMs() const = 0;

    // One turn of the event loop: handles the events that are pending, or, when none are,
    // sleeps until an event arrives or the deadline (in nowMs() terms) has passed.
    virtual void yieldUntil(qint64 deadlineMs) = 0;
    // One turn of the event loop that handles what is pending and never sleeps.
    void yieldOnce() { yieldUntil(nowMs()); }

    // Calls fn once, through the event loop, after delayMs; dropped when context dies first.
    virtual void callLater(qint64 delayMs, QObject* context, std::function<void()> fn) = 0;
};

// Wall-clock time for the texts of the log and the status box.
class WallClock
{
public:
    virtual ~WallClock() = default;
    virtual QDateTime now() const = 0;
};

class SystemMonotonicClock final : public MonotonicClock
{
public:
    SystemMonotonicClock();
    ~SystemMonotonicClock() override;
    qint64 nowMs() const override;
    void yieldUntil(qint64 deadlineMs) override;
    void callLater(qint64 delayMs, QObject* context, std::function<void()> fn) override;

private:
    struct Private;
    Private* d;
};

class SystemWallClock final : public WallClock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
