#include "realphone/gammuphone.h"

#include "phone/phoneerrors.h"
#include "realphone/gammuirmcstore.h"
#include "realphone/gammuservices.h"
#include "realphone/gammusession.h"
#include "realphone/gammuworker.h"
#include "irmc/irmcobexservice.h"

namespace gammu {

GammuCellPhone::GammuCellPhone(GammuSession& session, QObject* parent)
    : CellPhone(parent), m_session(session),
      m_settings(new GammuSettingsObject(session, *this, this)),
      m_textMessage(new GammuTextMessage(session, *this, this))
{
}

GammuCellPhone::~GammuCellPhone() = default;

void GammuCellPhone::ensureConnected(const char* operation) const
{
    if (m_state != State::Connected)
        throw phoneNotConnected(operation);
}

bool GammuCellPhone::IsConnected() const
{
    return m_state == State::Connected;
}

// The identity stays readable while the departure is announced, so that the program can
// still tell which phone went away.
QString GammuCellPhone::Name() const
{
    if (m_state == State::Absent)
        ensureConnected("Name");
    return QStringList{m_manufacturer, m_model}.join(QLatin1Char(' ')).trimmed();
}

QString GammuCellPhone::IMEI() const
{
    if (m_state == State::Absent)
        ensureConnected("IMEI");
    return m_imei;
}

QString GammuCellPhone::Model() const
{
    if (m_state == State::Absent)
        ensureConnected("Model");
    return m_model;
}

QString GammuCellPhone::SoftwareVersion() const
{
    if (m_state == State::Absent)
        ensureConnected("SoftwareVersion");
    return m_firmware;
}

TextMessageObject* GammuCellPhone::TextMessage()
{
    ensureConnected("TextMessage");
    return m_textMessage;
}

SettingsObject* GammuCellPhone::General()
{
    ensureConnected("General");
    return m_settings;
}

qint32 GammuCellPhone::IsCommandSupported(qint32 code)
{
    ensureConnected("IsCommandSupported");
    return supports(code) ? 1 : 0;
}

ObexService* GammuCellPhone::Obex()
{
    ensureConnected("Obex");
    // The program's OBEX client keeps speaking IrMC, to the shared server on a store that
    // asks libgammu.
    if (!m_obex)
        m_obex = irmc::IrmcObexService::inProcess(
            std::make_shared<GammuIrmcStore>(m_session, *this), 1024, this);
    return m_obex.data();
}

GammuPhoneMonitor::GammuPhoneMonitor(const PhoneChoice& choice, QObject* parent)
    : PhoneMonitor(parent), m_session(new GammuSession(choice, this)),
      m_phone(new GammuCellPhone(*m_session, this))
{
    connect(m_session, &GammuSession::problem, this, [this](const QString& line) {
        m_lastProblem = line;
        Q_EMIT problem(line);
    });
    connect(m_session, &GammuSession::note, this, &GammuPhoneMonitor::note);
    connect(m_session, &GammuSession::waiting, this, &GammuPhoneMonitor::problem);
    connect(m_session, &GammuSession::connected, this,
            [this](const QString& manufacturer, const QString& model, const QString& imei,
                   const QString& firmware, const QSet<qint32>& commands, bool noCalendar) {
                m_lastProblem.clear();
                m_phone->m_manufacturer = manufacturer;
                m_phone->m_model = model;
                m_phone->m_imei = imei;
                m_phone->m_firmware = firmware;
                m_phone->m_commands = commands;
                m_phone->m_noCalendar = noCalendar;
                m_phone->m_state = GammuCellPhone::State::Connected;
                Q_EMIT OnNotifyCellPhoneConnected(1, m_phone);
            });
    connect(m_session, &GammuSession::disconnected, this, [this](const QString& why) {
        m_lastProblem = why;
        Q_EMIT problem(why);
        m_phone->m_state = GammuCellPhone::State::Departing;
        Q_EMIT OnNotifyCellPhoneConnected(0, m_phone);
        m_phone->m_state = GammuCellPhone::State::Absent;
    });
}

void GammuPhoneMonitor::waitForFirstAttempt()
{
    // Queued behind the worker's start, so it is answered once the first attempt is over; the
    // reports of that attempt were queued before the answer.
    m_session->await<bool>([](GammuWorker& worker) { return worker.machine() != nullptr; });
}

GammuPhoneMonitor::~GammuPhoneMonitor()
{
    // The worker thread ends before the phone objects that receive its answers.
    delete m_session;
}

QList<CellPhone*> GammuPhoneMonitor::CellPhones() const
{
    return {m_phone};
}

} // namespace gammu
