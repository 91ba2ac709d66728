#pragma once

// The phonebook and calendar store of the libgammu phone, behind its in-process OBEX server.
// Internal to src/realphone.

#include "irmc/irmcstore.h"

#include <memory>

namespace gammu {

class GammuCellPhone;
class GammuSession;
struct StoreKeeping;

// Contacts of the phone memory and the SIM, calendar entries and to-dos, as libgammu's
// vCard 2.1 and vCalendar 1.0. Each call waits for the worker in a local event loop. A
// book that cannot be read throws ProgramError: an empty answer would pass for an empty phone.
class GammuIrmcStore final : public irmc::IrmcStore
{
public:
    GammuIrmcStore(GammuSession& session, GammuCellPhone& phone);
    ~GammuIrmcStore() override;

    // Throws ProgramError unless the whole book could be listed.
    QList<irmc::IrmcEntry> entries(irmc::IrmcBook book) const override;
    // Entries libgammu cannot read or encode are skipped and named; a book the phone lacks is
    // not supported. Throws ProgramError when the listing itself failed.
    irmc::IrmcListing listing(irmc::IrmcBook book) const override;
    // New contacts go into the phone memory.
    QString add(irmc::IrmcBook book, const QByteArray& data) override;
    bool clear(irmc::IrmcBook book) override;
    bool replace(irmc::IrmcBook book, const QString& luid, const QByteArray& data) override;
    bool remove(irmc::IrmcBook book, const QString& luid) override;
    irmc::IrmcIdentity identity() const override;
    int maximumRecords(irmc::IrmcBook book) const override;
    // After a contact refused for want of room, the phone memory's numbers.
    bool full(irmc::IrmcBook book, int& used, int& size) const override;
    // Whether libgammu's fixed fields hold the entry whole.
    bool fits(irmc::IrmcBook book, const QByteArray& data) const override;
    // A phone that keeps one name and one number gets a contact as that; the dummy phone
    // hands a to-do's priority back the other way round.
    KeptForm keptForm(irmc::IrmcBook book, const QByteArray& data) const override;

private:
    GammuSession& m_session;
    GammuCellPhone& m_phone;
    // What the store learned of the phone; used on the worker thread only.
    std::unique_ptr<StoreKeeping> m_keeping;
};

} // namespace gammu
