#include "statuslog/statuslog.h"
#include "core/programerror.h"
#include "fakeclock.h"
#include "obextesting.h"
#include "phone/obextransfer.h"
#include "phone/phonelink.h"
#include "irmc/obexserver.h"
#include "irmc/irmcobexservice.h"

#include <gtest/gtest.h>

using namespace irmc;

namespace {

// The program's OBEX transfer talking to the simulated phone's server through the client.
class SimObexTest : public ::testing::Test
{
protected:
    SimObexTest()
        : server(store, 300), service(irmc::IrmcObexService::directTo(server)), log(wallClock),
          transfer(link, log, clock)
    {
        store.setEntries(irmc::IrmcBook::Phonebook, obextesting::contacts(12));
        store.setEntries(irmc::IrmcBook::Calendar, obextesting::calendarEntries());
        link.m_objObex = &service;
        transfer.setEntryWriters([this](const QByteArray& e) { contacts.append(e); },
                                 [this](const QByteArray& e) { calendar.append(e); });
    }

    bool connect()
    {
        QString unused;
        return service.Connect(QByteArray("\x46\x00\x0CIRMC-SYNC", 12), link.ObexPacketSize,
                               unused, link.ResponseStatus);
    }
    bool get(const QString& name, const QString& kind)
    {
        return transfer.Obex_Get(ObexTransfer::ConvertFile(name), kind);
    }

    irmc::MemoryIrmcStore store;
    irmc::ObexServer server;
    irmc::IrmcObexService service;
    FakeWallClock wallClock;
    FakeClock clock;
    StatusLog log;
    PhoneLink link;
    ObexTransfer transfer;
    QList<QByteArray> contacts;
    QList<QByteArray> calendar;
};

TEST_F(SimObexTest, ConnectNegotiatesTheRoomForTheProgramsHeaders)
{
    QString unused;
    qint32 size = 0;
    EXPECT_FALSE(service.Connect(QByteArray("\x46\x00\x08OBEX", 8), size, unused,
                                 link.ResponseStatus));
    EXPECT_EQ(link.ResponseStatus, 0xC3);
    EXPECT_EQ(size, 0);

    ASSERT_TRUE(connect());
    EXPECT_EQ(link.ResponseStatus, 0xA0);
    EXPECT_EQ(link.ObexPacketSize, 300 - irmc::IrmcObexService::FramingSize);
    QString empty;
    EXPECT_TRUE(service.Disconnect(QString(), empty, link.ResponseStatus));
    EXPECT_FALSE(server.isConnected());
}

// Both ways through the server in packets of the negotiated size.
TEST_F(SimObexTest, BackupAndRestoreOfEntries)
{
    ASSERT_TRUE(connect());
    ASSERT_TRUE(get(irmc::ObexServer::PhonebookName, QStringLiteral("vcf")));
    ASSERT_EQ(contacts.size(), 12);
    EXPECT_TRUE(contacts[11].endsWith("xxx\r\nX-IRMC-LUID:112\r\nEND:VCARD\r"));
    ASSERT_TRUE(get(irmc::ObexServer::CalendarName, QStringLiteral("vcs")));
    EXPECT_EQ(calendar.size(), 2);

    ASSERT_TRUE(transfer.Obex_Put(irmc::ObexServer::PhonebookName, QByteArray()));
    EXPECT_TRUE(store.entries(irmc::IrmcBook::Phonebook).isEmpty());

    // Longer than two packets of the negotiated size.
    const QByteArray big = obextesting::contact(60);
    ASSERT_GT(big.size(), 2 * link.ObexPacketSize);
    ASSERT_TRUE(transfer.Obex_Put(irmc::ObexServer::NewContactName, big));

    ASSERT_EQ(store.entries(irmc::IrmcBook::Phonebook).size(), 1);
    EXPECT_EQ(store.entries(irmc::IrmcBook::Phonebook).first().data, big);
}

TEST(IrmcObexService, BrokenTransportIsAComponentFailure)
{
    irmc::IrmcObexService service([](const QByteArray&) { return QByteArray("\xA0\x00\x09", 3); });
    QString unused;
    qint32 size = 0;
    qint32 status = 0;
    try {
        service.Connect(QByteArray("\x46\x00\x0CIRMC-SYNC", 12), size, unused, status);
        FAIL() << "no error";
    } catch (const ProgramError& error) {
        EXPECT_EQ(error.number(), ProgramError::ComponentFailure);
    }
}

} // namespace
