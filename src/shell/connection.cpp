#include "shell/connection.h"

#include "categories/categorytable.h"

#include "statuslog/mainview.h"
#include "statuslog/statuslog.h"
#include "phone/phonelink.h"
#include "categories/categorysupport.h"
#include "runs/backuprun.h"

#include <exception>
#include <iterator>

namespace {

struct ModelRow
{
    const char* code;
    bool phonebook;
    bool calendar;
};

// Tested in this order; the first code found anywhere in the model text wins.
constexpr ModelRow kModels[] = {
    {"BVT68", true, true},
    {"BVT300", false, false},
    {"BVT610", true, true},
};

// What a phone without the category lacks, for the greyed box's tooltip.
QString reasonFor(OutcomeTally::Category category)
{
    static const char* const kept[] = {"contacts", "a calendar", "text messages", "data accounts",
                                       "WAP settings", "bookmarks", "profiles", "lock settings",
                                       "time settings", "shortcuts"};
    const int index = static_cast<int>(category);
    return index >= 0 && index < int(std::size(kept))
               ? QStringLiteral("This phone does not keep ") + QLatin1String(kept[index])
               : QString();
}

} // namespace

Connection::Connection(PhoneLink& link, StatusLog& log, MainView& view)
    : m_link(link), m_log(log), m_view(view)
{
}

void Connection::m_objPhoneMonitor_OnNotifyCellPhoneConnected(qint32 bConnected,
                                                               CellPhone* phone)
{
    try {
        if (bConnected != 0) {
            m_link.bPhoneConnected = true;
            m_link.m_objCellPhone = phone;
            m_link.m_objTextMessage = phone ? phone->TextMessage() : nullptr;
        } else if (m_link.m_objCellPhone && phone &&
                   m_link.m_objCellPhone->IMEI() == phone->IMEI()) {
            m_log.UpdateStat(QStringLiteral("Lost connection to phone"));
            m_link.bPhoneConnected = false;
            m_link.bPhoneLost = true;
            m_link.m_objCellPhone = nullptr;
            m_link.m_objTextMessage = nullptr;
        }
    } catch (const std::exception& error) {
        // A phone that fails while it is asked is treated as gone.
        m_log.WriteLog(QStringLiteral("Connection event failed -> ") +
                       QString::fromStdString(error.what()));
        m_link.bPhoneConnected = false;
        m_link.bPhoneLost = true;
        m_link.m_objCellPhone = nullptr;
        m_link.m_objTextMessage = nullptr;
    }
    UpdateConnectionStatus();
}

void Connection::showNoPhone()
{
    m_view.setPhoneInfo(0, QStringLiteral("No connected phone..."));
    for (int i = 1; i < 4; ++i)
        m_view.setPhoneInfo(i, QStringLiteral("-"));
    m_link.bPhonebookSupported = true;
    m_link.bCalendarSupported = true;
    m_link.bKnownPhoneType = true;
    EnableCategories();
    for (const categorytable::Row& row : categorytable::rows()) {
        m_view.setBoxEnabled(row.box, true);
        m_view.setBoxReason(row.box, QString());
    }
    EnableBackupRestore(false);
    m_log.WriteLog(QStringLiteral("Phone disconnected"));
}

void Connection::UpdateConnectionStatus()
{
    m_log.WriteLog(QStringLiteral("Entered UpdateConnectionStatus"));
    CellPhone* phone = m_link.m_objCellPhone.data();
    try {
        bool connected = false;
        if (!phone) {
            m_log.WriteLog(QStringLiteral("Cell is nothing"));
        } else {
            connected = phone->IsConnected();
            m_log.WriteLog(QStringLiteral("Cell is something"));
        }
        if (!connected) {
            showNoPhone();
            return;
        }
        m_view.setPhoneInfo(0, phone->Name());
        m_view.setPhoneInfo(1, phone->IMEI());
        m_view.setPhoneInfo(2, phone->Model());
        m_view.setPhoneInfo(3, phone->SoftwareVersion());
        SetModelFlags(phone->Model());
        if (phone->lacksCalendar()) {
            m_link.bCalendarSupported = false;
            m_log.WriteLog(QStringLiteral("Not supported by the phone -> ") +
                           OutcomeTally::name(OutcomeTally::Calendar));
            EnableCategories();
        }
        EnableServedSettings(*phone);
        m_log.UpdateStat(m_link.bKnownPhoneType
                             ? QStringLiteral("Known PhoneType!!")
                             : QStringLiteral("Unknown PhoneType -> This modell has not been "
                                              "tested with this program!!"));
        m_log.WriteLog(QStringLiteral("Mobile Name-->") + phone->Name());
        m_log.WriteLog(QStringLiteral("IMEI-->") + phone->IMEI());
        m_log.WriteLog(QStringLiteral("Model-->") + phone->Model());
        m_log.WriteLog(QStringLiteral("Software-->") + phone->SoftwareVersion());
        for (int i = 0; i < 4; ++i)
            m_log.WriteLog(QStringLiteral("Phone Info--->") + m_view.phoneInfo(i) +
                           QStringLiteral("<---"));
        EnableBackupRestore(true);
        m_log.WriteLog(QStringLiteral("Phone Connected"));
    } catch (const std::exception& error) {
        // The phone went away while it was read: show the "no phone" state.
        m_log.WriteLog(QStringLiteral("Phone could not be read, treated as disconnected -> ") +
                       QString::fromStdString(error.what()));
        m_link.bPhoneConnected = false;
        m_link.bPhoneLost = true;
        m_link.m_objCellPhone = nullptr;
        m_link.m_objTextMessage = nullptr;
        showNoPhone();
    }
}

void Connection::SetModelFlags(const QString& model)
{
    bool found = false;
    for (const ModelRow& row : kModels) {
        if (model.contains(QLatin1String(row.code))) {
            m_link.bPhonebookSupported = row.phonebook;
            m_link.bCalendarSupported = row.calendar;
            m_link.bKnownPhoneType = true;
            found = true;
            break;
        }
    }
    if (!found) {
        m_link.bPhonebookSupported = true;
        m_link.bCalendarSupported = true;
        m_link.bKnownPhoneType = false;
        m_log.WriteLog(QStringLiteral("Unknown Phonetype-->") + model);
    }
    EnableCategories();
}

void Connection::EnableCategories()
{
    const auto apply = [this](MainView::Box box, bool supported) {
        m_view.setBoxEnabled(box, supported);
        m_view.setBoxReason(box, supported ? QString() : reasonFor(categorytable::rowOfBox(box)->category));
        if (!supported)
            m_view.setTicked(box, false);
    };
    apply(MainView::Box::Pb, m_link.bPhonebookSupported);
    apply(MainView::Box::Cal, m_link.bCalendarSupported);
}

void Connection::EnableServedSettings(CellPhone& phone)
{
    // The phonebook and the calendar are the model table's; the rest the phone itself tells.
    for (const categorytable::Row& row : categorytable::rows()) {
        if (row.category == OutcomeTally::Phonebook || row.category == OutcomeTally::Calendar)
            continue;
        const bool served = categorysupport::servedBy(phone, row.category);
        m_view.setBoxEnabled(row.box, served);
        m_view.setBoxReason(row.box, served ? QString() : reasonFor(row.category));
        if (!served) {
            m_view.setTicked(row.box, false);
            m_log.WriteLog(QStringLiteral("Not supported by the phone -> ") +
                           OutcomeTally::name(row.category));
        }
    }
}

void Connection::setRunInProgress(bool running)
{
    m_runInProgress = running;
    EnableBackupRestore(running ? false : m_link.bPhoneConnected);
}

void Connection::EnableBackupRestore(bool enabled)
{
    enabled = enabled && !m_runInProgress;
    m_view.setButtonEnabled(MainView::Button::Restore, enabled);
    m_view.setButtonEnabled(MainView::Button::Backup, enabled);
}
