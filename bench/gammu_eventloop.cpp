// Runs one cellarchive-cli command (its arguments are this program's) on the thread of a
// probe timer that ticks every 5 ms, and prints the longest time the event loop went without
// serving the timer: how long the window would have been blocked during that run.
#include "cli/clicommands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = qMax(longest, now - last);
        last = now;
    });
    probe.start(5);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = cli::run(app.arguments().mid(1), out, err);
    out.flush();
    std::printf("longest event-loop block: %lld ms (probe every 5 ms, %lld ms in all)\n",
                static_cast<long long>(longest), static_cast<long long>(clock.elapsed()));
    return code;
}
