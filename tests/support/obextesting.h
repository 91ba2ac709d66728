#pragma once

#include "irmc/irmcstore.h"
#include "irmc/obexpacket.h"

// Contacts and calendar entries for the OBEX tests of the simulated phone.
namespace obextesting {

inline QByteArray contact(int n)
{
    // Windows-1252 letters and a long note, so objects need several packets.
    return "BEGIN:VCARD\r\nVERSION:2.1\r\nN:M\xFCller;J\xF6rg " + QByteArray::number(n) +
           "\r\nTEL;CELL:+4917" + QByteArray::number(1000 + n) + "\r\nNOTE:" +
           QByteArray(n * 10, 'x') + "\r\nEND:VCARD";
}

inline QList<irmc::IrmcEntry> contacts(int count)
{
    QList<irmc::IrmcEntry> entries;
    for (int i = 1; i <= count; ++i)
        entries.append({QString::number(100 + i), contact(i)});
    return entries;
}

inline QList<irmc::IrmcEntry> calendarEntries()
{
    return {{QStringLiteral("7"), "BEGIN:VEVENT\r\nSUMMARY:Meeting\r\nDTSTART:20040517T090000\r\n"
                                  "END:VEVENT"},
            {QStringLiteral("8"), "BEGIN:VTODO\r\nSUMMARY:Call\r\nEND:VTODO"}};
}

} // namespace obextesting
