#include "core/clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

struct SystemMonotonicClock::Private
{
    QElapsedTimer elapsed;
    QTimer wakeUp;
};

SystemMonotonicClock::SystemMonotonicClock() : d(new Private)
{
    d->elapsed.start();
    d->wakeUp.setSingleShot(true);
    d->wakeUp.setTimerType(Qt::PreciseTimer);
}

SystemMonotonicClock::~SystemMonotonicClock()
{
    delete d;
}

qint64 SystemMonotonicClock::nowMs() const
{
    return d->elapsed.elapsed();
}

void SystemMonotonicClock::yieldUntil(qint64 deadlineMs)
{
    const qint64 remaining = deadlineMs - nowMs();
    if (remaining <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // The armed timer bounds the sleep; any other event wakes the loop earlier.
    d->wakeUp.start(static_cast<int>(qMin<qint64>(remaining, 24 * 3600 * 1000)));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    d->wakeUp.stop();
}

void SystemMonotonicClock::callLater(qint64 delayMs, QObject* context, std::function<void()> fn)
{
    QTimer::singleShot(static_cast<int>(qMax<qint64>(0, delayMs)), Qt::PreciseTimer, context,
                       std::move(fn));
}
