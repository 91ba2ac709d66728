#pragma once

#include <QString>

struct PhoneLink;
class StatusLog;
class MainView;
class CellPhone;

// Follows the phone monitor's connection events: keeps the current phone, shows its identity
// and recognises its model, which decides the categories and buttons that can be used.
class Connection
{
public:
    Connection(PhoneLink& link, StatusLog& log, MainView& view);

    void m_objPhoneMonitor_OnNotifyCellPhoneConnected(qint32 bConnected, CellPhone* phone);
    void UpdateConnectionStatus();
    void SetModelFlags(const QString& model);
    void EnableCategories();
    // Disables the boxes of the settings categories the phone has not got.
    void EnableServedSettings(CellPhone& phone);
    void EnableBackupRestore(bool enabled);
    // While a run is in progress both buttons stay disabled, whatever the phone does.
    void setRunInProgress(bool running);

private:
    void showNoPhone();

    PhoneLink& m_link;
    StatusLog& m_log;
    MainView& m_view;
    bool m_runInProgress = false;
};
