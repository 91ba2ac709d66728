#include "statuslog/statuslog.h"
#include "core/programerror.h"
#include "fakeclock.h"
#include "phone/obextransfer.h"
#include "phone/phonelink.h"

#include <QFile>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

namespace {

struct GetAnswer
{
    bool result = true;
    QByteArray data;
    bool final = false;
};

// An OBEX service that plays back scripted answers and records what it was handed.
class ScriptedObex : public ObexService
{
public:
    bool Connect(const QByteArray& target, qint32& packetSize, QString&, qint32& status) override
    {
        connectTarget = target;
        if (connectPacketSize > 0)
            packetSize = connectPacketSize;
        status = connectResult ? 0xA0 : 0xC3;
        return connectResult;
    }
    bool Get(const QByteArray& nameHeader, QByteArray& data, bool& final, qint32& status) override
    {
        getNames.append(nameHeader);
        if (throwOnGet)
            throw ProgramError(ProgramError::ComponentFailure, QStringLiteral("Obex"),
                               QStringLiteral("gone"));
        const GetAnswer answer = gets.front();
        gets.pop_front();
        data = answer.data;
        if (answer.final)
            final = true;
        status = answer.result ? 0xA0 : 0xD0;
        return answer.result;
    }
    bool Put(const QByteArray& packet, bool final, QString&, qint32& status) override
    {
        puts.append({packet, final});
        status = puts.size() == refusePut ? 0xC3 : 0xA0;
        return puts.size() != refusePut;
    }
    bool Disconnect(const QString&, QString&, qint32&) override { return disconnectResult; }

    bool connectResult = true;
    qint32 connectPacketSize = 0;
    QByteArray connectTarget;
    std::deque<GetAnswer> gets;
    bool throwOnGet = false;
    QList<QByteArray> getNames;
    QList<std::pair<QByteArray, bool>> puts;
    qsizetype refusePut = -1;
    bool disconnectResult = true;
};

class PhoneWithObex : public CellPhone
{
public:
    bool IsConnected() const override { return true; }
    QString Name() const override { return {}; }
    QString IMEI() const override { return {}; }
    QString Model() const override { return {}; }
    QString SoftwareVersion() const override { return {}; }
    TextMessageObject* TextMessage() override { return nullptr; }
    SettingsObject* General() override { return nullptr; }
    qint32 IsCommandSupported(qint32) override { return 0; }
    ObexService* Obex() override { return obex; }
    ObexService* obex = nullptr;
};

class ObexTransferTest : public ::testing::Test
{
protected:
    ObexTransferTest() : log(wallClock), transfer(link, log, clock)
    {
        log.InitLog(dir.path(), QString());
        link.m_objObex = &obex;
        transfer.setEntryWriters([this](const QByteArray& e) { contacts.append(e); },
                                 [this](const QByteArray& e) { calendar.append(e); });
    }

    QStringList logLines() const
    {
        QFile file(log.LogFile());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.isEmpty())
                lines.append(QString::fromLatin1(line.trimmed()).section(QLatin1Char('\t'), 2));
        }
        return lines;
    }
    bool get(const QString& name, const QString& kind)
    {
        return transfer.Obex_Get(ObexTransfer::ConvertFile(name), kind);
    }

    QTemporaryDir dir;
    FakeWallClock wallClock;
    FakeClock clock;
    StatusLog log;
    PhoneLink link;
    ScriptedObex obex;
    ObexTransfer transfer;
    QList<QByteArray> contacts;
    QList<QByteArray> calendar;
};

QByteArray body(char id, const QByteArray& data)
{
    const qsizetype length = data.size() + 3;
    return QByteArray(1, id) + char(length >> 8) + char(length & 0xFF) + data;
}

TEST(ObexNames, HexTextOfNames)
{
    EXPECT_EQ(ObexTransfer::MakeUniCode(QString()), QString());
    EXPECT_EQ(ObexTransfer::MakeUniCode(QString(QChar(12))), QStringLiteral("000C"));
    EXPECT_EQ(ObexTransfer::MakeUniCode(QStringLiteral("AB")), QStringLiteral("00410042"));
    EXPECT_EQ(ObexTransfer::ConvertFile(QStringLiteral("telecom/pb.vcf")),
              QStringLiteral("01002100740065006C00650063006F006D002F00700062002E0076006300660000"));
    EXPECT_EQ(
        ObexTransfer::ConvertFile(QStringLiteral("telecom/cal.vcs")),
        QStringLiteral("01002300740065006C00650063006F006D002F00630061006C002E0076006300730000"));
}

TEST_F(ObexTransferTest, GetSendsTheDecodedNameHeader)
{
    obex.gets = {{true, body(0x49, {}), true}};
    ASSERT_TRUE(get(QStringLiteral("telecom/pb.vcf"), QStringLiteral("vcf")));
    QByteArray expected("\x01\x00\x21", 3);
    for (const char c : QByteArray("telecom/pb.vcf"))
        expected += QByteArray(1, '\0') + c;
    expected += QByteArray(2, '\0');
    ASSERT_EQ(obex.getNames.size(), 1);
    EXPECT_EQ(obex.getNames.first(), expected);
}

TEST_F(ObexTransferTest, PutCutsDataIntoPacketsOfTheDefaultSize)
{
    const QString name(20, QLatin1Char('n'));
    QByteArray data;
    for (int i = 0; i < 400; ++i)
        data += char('a' + i % 26);
    ASSERT_TRUE(transfer.Obex_Put(name, data));
    EXPECT_EQ(link.ObexPacketSize, 240);
    ASSERT_EQ(obex.puts.size(), 2);
    const QByteArray first = obex.puts[0].first;
    EXPECT_FALSE(obex.puts[0].second);
    ASSERT_EQ(first.size(), 240);
    EXPECT_EQ(first.left(3), QByteArray("\x01\x00\x2D", 3));
    EXPECT_EQ(first.mid(45, 3), QByteArray("\x48\x00\xC3", 3));
    EXPECT_EQ(first.mid(48), data.left(192));
    const QByteArray second = obex.puts[1].first;
    EXPECT_TRUE(obex.puts[1].second);
    EXPECT_EQ(second.left(3), QByteArray("\x49\x00\xD3", 3));
    EXPECT_EQ(second.mid(3), data.mid(192));
}

TEST_F(ObexTransferTest, PutOfExactlyOneChunkOrNothingIsOneFinalPacket)
{
    const QString name = QStringLiteral("telecom/pb.vcf"); // header of 33 bytes
    ASSERT_TRUE(transfer.Obex_Put(name, QByteArray(240 - 33 - 3, 'x')));
    ASSERT_EQ(obex.puts.size(), 1);
    EXPECT_TRUE(obex.puts[0].second);
    EXPECT_EQ(obex.puts[0].first.mid(33, 3), QByteArray("\x49\x00\xCF", 3));

    obex.puts.clear();
    ASSERT_TRUE(transfer.Obex_Put(name, QByteArray()));
    ASSERT_EQ(obex.puts.size(), 1);
    EXPECT_TRUE(obex.puts[0].second);
    EXPECT_EQ(obex.puts[0].first.size(), 36);
    EXPECT_EQ(obex.puts[0].first.mid(33), QByteArray("\x49\x00\x03", 3));
}

TEST_F(ObexTransferTest, LargePacketsCarryTwoByteBodyLengths)
{
    link.ObexPacketSize = 1000;
    const QByteArray data(2000, 'd');
    ASSERT_TRUE(transfer.Obex_Put(QStringLiteral("telecom/pb.vcf"), data));
    ASSERT_EQ(obex.puts.size(), 3);
    // 1000 - 33 - 3 = 964 data bytes, body length 967 = 0x03C7.
    EXPECT_EQ(obex.puts[0].first.mid(33, 3), QByteArray("\x48\x03\xC7", 3));
    EXPECT_EQ(obex.puts[1].first.left(3), QByteArray("\x48\x03\xE8", 3));
    QByteArray sent = obex.puts[0].first.mid(36);
    for (int i = 1; i < 3; ++i) {
        EXPECT_LE(obex.puts[i].first.size(), 1000);
        sent += obex.puts[i].first.mid(3);
    }
    EXPECT_EQ(sent, data);
    EXPECT_TRUE(obex.puts[2].second);
}

TEST_F(ObexTransferTest, RefusedPutThrowsAndStops)
{
    obex.refusePut = 1;
    try {
        transfer.Obex_Put(QStringLiteral("x"), QByteArray(1000, 'x'));
        FAIL() << "no error";
    } catch (const ProgramError& error) {
        EXPECT_EQ(error.number(), -1);
        EXPECT_EQ(error.source(), QStringLiteral("PutFile"));
        EXPECT_EQ(error.description(), QStringLiteral("Failed during obex put"));
    }
    EXPECT_EQ(obex.puts.size(), 1);

    // A name whose header cannot fit into one packet is refused before anything is sent.
    obex.puts.clear();
    obex.refusePut = -1;
    EXPECT_THROW(transfer.Obex_Put(QString(117, QLatin1Char('n')), QByteArray("x")), ProgramError);
    EXPECT_TRUE(obex.puts.isEmpty());
    EXPECT_TRUE(transfer.Obex_Put(QString(116, QLatin1Char('n')), QByteArray("x")));
}

TEST_F(ObexTransferTest, GetCutsCardsAcrossPackets)
{
    const QByteArray card1 = "BEGIN:VCARD\r\nN:One\r\nEND:VCARD\r\n";
    const QByteArray card2 = "BEGIN:VCARD\r\nN:Two\r\nEND:VCARD\r\n";
    const QByteArray card3 = "BEGIN:VCARD\r\nN:Three\r\nEND:VCARD\r\n";
    obex.gets = {{true, body(0x48, card1 + card2 + card3.left(15)), false},
                 {true, body(0x48, card3.mid(15, card3.size() - 16)), false},
                 {true, QByteArray(), false},
                 {true, body(0x49, card3.right(1)), true}};
    ASSERT_TRUE(get(QStringLiteral("telecom/pb.vcf"), QStringLiteral("vcf")));
    ASSERT_EQ(contacts.size(), 3);
    EXPECT_EQ(contacts[0], card1.chopped(1));
    EXPECT_EQ(contacts[1], card2.chopped(1));
    // The line break was split between packets; the entry still keeps its carriage return.
    EXPECT_EQ(contacts[2], card3.chopped(1));
    EXPECT_EQ(obex.getNames.size(), 4);
}

TEST_F(ObexTransferTest, GetCutsCalendarEntriesAndDropsTheClosingLine)
{
    const QByteArray object = "BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nSUMMARY:A\r\n"
                              "END:VEVENT\r\nBEGIN:VTODO\r\nSUMMARY:B\r\nEND:VTODO\r\n"
                              "END:VCALENDAR\r\n";
    obex.gets = {{true, body(0x48, object.left(60)), false},
                 {true, body(0x49, object.mid(60)), true}};
    ASSERT_TRUE(get(QStringLiteral("telecom/cal.vcs"), QStringLiteral("vcs")));
    ASSERT_EQ(calendar.size(), 2);
    EXPECT_EQ(calendar[0],
              QByteArray("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nSUMMARY:A\r\nEND:VEVENT"));
    EXPECT_EQ(calendar[1], QByteArray("\nBEGIN:VTODO\r\nSUMMARY:B\r\nEND:VTODO"));
    EXPECT_TRUE(contacts.isEmpty());
}

TEST_F(ObexTransferTest, LeadingHeaderBytesAreDropped)
{
    const QByteArray card = "BEGIN:VCARD\r\nEND:VCARD\r\n";
    obex.gets = {{true, QByteArray("\x01zzzzz", 6) + card, false},
                 {true, QByteArray("\x49zz") + card, false},
                 {true, card, true}};
    ASSERT_TRUE(get(QStringLiteral("telecom/pb.vcf"), QStringLiteral("vcf")));
    ASSERT_EQ(contacts.size(), 3);
    for (const QByteArray& entry : contacts)
        EXPECT_EQ(entry, card.chopped(1));
}

TEST_F(ObexTransferTest, BareLineFeedsAndAMissingLastLineBreak)
{
    // The marker is followed by a line feed alone, and the last card by nothing at all.
    obex.gets = {{true, body(0x49, "BEGIN:VCARD\nEND:VCARD\nBEGIN:VCARD\r\nEND:VCARD"), true}};
    ASSERT_TRUE(get(QStringLiteral("telecom/pb.vcf"), QStringLiteral("vcf")));
    EXPECT_EQ(contacts, (QList<QByteArray>{"BEGIN:VCARD\nEND:VCARD", "BEGIN:VCARD\r\nEND:VCARD"}));
}

TEST_F(ObexTransferTest, ServiceThatNeverMovesOnEndsTheGet)
{
    for (int i = 0; i < 1000; ++i)
        obex.gets.push_back({true, QByteArray(), false});
    EXPECT_FALSE(get(QStringLiteral("telecom/pb.vcf"), QStringLiteral("vcf")));
    EXPECT_EQ(logLines(), QStringList{QStringLiteral("Error in Obex_Get")});
}

TEST_F(ObexTransferTest, FailedGetKeepsWhatWasHandedOver)
{
    const QByteArray card = "BEGIN:VCARD\r\nEND:VCARD\r\n";
    obex.gets = {{true, body(0x48, card + "BEGIN:VC"), false}, {false, QByteArray(), false}};
    EXPECT_FALSE(get(QStringLiteral("telecom/pb.vcf"), QStringLiteral("vcf")));
    EXPECT_EQ(contacts.size(), 1);
    EXPECT_TRUE(logLines().isEmpty());

    obex.throwOnGet = true;
    EXPECT_FALSE(get(QStringLiteral("telecom/pb.vcf"), QStringLiteral("vcf")));
    EXPECT_EQ(logLines(), QStringList{QStringLiteral("Error in Obex_Get")});
    // A hex name text that is no Name header is refused before anything is asked.
    obex.getNames.clear();
    EXPECT_FALSE(transfer.Obex_Get(QStringLiteral("0100"), QStringLiteral("vcf")));
    EXPECT_TRUE(obex.getNames.isEmpty());
}

TEST_F(ObexTransferTest, ConnectAndDisconnect)
{
    const qint64 start = clock.nowMs();
    EXPECT_FALSE(transfer.ObexConnect());
    EXPECT_EQ(logLines(), QStringList{QStringLiteral("Error in ObexConnect")});
    EXPECT_TRUE(log.statusText().isEmpty());
    EXPECT_EQ(clock.nowMs(), start);

    PhoneWithObex phone;
    link.m_objCellPhone = &phone;
    EXPECT_FALSE(transfer.ObexConnect()); // the phone offers no OBEX object
    EXPECT_EQ(logLines().size(), 2);

    phone.obex = &obex;
    obex.connectPacketSize = 512;
    EXPECT_TRUE(transfer.ObexConnect());
    EXPECT_EQ(obex.connectTarget, QByteArray("\x46\x00\x0CIRMC-SYNC", 12));
    EXPECT_EQ(link.ObexPacketSize, 512);
    EXPECT_EQ(link.ResponseStatus, 0xA0);
    EXPECT_EQ(logLines().last(), QStringLiteral("Made a ObexConnect"));
    EXPECT_GE(clock.nowMs(), start + 1000);

    obex.connectResult = false;
    EXPECT_FALSE(transfer.ObexConnect());
    EXPECT_EQ(logLines().last(), QStringLiteral("Failed to make a ObexConnect"));
    EXPECT_TRUE(log.statusText().contains(
        QStringLiteral("Failed to make a Obex Connect - Restart your phone and the program")));

    const qint64 beforeDisconnect = clock.nowMs();
    EXPECT_TRUE(transfer.ObexDisconnect());
    EXPECT_GE(clock.nowMs(), beforeDisconnect + 1000);
    obex.disconnectResult = false;
    EXPECT_FALSE(transfer.ObexDisconnect());
    link.m_objObex = nullptr;
    EXPECT_FALSE(transfer.ObexDisconnect());
    EXPECT_EQ(logLines().last(), QStringLiteral("Error in ObexDisconnect"));
}

} // namespace
