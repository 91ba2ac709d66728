#pragma once

// The phone monitor components on libgammu, for real phones. Nothing here exposes libgammu:
// every libgammu call is made on the worker thread of a GammuSession.

#include "realphone/gammuchoice.h"
#include "phone/components.h"

#include <QPointer>
#include <QSet>

namespace gammu {

class GammuSession;

class GammuCellPhone final : public CellPhone
{
    Q_OBJECT
public:
    GammuCellPhone(GammuSession& session, QObject* parent = nullptr);
    ~GammuCellPhone() override;

    bool IsConnected() const override;
    QString Name() const override;
    QString IMEI() const override;
    QString Model() const override;
    QString SoftwareVersion() const override;
    TextMessageObject* TextMessage() override;
    SettingsObject* General() override;
    qint32 IsCommandSupported(qint32 code) override;
    ObexService* Obex() override;
    // libgammu writes GPRS access points only.
    bool keepsCsdAccounts() const override { return false; }
    bool lacksCalendar() const override { return m_noCalendar; }

    // Throws the error of a call on a phone that is not connected.
    void ensureConnected(const char* operation) const;
    QString manufacturer() const { return m_manufacturer; }
    bool supports(qint32 code) const { return m_commands.contains(code); }

private:
    friend class GammuPhoneMonitor;
    enum class State { Absent, Connected, Departing };

    GammuSession& m_session;
    State m_state = State::Absent;
    QString m_manufacturer;
    QString m_model;
    QString m_imei;
    QString m_firmware;
    QSet<qint32> m_commands;
    bool m_noCalendar = false;
    SettingsObject* m_settings = nullptr;
    TextMessageObject* m_textMessage = nullptr;
    QPointer<ObexService> m_obex;
};

// The worker for one phone described in a gammu configuration. It connects at start and
// tries again every few seconds while there is no phone; a configuration or connection
// failure is reported with problem(), naming the file, the section and libgammu's text.
class GammuPhoneMonitor final : public PhoneMonitor
{
    Q_OBJECT
public:
    GammuPhoneMonitor(const PhoneChoice& choice, QObject* parent = nullptr);
    ~GammuPhoneMonitor() override;

    // Returns once the first connection attempt is over, waiting in a local event loop; its
    // reports (connection event, problem) have been delivered by then.
    void waitForFirstAttempt();

    QList<CellPhone*> CellPhones() const override;
    GammuCellPhone* phone() const { return m_phone; }
    // The last problem reported, empty when there was none.
    const QString& lastProblem() const { return m_lastProblem; }

Q_SIGNALS:
    void problem(const QString& line);
    // A line for the log alone: how the phone is written, for example.
    void note(const QString& line);

private:
    GammuSession* m_session;
    GammuCellPhone* m_phone;
    QString m_lastProblem;
};

} // namespace gammu
