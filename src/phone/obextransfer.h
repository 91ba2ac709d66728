#pragma once

#include "phone/components.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

struct PhoneLink;
class StatusLog;
class MonotonicClock;

// Moves whole objects between the program and the phone through the phone's OBEX service
// object: builds the OBEX headers byte by byte, cuts outgoing data into packets and cuts
// incoming phonebook and calendar objects into entries. Callers bracket their transfers with
// ObexConnect and ObexDisconnect.
class ObexTransfer
{
public:
    // Receives one complete entry as soon as it has been cut from the incoming data.
    using EntryWriter = std::function<void(const QByteArray& entry)>;

    // Largest body length that one two-byte OBEX length can describe.
    static constexpr qint32 MaxPacketSize = 0xFFFF;
    // Used when the service left the packet size unset.
    static constexpr qint32 DefaultPacketSize = 240;

    ObexTransfer(PhoneLink& link, StatusLog& log, MonotonicClock& clock);

    // The entry writers of the phonebook ("vcf") and the calendar ("vcs").
    void setEntryWriters(EntryWriter bSaveContact, EntryWriter bSaveCal);

    bool ObexConnect();
    bool ObexDisconnect();

    // Four hexadecimal digits per character, from its code-page byte.
    static QString MakeUniCode(const QString& StringToConvert);
    // The Name header of an object name as text, two hexadecimal digits per byte.
    static QString ConvertFile(const QString& name);

    // Fetches the object whose hex Name header text ConvertFile made; "vcf" and "vcs"
    // objects are cut into entries for the entry writers. True when the whole object arrived.
    bool Obex_Get(const QString& strFile, const QString& TypeOfFile);
    // The same, handing every entry of either kind to collect instead of the entry writers.
    bool Obex_Get(const QString& strFile, const QString& TypeOfFile, const EntryWriter& collect);
    // True when the last get was refused because the phone has no such object at all (OBEX's
    // Not Implemented).
    bool notImplemented() const;
    // The entries of the last whole book fetched that the phone could not read, one line each.
    QStringList skippedEntries();
    // The entry as the phone will hand it back once written; as it is without a phone.
    KeptForm keptForm(bool calendar, const QByteArray& entry);
    // Sends strdata as the object strFile. A refused packet throws ProgramError.
    bool Obex_Put(const QString& strFile, const QByteArray& strdata);
    // After a put refused as MemoryFull: the entries the book holds and the most it holds, as
    // the phone tells them; false when it does not.
    bool memoryRoom(bool calendar, int& used, int& size) const;

private:
    void yield();
    void pause(qint64 ms);

    PhoneLink& m_link;
    StatusLog& m_log;
    MonotonicClock& m_clock;
    EntryWriter m_bSaveContact;
    EntryWriter m_bSaveCal;
};
