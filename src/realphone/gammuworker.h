#pragma once

// The thread side of the libgammu phone: the one object that owns the state machine and makes
// every libgammu call (libgammu is not thread-safe). Internal to src/realphone.

#include "realphone/gammuchoice.h"

#include <gammu.h>

#include <QObject>
#include <QSet>
#include <QString>
#include <atomic>
#include <functional>

class QTimer;

namespace gammu {

struct PhoneIdentity
{
    QString manufacturer;
    QString model;
    QString imei;
    QString firmware;
    // The phone answered the calendar's status call as a phone without a calendar.
    bool noCalendar = false;
};

// Lives on the worker thread. It connects at start, retries while there is no phone, checks
// every few seconds that an idle phone still answers, and runs the jobs posted to it.
class GammuWorker : public QObject
{
    Q_OBJECT
public:
    // Seconds between two connection attempts, and between two liveness checks.
    static constexpr int RetryMs = 5000;

    // What the worker reports, called on the worker thread; the receiver posts them on.
    struct Reports
    {
        std::function<void(const PhoneIdentity&, const QSet<qint32>& commands)> connected;
        std::function<void(const QString& why)> disconnected;
        // A configuration or connection failure; repeated only when the text changes.
        std::function<void(const QString& line)> problem;
    };

    GammuWorker(PhoneChoice choice, Reports reports);
    ~GammuWorker() override;

    // Reads the configuration and makes the first connection attempt. Called on the thread.
    void start();
    // The state machine while a phone is connected, else nullptr.
    GSM_StateMachine* machine() const { return m_connected ? m_machine : nullptr; }
    // Passes result through; an error that means the phone is gone ends the connection.
    GSM_Error check(GSM_Error result);
    // After a listing that ended as if complete: ERR_NONE while the phone is still there,
    // else the connection ends and the error says why (a vanished device lists as empty).
    GSM_Error confirm();
    // Where the problem lines say the phone is configured.
    QString where() const;
    // The phone answered something: a long job that keeps answering is no silent phone.
    void alive() { m_signsOfLife.fetch_add(1, std::memory_order_relaxed); }
    // How often the phone answered so far; read from any thread.
    quint64 signsOfLife() const { return m_signsOfLife.load(std::memory_order_relaxed); }

private:
    // Reads the configuration; false (reported) when it cannot be read.
    bool configure();
    // Reports a problem line unless it repeats the last one.
    void report(const QString& line);
    void tryConnect();
    void tick();
    void drop(const QString& why);
    bool deviceVanished() const;
    // A failed connection's reason in the user's words, naming the device.
    QString connectionProblem(GSM_Error result) const;
    // GSM_InitConnection that leaves nothing open when it fails.
    GSM_Error initConnection();

    PhoneChoice m_choice;
    Reports m_reports;
    GSM_StateMachine* m_machine = nullptr;
    QTimer* m_timer = nullptr;
    bool m_configured = false;
    bool m_connected = false;
    // The device when it is a file (a serial device node, the dummy driver's folder) that
    // existed at connection time: its disappearance means the phone is gone.
    QString m_devicePath;
    QString m_lastProblem;
    std::atomic<quint64> m_signsOfLife{0};
};

} // namespace gammu
