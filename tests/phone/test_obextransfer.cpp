#include "statuslog/statuslog.h"
#include "core/programerror.h"
#include "fakeclock.h"
#include "logtexts.h"
#include "phone/obextransfer.h"
#include "phone/phonelink.h"

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

    QStringList logLines() const { return logTexts(log.LogFile()); }
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

TEST_F(ObexTransferTest, NamesAreHexTextOfTheirNameHeaderAndGetSendsTheHeader)
{
    EXPECT_EQ(ObexTransfer::MakeUniCode(QString(QChar(12)) + QStringLiteral("AB")),
              QStringLiteral("000C00410042"));
    EXPECT_EQ(ObexTransfer::ConvertFile(QStringLiteral("telecom/cal.vcs")),
              QStringLiteral("01002300740065006C00650063006F006D002F00630061006C002E0076006300730000"));
    obex.gets = {{true, body(0x49, {}), true}};
    ASSERT_TRUE(get(QStringLiteral("telecom/pb.vcf"), QStringLiteral("vcf")));
    QByteArray expected("\x01\x00\x21", 3);
    for (const char c : QByteArray("telecom/pb.vcf"))
        expected += QByteArray(1, '\0') + c;
    EXPECT_EQ(obex.getNames, QList<QByteArray>{expected + QByteArray(2, '\0')});
}

// Each packet: the name header in the first only, then a body header (end of body in the last)
// whose length counts its three bytes; no packet longer than the packet size.
TEST_F(ObexTransferTest, PutCutsDataIntoPacketsOfThePacketSize)
{
    struct Case
    {
        qint32 packetSize;
        qsizetype nameLength;
        qsizetype dataSize;
        qsizetype firstPacketSize;
        qsizetype packets;
    } cases[] = {
        {0, 20, 400, 240, 2}, {0, 14, 240 - 33 - 3, 240, 1}, {0, 14, 0, 36, 1},
        {1000, 14, 2000, 1000, 3}}; // the default size, exactly one chunk, none, long lengths
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataSize);
        obex.puts.clear();
        link.ObexPacketSize = c.packetSize;
        QByteArray data;
        for (int i = 0; i < c.dataSize; ++i)
            data += char('a' + i % 26);
        const QString name(c.nameLength, QLatin1Char('n'));
        ASSERT_TRUE(transfer.Obex_Put(name, data));
        EXPECT_EQ(link.ObexPacketSize, c.packetSize ? c.packetSize : 240);
        ASSERT_EQ(obex.puts.size(), c.packets);
        EXPECT_EQ(obex.puts[0].first.size(), c.firstPacketSize);
        const qsizetype nameHeader = 2 * c.nameLength + 5;
        EXPECT_EQ(obex.puts[0].first.left(3),
                  QByteArray(1, 0x01) + char(nameHeader >> 8) + char(nameHeader & 0xFF));
        QByteArray sent;
        for (qsizetype i = 0; i < obex.puts.size(); ++i) {
            const QByteArray packet = obex.puts[i].first.mid(i == 0 ? nameHeader : 0);
            const bool last = i == obex.puts.size() - 1;
            EXPECT_EQ(obex.puts[i].second, last);
            EXPECT_EQ(packet.left(3), body(last ? 0x49 : 0x48, packet.mid(3)).left(3));
            EXPECT_LE(obex.puts[i].first.size(), link.ObexPacketSize);
            sent += packet.mid(3);
        }
        EXPECT_EQ(sent, data);
    }
}

TEST_F(ObexTransferTest, RefusedPutThrowsAndStops)
{
    obex.refusePut = 1;
    try {
        transfer.Obex_Put(QStringLiteral("x"), QByteArray(1000, 'x'));
        FAIL() << "no error";
    } catch (const ProgramError& error) {
        EXPECT_EQ(std::tuple(error.number(), error.source(), error.description()),
                  std::tuple(-1, QStringLiteral("PutFile"), QStringLiteral("Failed during obex put")));
    }
    EXPECT_EQ(obex.puts.size(), 1);

    // A name whose header cannot fit into one packet is refused before anything is sent.
    obex.puts.clear();
    obex.refusePut = -1;
    EXPECT_THROW(transfer.Obex_Put(QString(117, QLatin1Char('n')), QByteArray("x")), ProgramError);
    EXPECT_TRUE(obex.puts.isEmpty());
    EXPECT_TRUE(transfer.Obex_Put(QString(116, QLatin1Char('n')), QByteArray("x")));
}

// Entries are cut at their end marker however the packets split them.
TEST_F(ObexTransferTest, GetCutsEntriesAcrossPackets)
{
    const QByteArray card1 = "BEGIN:VCARD\r\nN:One\r\nEND:VCARD\r\n";
    const QByteArray card3 = "BEGIN:VCARD\r\nN:Three\r\nEND:VCARD\r\n";
    const QByteArray calendarObject =
        "BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nSUMMARY:A\r\nEND:VEVENT\r\n"
        "BEGIN:VTODO\r\nSUMMARY:B\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
    const QByteArray plain = "BEGIN:VCARD\r\nEND:VCARD\r\n";
    struct Case
    {
        const char* kind;
        std::deque<GetAnswer> answers;
        QList<QByteArray> entries;
    } cases[] = {
        // The line break after the third card is split between packets; an empty packet between.
        {"vcf",
         {{true, body(0x48, card1 + card1 + card3.left(15)), false},
          {true, body(0x48, card3.mid(15, card3.size() - 16)), false},
          {true, QByteArray(), false},
          {true, body(0x49, card3.right(1)), true}},
         {card1.chopped(1), card1.chopped(1), card3.chopped(1)}},
        // The closing line of the calendar is no entry; the line feed stays with the next one.
        {"vcs",
         {{true, body(0x48, calendarObject.left(60)), false},
          {true, body(0x49, calendarObject.mid(60)), true}},
         {"BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nSUMMARY:A\r\nEND:VEVENT",
          "\nBEGIN:VTODO\r\nSUMMARY:B\r\nEND:VTODO"}},
        // Leading header bytes: six of a name header, three of a body header, or none.
        {"vcf",
         {{true, QByteArray("\x01zzzzz", 6) + plain, false},
          {true, QByteArray("\x49zz") + plain, false},
          {true, plain, true}},
         {plain.chopped(1), plain.chopped(1), plain.chopped(1)}},
        // A line feed alone after the marker, and nothing at all after the last one.
        {"vcf",
         {{true, body(0x49, "BEGIN:VCARD\nEND:VCARD\nBEGIN:VCARD\r\nEND:VCARD"), true}},
         {"BEGIN:VCARD\nEND:VCARD", "BEGIN:VCARD\r\nEND:VCARD"}},
        // An END line is an end only when the next entry or the end of the object follows it:
        // the marker inside a line, or as a line of a broken quoted-printable note, stays in
        // its contact.
        {"vcf",
         {{true, body(0x48, "BEGIN:VCARD\r\nNOTE:x END:VCARD\r\nEND:VCARD\r\n"
                            "BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nEND:VCARD\r\nTEL:1"),
           false},
          {true, body(0x49, "\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:z\r\nEND:VCARD\r\nEND:VCARD\r\n"), true}},
         {"BEGIN:VCARD\r\nNOTE:x END:VCARD\r\nEND:VCARD\r",
          "BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nEND:VCARD\r\nTEL:1\r\nEND:VCARD\r",
          "BEGIN:VCARD\r\nN:z\r\nEND:VCARD\r\nEND:VCARD\r"}},
    };
    for (const Case& c : cases) {
        contacts.clear();
        calendar.clear();
        obex.gets = c.answers;
        const bool vcf = QLatin1String(c.kind) == QLatin1String("vcf");
        ASSERT_TRUE(get(vcf ? QStringLiteral("telecom/pb.vcf") : QStringLiteral("telecom/cal.vcs"),
                        QLatin1String(c.kind)));
        EXPECT_EQ(vcf ? contacts : calendar, c.entries);
        EXPECT_TRUE((vcf ? calendar : contacts).isEmpty());
    }
}

TEST_F(ObexTransferTest, FailedGetKeepsWhatWasHandedOver)
{
    const QByteArray card = "BEGIN:VCARD\r\nEND:VCARD\r\n";
    obex.gets = {{true, body(0x48, card + "BEGIN:VC"), false}, {false, QByteArray(), false}};
    EXPECT_FALSE(get(QStringLiteral("telecom/pb.vcf"), QStringLiteral("vcf")));
    EXPECT_EQ(contacts.size(), 1);
    EXPECT_TRUE(logLines().isEmpty());
    // A service that never moves the transfer on, and one that fails, end it with a log line.
    for (int i = 0; i < 1000; ++i)
        obex.gets.push_back({true, QByteArray(), false});
    EXPECT_FALSE(get(QStringLiteral("telecom/pb.vcf"), QStringLiteral("vcf")));
    obex.throwOnGet = true;
    EXPECT_FALSE(get(QStringLiteral("telecom/pb.vcf"), QStringLiteral("vcf")));
    EXPECT_EQ(logLines(), QStringList(2, QStringLiteral("Error in Obex_Get")));
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
