#include "realphone/gammusession.h"

#include "realphone/gammuworker.h"

namespace gammu {

GammuSession::GammuSession(const PhoneChoice& choice, QObject* parent) : QObject(parent)
{
    // The worker's reports cross to this thread as queued calls, in the order it made them.
    GammuWorker::Reports reports;
    reports.connected = [this](const PhoneIdentity& id, const QSet<qint32>& commands) {
        QMetaObject::invokeMethod(
            this,
            [this, id, commands] {
                Q_EMIT connected(id.manufacturer, id.model, id.imei, id.firmware, commands,
                                 id.noCalendar);
            },
            Qt::QueuedConnection);
    };
    reports.disconnected = [this](const QString& why) {
        QMetaObject::invokeMethod(
            this, [this, why] { Q_EMIT disconnected(why); }, Qt::QueuedConnection);
    };
    reports.problem = [this](const QString& line) {
        QMetaObject::invokeMethod(
            this, [this, line] { Q_EMIT problem(line); }, Qt::QueuedConnection);
    };
    m_worker = new GammuWorker(choice, std::move(reports));
    m_worker->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("gammu"));
    m_thread.start();
    QMetaObject::invokeMethod(m_worker, &GammuWorker::start, Qt::QueuedConnection);
}

GammuSession::~GammuSession()
{
    // The worker, its timer and the state machine end on their own thread.
    GammuWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker] { delete worker; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

quint64 GammuSession::signsOfLife() const
{
    return m_worker->signsOfLife();
}

void GammuSession::phoneSlow()
{
    if (m_toldWaiting)
        return;
    m_toldWaiting = true;
    Q_EMIT waiting(QStringLiteral("Waiting for the phone to answer \u2026"));
}

void GammuSession::post(std::function<void(GammuWorker&)> job)
{
    GammuWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, job = std::move(job)] { job(*worker); }, Qt::QueuedConnection);
}

} // namespace gammu
