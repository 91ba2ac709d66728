#pragma once

// The user-interface side of the worker thread: posts jobs to the worker and brings their
// answers back as queued calls on the user-interface thread. Internal to src/realphone.

#include "realphone/gammuchoice.h"

#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <functional>
#include <optional>

namespace gammu {

class GammuWorker;
struct PhoneIdentity;

class GammuSession : public QObject
{
    Q_OBJECT
public:
    explicit GammuSession(const PhoneChoice& choice, QObject* parent = nullptr);
    // Stops the thread once its current libgammu call is over.
    ~GammuSession() override;

    // Runs job on the worker thread, then answer with its result on this thread, unless
    // receiver is gone by then.
    template <class R>
    void request(QObject* receiver, std::function<R(GammuWorker&)> job,
                 std::function<void(R)> answer)
    {
        QPointer<QObject> guard(receiver);
        post([this, job = std::move(job), answer = std::move(answer), guard](GammuWorker& w) {
            R result = job(w);
            QMetaObject::invokeMethod(
                this,
                [guard, answer, result = std::move(result)] {
                    if (guard)
                        answer(result);
                },
                Qt::QueuedConnection);
        });
    }

    // The same, waiting in a local event loop: the window stays live meanwhile. A phone that
    // keeps the wait long is told of once, long before libgammu's timeout ends it.
    template <class R>
    R await(std::function<R(GammuWorker&)> job)
    {
        std::optional<R> result;
        QEventLoop loop;
        QTimer slow;
        quint64 seen = signsOfLife();
        bool silent = false;
        connect(&slow, &QTimer::timeout, this, [this, &seen, &silent] {
            const quint64 now = signsOfLife();
            silent = now == seen;
            seen = now;
            if (silent)
                phoneSlow();
        });
        slow.start(SlowAnswerMs);
        request<R>(this, std::move(job), [&result, &loop](R value) {
            result = std::move(value);
            loop.quit();
        });
        while (!result)
            loop.exec();
        // An answer in time: the next silence is worth telling again.
        if (!silent)
            m_toldWaiting = false;
        return std::move(*result);
    }

    // How long the phone may give no answer at all before the user is told; well below
    // libgammu's own timeouts, well above what a slow phone takes to connect.
    static constexpr int SlowAnswerMs = 8000;

Q_SIGNALS:
    void connected(const QString& manufacturer, const QString& model, const QString& imei,
                   const QString& firmware, const QSet<qint32>& commands, bool noCalendar);
    void disconnected(const QString& why);
    void problem(const QString& line);
    // A line for the log alone; may be emitted on the worker thread.
    void note(const QString& line);
    // A line for the status box and the log: the phone keeps the program waiting.
    void waiting(const QString& line);

private:
    void phoneSlow();
    quint64 signsOfLife() const;
    // Told once until the phone answers in time again.
    bool m_toldWaiting = false;
    void post(std::function<void(GammuWorker&)> job);

    QThread m_thread;
    GammuWorker* m_worker = nullptr;
};

} // namespace gammu
