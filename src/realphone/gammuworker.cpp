#include "realphone/gammuworker.h"

#include "realphone/gammucommands.h"
#include "gammucodec/gammumapping.h"

#include <QFileInfo>
#include <QTimer>

#include <cstring>

namespace gammu {

namespace {

// The sections a configuration holds, by the numbers PHONE uses: [gammu] is 0, [gammuN] is N.
QStringList sectionNumbers(const INI_Section* ini)
{
    QStringList numbers;
    for (const INI_Section* section = ini; section; section = section->Next) {
        const QString name =
            QString::fromLocal8Bit(reinterpret_cast<const char*>(section->SectionName)).toLower();
        if (!name.startsWith(QLatin1String("gammu")))
            continue;
        const QString number = name.mid(5);
        bool digits = false;
        number.toInt(&digits);
        if (number.isEmpty() || digits)
            numbers << (number.isEmpty() ? QStringLiteral("0") : number);
    }
    return numbers;
}

} // namespace

GammuWorker::GammuWorker(PhoneChoice choice, Reports reports)
    : m_choice(std::move(choice)), m_reports(std::move(reports))
{
}

GammuWorker::~GammuWorker()
{
    if (m_machine) {
        if (GSM_IsConnected(m_machine))
            GSM_TerminateConnection(m_machine);
        GSM_FreeStateMachine(m_machine);
    }
}

QString GammuWorker::where() const
{
    return QStringLiteral("%1, section %2").arg(configurationFile(m_choice)).arg(m_choice.section);
}

void GammuWorker::start()
{
    m_timer = new QTimer(this);
    m_timer->setInterval(RetryMs);
    connect(m_timer, &QTimer::timeout, this, &GammuWorker::tick);
    m_machine = GSM_AllocStateMachine();
    // A configuration that cannot be read yet is read again at every retry, so that creating
    // or mending it needs no restart.
    m_timer->start();
    if (configure())
        tryConnect();
}

bool GammuWorker::configure()
{
    INI_Section* ini = nullptr;
    const QByteArray path = m_choice.path.toLocal8Bit();
    GSM_Error result = GSM_FindGammuRC(&ini, m_choice.path.isEmpty() ? nullptr : path.constData());
    QStringList sections;
    if (result == ERR_NONE && ini) {
        result = GSM_ReadConfig(ini, GSM_GetConfig(m_machine, 0), m_choice.section);
        sections = sectionNumbers(ini);
        INI_Free(ini);
    } else if (result == ERR_NONE) {
        result = ERR_CANTOPENFILE;
    }
    if (result != ERR_NONE) {
        const bool missing = m_choice.path.isEmpty() && foundConfiguration().isEmpty();
        QString line =
            missing ? QStringLiteral("Gammu configuration failed -> no configuration found "
                                     "(gammu looks for %1): %2")
                          .arg(configurationCandidates().join(QStringLiteral(", ")),
                               errorText(result))
                    : QStringLiteral("Gammu configuration failed -> %1: %2")
                          .arg(where(), errorText(result));
        // A wrong number is mended by one that exists.
        if (result == ERR_NONE_SECTION)
            line += sections.isEmpty()
                         ? QStringLiteral(" (the file has no [gammu] section)")
                         : QStringLiteral(" (sections there: %1)")
                               .arg(sections.join(QStringLiteral(", ")));
        report(line);
        return false;
    }
    GSM_SetConfigNum(m_machine, 1);
    m_configured = true;
    return true;
}

void GammuWorker::report(const QString& line)
{
    if (line != m_lastProblem)
        m_reports.problem(line);
    m_lastProblem = line;
}

void GammuWorker::tryConnect()
{
    const GSM_Error result = initConnection();
    if (result != ERR_NONE) {
        report(QStringLiteral("Gammu connection failed -> %1: %2").arg(where(), connectionProblem(result)));
        return;
    }
    m_lastProblem.clear();
    alive();
    char manufacturer[GSM_MAX_MANUFACTURER_LENGTH + 1] = {};
    char model[GSM_MAX_MODEL_LENGTH + 1] = {};
    char firmware[GSM_MAX_VERSION_LENGTH + 1] = {};
    char date[GSM_MAX_VERSION_DATE_LENGTH + 1] = {};
    char imei[GSM_MAX_IMEI_LENGTH + 1] = {};
    double version = 0;
    // Identity calls a phone lacks leave their text empty; none of them stops the connection.
    GSM_GetManufacturer(m_machine, manufacturer);
    GSM_GetModel(m_machine, model);
    GSM_GetFirmware(m_machine, firmware, date, &version);
    GSM_GetIMEI(m_machine, imei);
    const QFileInfo device(QString::fromLocal8Bit(GSM_GetConfig(m_machine, 0)->Device));
    m_devicePath = device.isAbsolute() && device.exists() ? device.absoluteFilePath() : QString();
    m_connected = true;
    const QSet<qint32> commands = supportedCommands(m_machine);
    // Known now, the missing calendar is greyed before anyone ticks it.
    GSM_CalendarStatus calendar;
    std::memset(&calendar, 0, sizeof calendar);
    const GSM_Error calendarStatus = GSM_GetCalendarStatus(m_machine, &calendar);
    const bool noCalendar =
        calendarStatus == ERR_NOTSUPPORTED || calendarStatus == ERR_NOTIMPLEMENTED;
    m_reports.connected(PhoneIdentity{QString::fromUtf8(manufacturer), QString::fromUtf8(model),
                                      QString::fromUtf8(imei), QString::fromUtf8(firmware),
                                      noCalendar},
                        commands);
}

QString GammuWorker::connectionProblem(GSM_Error result) const
{
    const QString device = QString::fromLocal8Bit(GSM_GetConfig(m_machine, 0)->Device);
    const QFileInfo file(device);
    // libgammu's texts name neither the device nor who holds it; the user needs both.
    if (result == ERR_DEVICENOTEXIST || (file.isAbsolute() && !file.exists()))
        return QStringLiteral("the device %1 does not exist (is the phone plugged in?)").arg(device);
    if (result == ERR_DEVICELOCKED || result == ERR_DEVICEBUSY ||
        (result == ERR_DEVICEOPENERROR && file.isReadable() && file.isWritable()))
        return QStringLiteral("The phone is in use by another program, perhaps another "
                              "Cellarchive window (%1)")
            .arg(device);
    if (result == ERR_DEVICENOPERMISSION ||
        (result == ERR_DEVICEOPENERROR && file.exists() && !file.isWritable()))
        return QStringLiteral("no permission to open %1 (is the user in its group, such as "
                              "dialout?)")
            .arg(device);
    return errorText(result);
}

bool GammuWorker::deviceVanished() const
{
    return !m_devicePath.isEmpty() && !QFileInfo::exists(m_devicePath);
}

void GammuWorker::tick()
{
    if (!m_configured) {
        if (configure())
            tryConnect();
        return;
    }
    if (!m_connected) {
        tryConnect();
        return;
    }
    // A cheap call the phone must answer; one it does not know proves it is still there.
    GSM_BatteryCharge battery;
    check(deviceVanished() ? ERR_DEVICENOTEXIST : GSM_GetBatteryCharge(m_machine, &battery));
}

GSM_Error GammuWorker::check(GSM_Error result)
{
    if (!isLinkError(result))
        alive();
    if (!m_connected)
        return result;
    if (isLinkError(result))
        drop(errorText(result));
    else if (result != ERR_NONE && deviceVanished())
        drop(errorText(ERR_DEVICENOTEXIST));
    return result;
}

GSM_Error GammuWorker::confirm()
{
    if (!m_connected)
        return ERR_NOTCONNECTED;
    return check(deviceVanished() ? ERR_DEVICENOTEXIST : ERR_NONE);
}

void GammuWorker::drop(const QString& why)
{
    GSM_TerminateConnection(m_machine);
    m_connected = false;
    m_devicePath.clear();
    m_reports.disconnected(QStringLiteral("Gammu phone lost -> %1: %2").arg(where(), why));
}

GSM_Error GammuWorker::initConnection()
{
    const GSM_Error result = GSM_InitConnection(m_machine, 1);
    // A failed attempt may leave the device open, and a serial device locked: the next attempt
    // would find it busy, and every attempt would leave one more descriptor.
    if (result != ERR_NONE && GSM_IsConnected(m_machine))
        GSM_TerminateConnection(m_machine);
    return result;
}

} // namespace gammu
