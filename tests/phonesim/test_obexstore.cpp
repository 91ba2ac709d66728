#include "obextesting.h"
#include "irmc/obexserver.h"
#include "phonesim/imageirmcstore.h"
#include "phonesim/phoneimage.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace phonesim;

namespace {

QJsonObject imageJson()
{
    return QJsonObject{
        {PhoneImage::IdentityKey,
         QJsonObject{{QStringLiteral("name"), QStringLiteral("Test")},
                     {QStringLiteral("imei"), QStringLiteral("350000000000099")},
                     {QStringLiteral("model"), QStringLiteral("PS-9")},
                     {QStringLiteral("softwareVersion"), QStringLiteral("2.0")}}},
        {ImageIrmcStore::PhonebookKey,
         QJsonArray{QJsonObject{{QStringLiteral("luid"), QStringLiteral("40")},
                                {QStringLiteral("data"), QStringLiteral("BEGIN:VCARD\r\nEND:VCARD")}}}}};
}

TEST(ImageIrmcStore, EntriesAreSavedWithTheImageBytesIntact)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("phone.json"));
    std::shared_ptr<PhoneImage> image = PhoneImage::inMemory(imageJson());
    QString error;
    ASSERT_TRUE(image->saveAs(path, error)) << error.toStdString();

    ImageIrmcStore store(image);
    EXPECT_EQ(store.identity().model, QStringLiteral("PS-9"));
    EXPECT_EQ(store.identity().serialNumber, QStringLiteral("350000000000099"));
    // Every byte value, the ones Windows-1252 leaves undefined included.
    QByteArray allBytes;
    for (int b = 1; b < 256; ++b)
        allBytes.append(static_cast<char>(b));
    const QByteArray entry = "BEGIN:VCARD\r\nNOTE:" + allBytes + "\r\nEND:VCARD";
    EXPECT_EQ(store.add(irmc::IrmcBook::Phonebook, entry), QStringLiteral("41"));
    EXPECT_EQ(store.add(irmc::IrmcBook::Calendar, obextesting::calendarEntries().first().data),
              QStringLiteral("42"));

    std::shared_ptr<PhoneImage> reloaded = PhoneImage::load(path, error);
    ASSERT_TRUE(reloaded) << error.toStdString();
    ImageIrmcStore again(reloaded);
    const QList<irmc::IrmcEntry> contacts = again.entries(irmc::IrmcBook::Phonebook);
    ASSERT_EQ(contacts.size(), 2);
    EXPECT_EQ(contacts.last().luid, QStringLiteral("41"));
    EXPECT_EQ(contacts.last().data, entry);
    EXPECT_EQ(again.entries(irmc::IrmcBook::Calendar).size(), 1);

    // An emptied book hands out no LUID it had before; emptying it took number 42.
    ASSERT_TRUE(again.clear(irmc::IrmcBook::Phonebook));
    EXPECT_TRUE(PhoneImage::load(path, error)->category(ImageIrmcStore::PhonebookKey)
                    .toArray()
                    .isEmpty());
    EXPECT_EQ(again.add(irmc::IrmcBook::Phonebook, entry), QStringLiteral("43"));
}

// Each change through the server takes the next number: its change log lists them, and the
// counter and LUIDs go on from there when the phone starts again.
TEST(ImageIrmcStore, ChangesThroughTheServerAreCountedAndLogged)
{
    using namespace irmc::obex;
    std::shared_ptr<PhoneImage> image = PhoneImage::inMemory(imageJson());
    ImageIrmcStore store(image);
    irmc::ObexServer server(store);
    const auto request = [&](quint8 code, const QString& name, const QList<Header>& more = {}) {
        Packet packet{code, code == op::Connect, Version, 0, 0xFFFF, more};
        if (!name.isEmpty())
            packet.headers.prepend(Header::text(hdr::Name, name));
        Packet answer;
        QString error;
        EXPECT_TRUE(decodePacket(server.handle(packet.encode()), code == op::Connect, answer, error));
        return answer;
    };
    const QByteArray card = "BEGIN:VCARD\r\nN:Berg;Anna\r\nEND:VCARD";
    const Header body = Header::bytes(hdr::EndOfBody, card);
    ASSERT_EQ(request(op::Connect, {}, {Header::bytes(hdr::Target, "IRMC-SYNC")}).code,
              response::Success);
    EXPECT_EQ(request(op::PutFinal, QStringLiteral("telecom/pb/luid/.vcf"), {body}).code,
              response::Success);
    EXPECT_EQ(request(op::PutFinal, QStringLiteral("telecom/pb/luid/40.vcf"), {body}).code,
              response::Success);
    EXPECT_EQ(request(op::PutFinal, QStringLiteral("telecom/pb/luid/41.vcf")).code,
              response::Success);
    const Header* log =
        request(op::GetFinal, QStringLiteral("telecom/pb/luid/40.log")).find(hdr::EndOfBody);
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->value.endsWith("Maximum-Records:1000\r\nM:42::40\r\nH:43::41\r\n"))
        << log->value.toStdString();

    ImageIrmcStore restarted(image);
    EXPECT_EQ(restarted.changeCounter(irmc::IrmcBook::Phonebook), 43);
    EXPECT_EQ(restarted.add(irmc::IrmcBook::Phonebook, card), QStringLiteral("44"));
}

TEST(ImageIrmcStore, LuidsStayUniqueWhenTheBookChangesBehindTheStore)
{
    std::shared_ptr<PhoneImage> image = PhoneImage::inMemory(imageJson());
    ImageIrmcStore first(image);
    ImageIrmcStore second(image);
    const QByteArray card = "BEGIN:VCARD\r\nN:Berg;Anna\r\nEND:VCARD";
    EXPECT_EQ(first.add(irmc::IrmcBook::Phonebook, card), QStringLiteral("41"));
    EXPECT_EQ(first.add(irmc::IrmcBook::Phonebook, card), QStringLiteral("42"));
    // Another store on the same phone added an entry since the first one's last add.
    EXPECT_EQ(second.add(irmc::IrmcBook::Phonebook, card), QStringLiteral("43"));
    EXPECT_EQ(first.add(irmc::IrmcBook::Phonebook, card), QStringLiteral("44"));

    // The book replaced outright, with a LUID above every one handed out so far.
    image->setCategory(ImageIrmcStore::PhonebookKey,
                       QJsonArray{QJsonObject{{QStringLiteral("luid"), QStringLiteral("100")},
                                              {QStringLiteral("data"), QStringLiteral("x")}}});
    EXPECT_EQ(first.add(irmc::IrmcBook::Phonebook, card), QStringLiteral("101"));
    EXPECT_EQ(first.entries(irmc::IrmcBook::Phonebook).size(), 2);
}

} // namespace
