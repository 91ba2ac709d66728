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

TEST_F(SimObexTest, BackupOfPhonebookAndCalendar)
{
    ASSERT_TRUE(connect());
    ASSERT_TRUE(get(irmc::ObexServer::PhonebookName, QStringLiteral("vcf")));
    ASSERT_EQ(contacts.size(), 12);
    for (int i = 0; i < 12; ++i) {
        const QByteArray expected = obextesting::contact(i + 1);
        EXPECT_TRUE(contacts[i].endsWith("X-IRMC-LUID:" + QByteArray::number(101 + i) +
                                         "\r\nEND:VCARD\r"));
        EXPECT_TRUE(contacts[i].startsWith(expected.left(expected.size() - 9)));
    }
    ASSERT_TRUE(get(irmc::ObexServer::CalendarName, QStringLiteral("vcs")));
    ASSERT_EQ(calendar.size(), 2);
    EXPECT_TRUE(calendar[0].startsWith("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\n"));
    EXPECT_TRUE(calendar[1].startsWith("\nBEGIN:VTODO\r\n"));
    EXPECT_TRUE(calendar[1].endsWith("END:VTODO"));
}

TEST_F(SimObexTest, RestoreCreatesEntriesInSeveralPackets)
{
    ASSERT_TRUE(connect());
    ASSERT_TRUE(transfer.Obex_Put(irmc::ObexServer::PhonebookName, QByteArray()));
    EXPECT_TRUE(store.entries(irmc::IrmcBook::Phonebook).isEmpty());

    // Longer than two packets of the negotiated size.
    const QByteArray big = obextesting::contact(60);
    ASSERT_GT(big.size(), 2 * link.ObexPacketSize);
    ASSERT_TRUE(transfer.Obex_Put(irmc::ObexServer::NewContactName, big));
    const QByteArray event = "BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nSUMMARY:Back\r\n"
                             "END:VEVENT";
    ASSERT_TRUE(transfer.Obex_Put(irmc::ObexServer::NewCalendarEntryName, event));

    ASSERT_EQ(store.entries(irmc::IrmcBook::Phonebook).size(), 1);
    EXPECT_EQ(store.entries(irmc::IrmcBook::Phonebook).first().data, big);
    EXPECT_EQ(store.entries(irmc::IrmcBook::Calendar).last().data,
              QByteArray("BEGIN:VEVENT\r\nSUMMARY:Back\r\nEND:VEVENT"));
    EXPECT_EQ(store.entries(irmc::IrmcBook::Calendar).last().luid, QStringLiteral("114"));

    server.faults().refusePutMatching = "Refused";
    EXPECT_THROW(transfer.Obex_Put(irmc::ObexServer::NewContactName,
                                   "BEGIN:VCARD\r\nN:Refused\r\nEND:VCARD"),
                 ProgramError);
    EXPECT_EQ(link.ResponseStatus, 0xD3);
}

TEST_F(SimObexTest, GetThatFailsMidwayKeepsTheEntriesReceived)
{
    ASSERT_TRUE(connect());
    server.faults().failGetAfterPackets = 3;
    EXPECT_FALSE(get(irmc::ObexServer::PhonebookName, QStringLiteral("vcf")));
    EXPECT_FALSE(contacts.isEmpty());
    EXPECT_LT(contacts.size(), 12);
    EXPECT_EQ(link.ResponseStatus, 0xD3);

    // The next get starts afresh with its name.
    server.faults().failGetAfterPackets = -1;
    contacts.clear();
    EXPECT_TRUE(get(irmc::ObexServer::PhonebookName, QStringLiteral("vcf")));
    EXPECT_EQ(contacts.size(), 12);
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
