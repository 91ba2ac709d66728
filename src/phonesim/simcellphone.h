#pragma once

#include "phone/components.h"
#include "phonesim/commandtable.h"

#include <QPointer>
#include <memory>

class MonotonicClock;

namespace phonesim {

class PhoneImage;
class SimSettingsObject;

// The simulated phone. Its identity and data come from its image; its commands from a
// CommandTable filled by registerAllCommands. While it is not connected every call fails
// with ProgramError (ComponentFailure, "PhoneMonitor"), except IsConnected.
class SimCellPhone : public CellPhone
{
    Q_OBJECT
public:
    SimCellPhone(std::shared_ptr<PhoneImage> image, MonotonicClock& clock,
                 QObject* parent = nullptr);
    ~SimCellPhone() override;

    bool IsConnected() const override;
    QString Name() const override;
    QString IMEI() const override;
    QString Model() const override;
    QString SoftwareVersion() const override;
    TextMessageObject* TextMessage() override;
    SettingsObject* General() override;
    qint32 IsCommandSupported(qint32 code) override;
    ObexService* Obex() override;

    // Services that other parts of the simulation provide; the phone takes ownership.
    void setTextMessage(TextMessageObject* textMessage);
    void setObex(ObexService* obex);

    PhoneImage& image() const { return *m_image; }
    const std::shared_ptr<PhoneImage>& sharedImage() const { return m_image; }
    MonotonicClock& clock() const { return m_clock; }
    // The commands the phone has handlers for; services may register further ones.
    CommandTable& commands() { return m_commands; }
    const CommandTable& commands() const { return m_commands; }
    // The settings object whatever the faults say, for tests and services.
    SimSettingsObject* settingsObject() const { return m_settings; }

    // Whether the phone carries out the command: a handler, not lacked by the model, not
    // declared unsupported by a fault. Works whether or not the phone is connected.
    bool supports(qint32 code) const;
    QList<qint32> supportedCommands() const;

    // Counts the connections, so an answer can tell whether the phone went away since the
    // command was sent.
    quint64 connectionSerial() const { return m_connectionSerial; }
    // Throws the error of a call on a phone that is not connected.
    void ensureConnected(const char* operation) const;

Q_SIGNALS:
    // A fault wants the phone gone; the monitor unplugs it.
    void unplugRequested();

private:
    friend class SimPhoneMonitor;
    enum class State { Absent, Connected, Departing };
    void setState(State state);
    // Identity stays readable while the departure is announced, so that the program can
    // still tell which phone went away.
    void ensureIdentityReadable(const char* operation) const;

    std::shared_ptr<PhoneImage> m_image;
    MonotonicClock& m_clock;
    CommandTable m_commands;
    SimSettingsObject* m_settings = nullptr;
    QPointer<TextMessageObject> m_textMessage;
    QPointer<ObexService> m_obex;
    State m_state = State::Absent;
    quint64 m_connectionSerial = 0;
};

// Gives a new phone the services built elsewhere in the simulation (SMS object, OBEX
// service, their commands). The one place where they are attached, one line each.
void attachPhoneServices(SimCellPhone& phone);

} // namespace phonesim
