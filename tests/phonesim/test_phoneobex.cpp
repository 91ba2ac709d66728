#include "simphonetesting.h"

#include "core/codepage.h"
#include "irmc/irmcobjects.h"
#include "irmc/obexserver.h"
#include "irmc/irmcobexservice.h"

#include <gtest/gtest.h>

using namespace phonesim;

namespace {

const QByteArray kTarget = QByteArray("\x46\x00\x0C", 3) + "IRMC-SYNC";

// A header as the program builds it; a name is UTF-16 big-endian with a terminating zero.
QByteArray header(char id, const QByteArray& value)
{
    const qsizetype length = value.size() + 3;
    return QByteArray(1, id) + char(length >> 8) + char(length & 0xFF) + value;
}

QByteArray nameHeader(const QString& name)
{
    QByteArray utf16;
    for (const QChar c : name)
        utf16 += QByteArray(1, '\0') + codepage::encodeChar(c);
    return header(0x01, utf16 + QByteArray(2, '\0'));
}

// The phone's OBEX service object, used as the program uses it.
struct ObexClient
{
    explicit ObexClient(SimPhoneFixture& fixture) : obex(fixture.phone().Obex()) {}

    bool connect()
    {
        QString unused;
        return obex->Connect(kTarget, packetSize, unused, status);
    }
    bool put(const QString& name, const QByteArray& data)
    {
        QString unused;
        return obex->Put(nameHeader(name) + header(0x49, data), true, unused, status);
    }
    // The whole object, or false when a packet was refused.
    bool get(const QString& name, QByteArray& object)
    {
        object.clear();
        bool final = false;
        while (!final) {
            QByteArray data;
            if (!obex->Get(nameHeader(name), data, final, status))
                return false;
            object += data.mid(3);
        }
        return true;
    }
    bool disconnect()
    {
        QString unused;
        return obex->Disconnect(QString(), unused, status);
    }

    ObexService* obex;
    qint32 packetSize = 0;
    qint32 status = 0;
};

} // namespace

// What the books hold, and that restored entries are kept, is pinned by the golden demo backup
// and the whole-program round trip; here: empty books and the faults of the OBEX side.
TEST(PhoneObex, BlankPhoneHasEmptyBooks)
{
    SimPhoneFixture blank(blankPhone(QStringLiteral("BVT610")));
    ObexClient client(blank);
    ASSERT_TRUE(client.connect());
    QByteArray object;
    ASSERT_TRUE(client.get(irmc::ObexServer::PhonebookName, object));
    EXPECT_TRUE(object.isEmpty());
    ASSERT_TRUE(client.get(irmc::ObexServer::CalendarName, object));
    EXPECT_EQ(object, QByteArray("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nEND:VCALENDAR\r\n"));
}

TEST(PhoneObex, FaultsReachTheServerAndChangesApplyToTheNextRequest)
{
    QJsonObject json = demoPhone();
    json.insert(
        PhoneImage::FaultsKey,
        QJsonObject{{QStringLiteral("obex"),
                     QJsonObject{{QStringLiteral("refusePutMatching"), QStringLiteral("Zo\u00EB")},
                                 {QStringLiteral("failGetAfterPackets"), 1},
                                 {QStringLiteral("refusalCode"), 0xC3}}}});
    SimPhoneFixture fixture(json);
    ObexClient client(fixture);
    ASSERT_TRUE(client.connect());
    QByteArray object;
    EXPECT_FALSE(client.get(irmc::ObexServer::PhonebookName, object));
    EXPECT_EQ(client.status, 0xC3);
    EXPECT_FALSE(client.put(irmc::ObexServer::NewContactName, "BEGIN:VCARD\r\nN:Zo\xEB\r\nEND:VCARD"));
    EXPECT_TRUE(client.put(irmc::ObexServer::NewContactName, "BEGIN:VCARD\r\nN:Zoe\r\nEND:VCARD"));

    Faults faults;
    faults.obex.refuseDisconnect = true;
    fixture.image->setFaults(faults);
    EXPECT_FALSE(client.disconnect());
    faults.obex = {};
    faults.obex.refuseConnect = true;
    fixture.image->setFaults(faults);
    EXPECT_FALSE(client.connect());
}
