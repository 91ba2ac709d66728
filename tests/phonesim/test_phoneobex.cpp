#include "simphonetesting.h"

#include "core/codepage.h"
#include "phone/variants.h"
#include "phonesim/imageirmcstore.h"
#include "irmc/irmcobjects.h"
#include "irmc/obexserver.h"
#include "phonesim/phonecategories.h"
#include "irmc/irmcobexservice.h"
#include "phonesim/simstatus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace phonesim;

namespace {

const QByteArray kTarget = QByteArray("\x46\x00\x0C", 3) + "IRMC-SYNC";

QByteArray nameHeader(const QString& name)
{
    QByteArray header("\x01", 1);
    const int length = 2 * static_cast<int>(name.size()) + 5;
    header.append(static_cast<char>(length >> 8));
    header.append(static_cast<char>(length & 0xFF));
    for (const QChar c : name) {
        header.append('\0');
        header.append(codepage::encodeChar(c));
    }
    return header + QByteArray(2, '\0');
}

QByteArray endOfBody(const QByteArray& data)
{
    QByteArray header("\x49", 1);
    header.append(static_cast<char>((data.size() + 3) >> 8));
    header.append(static_cast<char>((data.size() + 3) & 0xFF));
    return header + data;
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
        return obex->Put(nameHeader(name) + endOfBody(data), true, unused, status);
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

TEST(PhoneObex, DemoPhoneServesItsPhonebookAndCalendarOverTheImage)
{
    SimPhoneFixture fixture;
    ObexClient client(fixture);
    ASSERT_NE(client.obex, nullptr);
    ASSERT_TRUE(client.connect());
    QByteArray phonebook;
    ASSERT_TRUE(client.get(irmc::ObexServer::PhonebookName, phonebook));
    EXPECT_GE(phonebook.count("BEGIN:VCARD"), 12);
    EXPECT_EQ(phonebook.count("BEGIN:VCARD"), phonebook.count("X-IRMC-LUID:"));
    // Accented names are single Windows-1252 bytes, never UTF-8.
    EXPECT_TRUE(phonebook.contains("Lindqvist;Zo\xEB\r\n"));
    // The quoted-printable address goes on over its soft line break.
    EXPECT_TRUE(phonebook.contains("Storgatan 12=0D=0A=\r\nL=E4genhet"));
    const QList<irmc::IrmcEntry> cards = ImageIrmcStore(fixture.image).entries(irmc::IrmcBook::Phonebook);
    EXPECT_TRUE(std::any_of(cards.begin(), cards.end(), [&client](const irmc::IrmcEntry& e) {
        return e.data.size() > client.packetSize;
    }));

    QByteArray calendar;
    ASSERT_TRUE(client.get(irmc::ObexServer::CalendarName, calendar));
    EXPECT_TRUE(calendar.startsWith("BEGIN:VCALENDAR\r\nVERSION:1.0\r\n"));
    EXPECT_GE(calendar.count("BEGIN:VEVENT"), 3);
    EXPECT_GE(calendar.count("BEGIN:VTODO"), 2);

    // A new contact is kept in the image with a LUID the phone never gave before.
    ASSERT_TRUE(client.put(irmc::ObexServer::NewContactName, "BEGIN:VCARD\r\nN:New;One\r\nEND:VCARD"))
        << client.status;
    const QJsonArray stored = fixture.image->category(ImageIrmcStore::PhonebookKey).toArray();
    EXPECT_EQ(stored.last().toObject().value(QStringLiteral("luid")).toString().toInt(), 14);
    EXPECT_TRUE(client.disconnect());
}

TEST(PhoneObex, BlankPhoneHasEmptyBooks)
{
    SimPhoneFixture fixture(blankPhone(QStringLiteral("BVT610")));
    ObexClient client(fixture);
    ASSERT_TRUE(client.connect());
    QByteArray object;
    ASSERT_TRUE(client.get(irmc::ObexServer::PhonebookName, object));
    EXPECT_TRUE(object.isEmpty());
    ASSERT_TRUE(client.get(irmc::ObexServer::CalendarName, object));
    EXPECT_EQ(object, QByteArray("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nEND:VCALENDAR\r\n"));
}

TEST(PhoneObex, FaultsDeclaredInTheImageReachTheServer)
{
    QJsonObject json = demoPhone();
    json.insert(
        PhoneImage::FaultsKey,
        QJsonObject{{QStringLiteral("obex"),
                     QJsonObject{{QStringLiteral("refusePutMatching"), QStringLiteral("Zo\u00EB")},
                                 {QStringLiteral("failGetAfterPackets"), 1},
                                 {QStringLiteral("refusalCode"), 0xC3}}}});
    QString error;
    auto image = PhoneImage::fromJson(json, error);
    ASSERT_TRUE(image) << error.toStdString();
    EXPECT_EQ(image->faults().obex.refusePutMatching, QByteArray("Zo\xEB"));
    EXPECT_EQ(image->toJson().value(PhoneImage::FaultsKey), json.value(PhoneImage::FaultsKey));

    SimPhoneFixture fixture(json);
    ObexClient client(fixture);
    ASSERT_TRUE(client.connect());
    QByteArray object;
    EXPECT_FALSE(client.get(irmc::ObexServer::PhonebookName, object));
    EXPECT_EQ(client.status, 0xC3);
    EXPECT_FALSE(client.put(irmc::ObexServer::NewContactName, "BEGIN:VCARD\r\nN:Zo\xEB\r\nEND:VCARD"));
    EXPECT_TRUE(client.put(irmc::ObexServer::NewContactName, "BEGIN:VCARD\r\nN:Zoe\r\nEND:VCARD"));

    // Changed while the phone is in use: the next request sees it.
    Faults faults;
    faults.obex.refuseDisconnect = true;
    fixture.image->setFaults(faults);
    EXPECT_FALSE(client.disconnect());
    faults.obex = {};
    faults.obex.refuseConnect = true;
    fixture.image->setFaults(faults);
    EXPECT_FALSE(client.connect());
}

TEST(PhoneObex, MisspeltOrOutOfRangeObexFaultsMakeTheImageMalformed)
{
    const QList<QJsonObject> bad = {{{QStringLiteral("refuseConect"), true}},
                                    {{QStringLiteral("refusePutNumber"), 0}},
                                    {{QStringLiteral("failGetAfterPackets"), -1}},
                                    {{QStringLiteral("refusalCode"), 0xA0}},
                                    {{QStringLiteral("refusePutMatching"), QString()}},
                                    {{QStringLiteral("refuseDisconnect"), 1}}};
    for (const QJsonObject& obex : bad) {
        QString error;
        EXPECT_FALSE(Faults::fromJson(QJsonObject{{QStringLiteral("obex"), obex}}, error))
            << QJsonDocument(obex).toJson().toStdString();
        EXPECT_TRUE(error.contains(QLatin1String("obex"))) << error.toStdString();
    }
}

TEST(PhoneObex, FactoryDefaultChecksTheLockCodeAndKeepsTheData)
{
    SimPhoneFixture fixture;
    const QJsonValue phonebook = fixture.image->category(ImageIrmcStore::PhonebookKey);
    const QJsonObject demoTime = fixture.image->settings(QStringLiteral("time"));
    const auto run = [&fixture](const QVariantList& params) {
        AnswerRecorder recorder(&fixture.settings());
        fixture.send(110, params);
        fixture.clock.runAll();
        return recorder.answers.isEmpty() ? -1 : recorder.answers.first().status;
    };
    EXPECT_EQ(run({variants::text(QStringLiteral("0000")), variants::int16(1)}),
              status::WrongLockCode);
    EXPECT_EQ(run({variants::text(QStringLiteral("7391"))}), status::InvalidParameter);
    EXPECT_EQ(run({variants::int16(7391), variants::int16(1)}), status::InvalidParameter);
    EXPECT_EQ(fixture.image->settings(QStringLiteral("time")), demoTime);

    EXPECT_EQ(run({variants::text(QStringLiteral("7391")), variants::int16(1)}), status::Ok);
    EXPECT_EQ(QJsonValue(fixture.image->settings(QStringLiteral("time"))),
              blankPhone(QStringLiteral("BVT610"))
                  .value(PhoneImage::SettingsKey)
                  .toObject()
                  .value(QStringLiteral("time")));
    EXPECT_EQ(fixture.image->category(ImageIrmcStore::PhonebookKey), phonebook);
    EXPECT_EQ(fixture.image->category(PhoneLockCodeKey).toString(), QStringLiteral("7391"));
}
