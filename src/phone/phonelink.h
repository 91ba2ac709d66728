#pragma once

#include "phone/components.h"

#include <QPointer>
#include <QVariantList>

// The program-wide state of the link to the phone: the component references the main window
// holds, the shared command variables, and the connection and model flags.
struct PhoneLink
{
    QPointer<PhoneMonitor> m_objPhoneMonitor;
    QPointer<CellPhone> m_objCellPhone;
    QPointer<SettingsObject> m_objGeneral;
    QPointer<TextMessageObject> m_objTextMessage;
    QPointer<ObexService> m_objObex;

    QVariantList CommandParams;
    QVariantList ResponseData;
    qint32 ResponseStatus = 0;
    bool WaitEvent = false;
    bool bNoMorePDU = false;

    bool bPhoneConnected = false;
    // Set whenever the phone goes away; a restore clears it when it starts and stops once it
    // is set again.
    bool bPhoneLost = false;
    bool bPhonebookSupported = false;
    bool bCalendarSupported = false;
    bool bKnownPhoneType = false;

    // Largest number of header and data bytes in one OBEX packet; kept across connections.
    qint32 ObexPacketSize = 0;
};
