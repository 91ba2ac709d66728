#pragma once

#include <QString>

struct CategoryServices;
class ObexTransfer;
class MainView;

// Resetting the phone to its factory settings before a restore: the factory-default command
// with the phone lock code, then the phonebook and the calendar emptied over OBEX.
class MasterReset
{
public:
    MasterReset(CategoryServices& services, ObexTransfer& obex, MainView& view);

    // Ticking the box asks for a confirmation; a negative answer unticks it.
    void chkMasterReset_Click();
    // False when the phone refused the reset or did not answer; nothing was erased then.
    bool SetMasterReset();

    // The phone lock code entered last; kept for the whole process.
    QString sPhoneLockCode;

private:
    CategoryServices& m_services;
    ObexTransfer& m_obex;
    MainView& m_view;
};
