#include "obextesting.h"
#include "irmc/irmcobjects.h"
#include "irmc/obexserver.h"

#include <gtest/gtest.h>

using namespace irmc;
using namespace irmc::obex;

namespace {

class ObexServerTest : public ::testing::Test
{
protected:
    ObexServerTest() : server(store, 300)
    {
        store.setEntries(irmc::IrmcBook::Phonebook, obextesting::contacts(12));
        store.setEntries(irmc::IrmcBook::Calendar, obextesting::calendarEntries());
    }

    Packet send(quint8 code, const QList<Header>& headers = {})
    {
        Packet request{code, code == op::Connect, Version, 0, 0xFFFF, headers};
        if (code != op::Connect && connectionId != 0)
            request.headers.prepend(Header::word(hdr::ConnectionId, connectionId));
        return sendBytes(request.encode(), code == op::Connect);
    }
    Packet sendBytes(const QByteArray& bytes, bool connect = false)
    {
        Packet answer;
        QString error;
        const QByteArray reply = server.feed(bytes);
        EXPECT_TRUE(decodePacket(reply, connect, answer, error)) << error.toStdString();
        return answer;
    }
    void connect(quint16 clientSize = 0xFFFF)
    {
        Packet request{op::Connect, true, Version, 0, clientSize,
                       {Header::bytes(hdr::Target, irmc::ObexServer::IrmcTarget)}};
        const Packet answer = sendBytes(request.encode(), true);
        ASSERT_EQ(answer.code, response::Success);
        connectionId = answer.find(hdr::ConnectionId)->toWord();
    }
    // The whole object, checking the packets on the way.
    QByteArray getObject(const QString& name, int* packets = nullptr, quint8* code = nullptr)
    {
        QByteArray object;
        Packet answer = send(op::GetFinal, {Header::text(hdr::Name, name)});
        int count = 0;
        while (answer.code == response::Continue || answer.code == response::Success) {
            ++count;
            EXPECT_LE(answer.encode().size(), server.sendPacketSize());
            const Header* body = answer.find(answer.code == response::Success ? hdr::EndOfBody
                                                                              : hdr::Body);
            EXPECT_NE(body, nullptr);
            if (body)
                object += body->value;
            if (answer.code == response::Success)
                break;
            answer = send(op::GetFinal);
        }
        if (packets)
            *packets = count;
        if (code)
            *code = answer.code;
        return object;
    }
    quint8 putObject(const QString& name, const QByteArray& data)
    {
        // In two packets, as a client with a small packet size sends it.
        const qsizetype half = data.size() / 2;
        const Packet first = send(op::Put, {Header::text(hdr::Name, name),
                                            Header::bytes(hdr::Body, data.left(half))});
        if (first.code != response::Continue)
            return first.code;
        return send(op::PutFinal, {Header::bytes(hdr::EndOfBody, data.mid(half))}).code;
    }

    irmc::MemoryIrmcStore store;
    irmc::ObexServer server;
    quint32 connectionId = 0;
};

TEST_F(ObexServerTest, ConnectOnlyToTheIrmcTarget)
{
    Packet wrong = send(op::Connect, {Header::bytes(hdr::Target, "OTHER")});
    EXPECT_EQ(wrong.code, response::Forbidden);
    EXPECT_EQ(send(op::Connect).code, response::Forbidden);
    EXPECT_FALSE(server.isConnected());
    EXPECT_EQ(send(op::GetFinal, {Header::text(hdr::Name, irmc::ObexServer::PhonebookName)}).code,
              response::Forbidden);

    const Packet good = send(op::Connect, {Header::bytes(hdr::Target, "IRMC-SYNC")});
    EXPECT_EQ(good.code, response::Success);
    EXPECT_EQ(good.maxPacketSize, 300);
    ASSERT_NE(good.find(hdr::Who), nullptr);
    EXPECT_EQ(good.find(hdr::Who)->value, QByteArray("IRMC-SYNC"));
    ASSERT_NE(good.find(hdr::ConnectionId), nullptr);

    // A request for another connection is not served.
    connectionId = good.find(hdr::ConnectionId)->toWord() + 1;
    EXPECT_EQ(send(op::GetFinal, {Header::text(hdr::Name, irmc::ObexServer::PhonebookName)}).code,
              response::ServiceUnavailable);
}

TEST_F(ObexServerTest, MalformedRequestsAreRefused)
{
    connect();
    // A Name header of odd length.
    const QByteArray oddName = QByteArray("\x83\x00\x09\x01\x00\x06\x00\x61\x00", 9);
    EXPECT_EQ(sendBytes(oddName).code, response::BadRequest);
    EXPECT_EQ(send(op::Put, {Header::bytes(hdr::Body, "x")}).code, response::BadRequest);
    EXPECT_EQ(send(op::GetFinal).code, response::BadRequest);
    EXPECT_EQ(send(op::PutFinal, {Header::bytes(hdr::Body, QByteArray(400, 'b'))}).code,
              response::EntityTooLarge);
    // A length field below the packet prefix cannot be framed: the stream is dropped.
    EXPECT_EQ(sendBytes(QByteArray("\x83\x00\x01\x83", 4)).code, response::BadRequest);
    EXPECT_EQ(getObject(irmc::ObexServer::DeviceInfoName).isEmpty(), false);
}

TEST_F(ObexServerTest, GetSendsTheWholePhonebookInPackets)
{
    connect(400);
    int packets = 0;
    const QByteArray object = getObject(irmc::ObexServer::PhonebookName, &packets);
    EXPECT_EQ(object, irmc::phonebookObject(store.entries(irmc::IrmcBook::Phonebook)));
    EXPECT_GT(packets, 5);
    EXPECT_EQ(object.count("BEGIN:VCARD"), 12);
    EXPECT_TRUE(object.contains("xxx\r\nX-IRMC-LUID:112\r\nEND:VCARD\r\n"));
    EXPECT_TRUE(object.contains("N:M\xFCller;J\xF6rg 1\r\n"));

    const QByteArray calendar = getObject(irmc::ObexServer::CalendarName);
    EXPECT_TRUE(calendar.startsWith("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\n"));
    EXPECT_TRUE(calendar.endsWith("X-IRMC-LUID:8\r\nEND:VTODO\r\nEND:VCALENDAR\r\n"));

    const QByteArray info = getObject(irmc::ObexServer::DeviceInfoName);
    for (const char* line : {"MANU:", "MOD:", "SN:", "IRMC-VERSION:", "SW-VERSION:", "PB-TYPE-TX:",
                             "PB-TYPE-RX:", "CAL-TYPE-TX:", "CAL-TYPE-RX:"})
        EXPECT_TRUE(info.contains(QByteArray("\r\n") + line) || info.startsWith(line)) << line;
    EXPECT_TRUE(getObject(irmc::ObexServer::PhonebookInfoName).contains("Total-Records:12\r\n"));
    EXPECT_TRUE(getObject(irmc::ObexServer::CalendarInfoName).contains("Maximum-Records:500\r\n"));

    quint8 code = 0;
    getObject(QStringLiteral("telecom/nothing.vcf"), nullptr, &code);
    EXPECT_EQ(code, response::NotFound);
}

TEST_F(ObexServerTest, PutCreatesEntriesWithFreshLuids)
{
    connect();
    EXPECT_EQ(putObject(irmc::ObexServer::NewContactName,
                        "BEGIN:VCARD\r\nN:New\r\nX-IRMC-LUID:101\r\nEND:VCARD"),
              response::Success);
    QList<irmc::IrmcEntry> contacts = store.entries(irmc::IrmcBook::Phonebook);
    ASSERT_EQ(contacts.size(), 13);
    EXPECT_EQ(contacts.last().luid, QStringLiteral("113"));
    EXPECT_EQ(contacts.last().data, QByteArray("BEGIN:VCARD\r\nN:New\r\nEND:VCARD"));

    // As the program sends a calendar entry: no closing VCALENDAR line, no final line break.
    EXPECT_EQ(putObject(irmc::ObexServer::NewCalendarEntryName,
                        "BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VTODO\r\nSUMMARY:T\r\nEND:VTODO"),
              response::Success);
    ASSERT_EQ(store.entries(irmc::IrmcBook::Calendar).size(), 3);
    EXPECT_EQ(store.entries(irmc::IrmcBook::Calendar).last().data,
              QByteArray("BEGIN:VTODO\r\nSUMMARY:T\r\nEND:VTODO"));

    EXPECT_EQ(putObject(irmc::ObexServer::NewContactName, "N:No card\r\n"), response::BadRequest);
    EXPECT_EQ(putObject(irmc::ObexServer::NewContactName, "BEGIN:VCARD\r\nN:Open\r\n"),
              response::BadRequest);
    EXPECT_EQ(putObject(irmc::ObexServer::NewCalendarEntryName, "BEGIN:VCALENDAR\r\nEND:VCALENDAR"),
              response::BadRequest);
    EXPECT_EQ(store.entries(irmc::IrmcBook::Phonebook).size(), 13);

    // Emptied and filled again, the phone never hands out an old LUID.
    EXPECT_EQ(putObject(irmc::ObexServer::PhonebookName, QByteArray()), response::Success);
    EXPECT_TRUE(store.entries(irmc::IrmcBook::Phonebook).isEmpty());
    EXPECT_EQ(store.entries(irmc::IrmcBook::Calendar).size(), 3);
    EXPECT_EQ(putObject(irmc::ObexServer::NewContactName, obextesting::contact(1)), response::Success);
    EXPECT_EQ(store.entries(irmc::IrmcBook::Phonebook).first().luid, QStringLiteral("115"));
    EXPECT_EQ(putObject(irmc::ObexServer::CalendarName, QByteArray()), response::Success);
    EXPECT_TRUE(store.entries(irmc::IrmcBook::Calendar).isEmpty());
}

// The level-4 operations in the order a synchronising client makes them, each on the book as
// the rows before it left it.
TEST_F(ObexServerTest, EntriesByLuidWithChangeCounterAndLog)
{
    enum Op { Get, Put, Delete, PutExpecting2 };
    struct Step
    {
        Op op;
        const char* name;
        QByteArray data;
        quint8 code;
        // The end of the object got, or the application parameters of the put's answer.
        QByteArray answer;
    };
    const QByteArray card = "BEGIN:VCARD\r\nN:Replaced\r\nEND:VCARD";
    const Step steps[] = {
        {Get, "telecom/pb/info.log", {}, response::Success, "IEL:0x10\r\nHD:YES\r\n"},
        {Get, "telecom/cal/info.log", {}, response::Success, "IEL:0x10\r\nHD:YES\r\n"},
        {Get, "telecom/pb/luid/cc.log", {}, response::Success, "0"},
        {Get, "telecom/pb/luid/102.vcf", {}, response::Success,
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN:M\xFCller;J\xF6rg 2\r\nTEL;CELL:+49171002\r\n"
         "NOTE:xxxxxxxxxxxxxxxxxxxx\r\nX-IRMC-LUID:102\r\nEND:VCARD\r\n"},
        {Get, "telecom/cal/luid/8.vcs", {}, response::Success,
         "BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VTODO\r\nSUMMARY:Call\r\nX-IRMC-LUID:8\r\n"
         "END:VTODO\r\nEND:VCALENDAR\r\n"},
        {Get, "telecom/pb/luid/999.vcf", {}, response::NotFound, {}},
        {Get, "telecom/pb/luid/8.vcs", {}, response::NotFound, {}},
        {Put, "telecom/pb/luid/105.vcf", card, response::Success, "\x01\x03" "105\x02\x01" "1"},
        {Put, "telecom/pb/luid/999.vcf", card, response::NotFound, {}},
        {Put, "telecom/pb/luid/105.vcf", card + "\r\n" + card, response::BadRequest, {}},
        {Delete, "telecom/pb/luid/999.vcf", {}, response::NotFound, {}},
        {Delete, "telecom/pb/luid/106.vcf", {}, response::Success, "\x01\x03" "106\x02\x01" "2"},
        {Put, "telecom/pb/luid/.vcf", card, response::Success, "\x01\x03" "113\x02\x01" "3"},
        {Put, "telecom/pb/luid/105.vcf", card, response::Success, "\x01\x03" "105\x02\x01" "4"},
        {Delete, "telecom/cal/luid/7.vcs", {}, response::Success, "\x01\x01" "7\x02\x01" "1"},
        // The book changed after counter 2: the put is refused.
        {PutExpecting2, "telecom/pb/luid/113.vcf", card, response::PreconditionFailed, {}},
        {Get, "telecom/pb/luid/cc.log", {}, response::Success, "4"},
        {Get, "telecom/pb/luid/0.log", {}, response::Success,
         "Total-Records:12\r\nMaximum-Records:500\r\nH:2::106\r\nM:3::113\r\nM:4::105\r\n"},
        {Get, "telecom/pb/luid/4.log", {}, response::Success, "Maximum-Records:500\r\n"},
        {Get, "telecom/pb/luid/5.log", {}, response::Success, "Maximum-Records:500\r\n*\r\n"},
        // Emptied as a whole, the book has no history a client could follow.
        {Put, "telecom/pb.vcf", {}, response::Success, {}},
        {Get, "telecom/pb/luid/4.log", {}, response::Success, "Maximum-Records:500\r\n*\r\n"},
        {Get, "telecom/pb/luid/cc.log", {}, response::Success, "5"},
    };
    connect();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const QString name = QString::fromLatin1(step.name);
        if (step.op == Get) {
            quint8 code = 0;
            const QByteArray object = getObject(name, nullptr, &code);
            EXPECT_EQ(code, step.code);
            EXPECT_TRUE(object.endsWith(step.answer)) << object.toStdString();
            continue;
        }
        QList<Header> headers{Header::text(hdr::Name, name)};
        if (step.op == PutExpecting2)
            headers.append(Header::bytes(hdr::AppParameters, QByteArray("\x11\x01" "2", 3)));
        if (step.op != Delete)
            headers.append(Header::bytes(hdr::EndOfBody, step.data));
        const Packet answer = send(op::PutFinal, headers);
        EXPECT_EQ(answer.code, step.code);
        const Header* parameters = answer.find(hdr::AppParameters);
        EXPECT_EQ(parameters ? parameters->value : QByteArray(), step.answer);
    }
    EXPECT_TRUE(store.entries(irmc::IrmcBook::Phonebook).isEmpty());
    const QList<irmc::IrmcEntry> calendar = store.entries(irmc::IrmcBook::Calendar);
    ASSERT_EQ(calendar.size(), 1);
    EXPECT_EQ(calendar.first().luid, QStringLiteral("8"));
}

TEST_F(ObexServerTest, FaultsOnDemand)
{
    server.faults().refuseConnect = true;
    EXPECT_EQ(send(op::Connect, {Header::bytes(hdr::Target, "IRMC-SYNC")}).code,
              response::ServiceUnavailable);
    server.faults().refuseConnect = false;
    connect(300);

    server.faults().failGetAfterPackets = 2;
    int packets = 0;
    quint8 code = 0;
    getObject(irmc::ObexServer::PhonebookName, &packets, &code);
    EXPECT_EQ(packets, 2);
    EXPECT_EQ(code, response::ServiceUnavailable);
    server.faults().failGetAfterPackets = -1;

    server.faults().refusePutNumber = 2;
    server.faults().refusePutMatching = "Refuse me";
    EXPECT_EQ(putObject(irmc::ObexServer::NewContactName, obextesting::contact(1)), response::Success);
    EXPECT_EQ(putObject(irmc::ObexServer::NewContactName, obextesting::contact(2)),
              response::ServiceUnavailable);
    EXPECT_EQ(putObject(irmc::ObexServer::NewContactName, "BEGIN:VCARD\r\nN:Refuse me\r\nEND:VCARD"),
              response::ServiceUnavailable);
    EXPECT_EQ(store.entries(irmc::IrmcBook::Phonebook).size(), 13);

    server.faults().refuseDisconnect = true;
    EXPECT_EQ(send(op::Disconnect).code, response::ServiceUnavailable);
    EXPECT_TRUE(server.isConnected());
    server.faults().refuseDisconnect = false;
    EXPECT_EQ(send(op::Disconnect).code, response::Success);
    EXPECT_FALSE(server.isConnected());
}

TEST_F(ObexServerTest, StreamIsSplitIntoPackets)
{
    Packet request{op::Connect, true, Version, 0, 0xFFFF,
                   {Header::bytes(hdr::Target, irmc::ObexServer::IrmcTarget)}};
    const QByteArray wire = request.encode() + Packet{op::Disconnect, false, Version, 0, 0, {}}.encode();
    QByteArray answers;
    for (const char byte : wire) {
        answers += server.feed(QByteArray(1, byte));
        if (answers.isEmpty()) {
            EXPECT_FALSE(server.isConnected());
        }
    }
    // The Connect answer (with its fields and two headers), then the Disconnect answer.
    ASSERT_EQ(completePacketLength(answers), 7 + 5 + 12);
    EXPECT_EQ(answers.mid(24), QByteArray("\xA0\x00\x03", 3));
}

} // namespace

TEST(ObexServerBound, APutGrowingPastTheBoundIsRefusedAtThePacketThatCrossesIt)
{
    irmc::MemoryIrmcStore store;
    store.setEntries(irmc::IrmcBook::Phonebook, obextesting::contacts(3));
    irmc::ObexServer server(store, 0xFFFF);
    const auto send = [&](quint8 code, const QList<Header>& headers) {
        const Packet request{code, code == op::Connect, Version, 0, 0xFFFF, headers};
        Packet answer;
        QString error;
        EXPECT_TRUE(decodePacket(server.feed(request.encode()), code == op::Connect, answer, error));
        return answer.code;
    };
    ASSERT_EQ(send(op::Connect, {Header::bytes(hdr::Target, irmc::ObexServer::IrmcTarget)}),
              response::Success);
    const QByteArray chunk(60000, 'x');
    qsizetype sent = 0;
    quint8 code = send(op::Put, {Header::text(hdr::Name, irmc::ObexServer::PhonebookName)});
    while (code == response::Continue && sent < 2 * irmc::ObexServer::MaxPutBytes) {
        code = send(op::Put, {Header::bytes(hdr::Body, chunk)});
        sent += chunk.size();
    }
    EXPECT_EQ(code, response::EntityTooLarge);
    EXPECT_GT(sent, irmc::ObexServer::MaxPutBytes);
    EXPECT_LE(sent - chunk.size(), irmc::ObexServer::MaxPutBytes);
    // What came before is dropped: the rest of the put has nothing to add to.
    EXPECT_EQ(send(op::PutFinal, {Header::bytes(hdr::EndOfBody, "END:VCARD\r\n")}), response::BadRequest);
    EXPECT_EQ(store.entries(irmc::IrmcBook::Phonebook).size(), 3);
}
