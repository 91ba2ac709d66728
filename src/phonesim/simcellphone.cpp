#include "phonesim/simcellphone.h"

#include "phone/phoneerrors.h"
#include "phonesim/models.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simsettingsobject.h"

namespace phonesim {

SimCellPhone::SimCellPhone(std::shared_ptr<PhoneImage> image, MonotonicClock& clock,
                           QObject* parent)
    : CellPhone(parent), m_image(std::move(image)), m_clock(clock)
{
    Q_ASSERT(m_image);
    registerAllCommands(m_commands);
    m_settings = new SimSettingsObject(*this, this);
}

SimCellPhone::~SimCellPhone() = default;

void SimCellPhone::ensureConnected(const char* operation) const
{
    if (m_state != State::Connected)
        throw phoneNotConnected(operation);
}

void SimCellPhone::ensureIdentityReadable(const char* operation) const
{
    if (m_state != State::Departing)
        ensureConnected(operation);
}

void SimCellPhone::setState(State state)
{
    if (state == State::Connected && m_state != State::Connected)
        ++m_connectionSerial;
    m_state = state;
}

bool SimCellPhone::IsConnected() const
{
    return m_state == State::Connected;
}

QString SimCellPhone::Name() const
{
    ensureIdentityReadable("Name");
    return m_image->identity().name;
}

QString SimCellPhone::IMEI() const
{
    ensureIdentityReadable("IMEI");
    return m_image->identity().imei;
}

QString SimCellPhone::Model() const
{
    ensureIdentityReadable("Model");
    return m_image->identity().model;
}

QString SimCellPhone::SoftwareVersion() const
{
    ensureIdentityReadable("SoftwareVersion");
    return m_image->identity().softwareVersion;
}

TextMessageObject* SimCellPhone::TextMessage()
{
    ensureConnected("TextMessage");
    return m_textMessage.data();
}

SettingsObject* SimCellPhone::General()
{
    ensureConnected("General");
    return m_image->faults().noSettingsObject ? nullptr : m_settings;
}

qint32 SimCellPhone::IsCommandSupported(qint32 code)
{
    ensureConnected("IsCommandSupported");
    return supports(code) ? 1 : 0;
}

ObexService* SimCellPhone::Obex()
{
    ensureConnected("Obex");
    return m_obex.data();
}

void SimCellPhone::setTextMessage(TextMessageObject* textMessage)
{
    if (m_textMessage == textMessage)
        return;
    delete m_textMessage.data();
    m_textMessage = textMessage;
    if (textMessage)
        textMessage->setParent(this);
}

void SimCellPhone::setObex(ObexService* obex)
{
    if (m_obex == obex)
        return;
    delete m_obex.data();
    m_obex = obex;
    if (obex)
        obex->setParent(this);
}

bool SimCellPhone::supports(qint32 code) const
{
    return m_commands.contains(code) && !m_image->faults().unsupported.contains(code) &&
           !modelLacks(m_image->identity().model).contains(code);
}

QList<qint32> SimCellPhone::supportedCommands() const
{
    QList<qint32> codes = m_commands.codes();
    codes.removeIf([this](qint32 code) { return !supports(code); });
    return codes;
}

} // namespace phonesim
