#include "simphonetesting.h"

#include "core/programerror.h"
#include "phonesim/simstatus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace phonesim;

namespace {

// The connection events of a monitor, as "connected isConnected imei" asked during the event.
struct EventLog : QObject
{
    explicit EventLog(SimPhoneMonitor& monitor)
    {
        connect(&monitor, &PhoneMonitor::OnNotifyCellPhoneConnected, this,
                [this](qint32 connected, CellPhone* phone) {
                    events << QStringLiteral("%1 %2 %3")
                                  .arg(connected)
                                  .arg(phone->IsConnected())
                                  .arg(phone->IMEI());
                });
    }
    QStringList events;
};

} // namespace

TEST(SimPhoneMonitor, ConnectsOnceShortlyAfterCreation)
{
    FakeClock clock;
    SimPhoneMonitor monitor(PhoneImage::inMemory(demoPhone()), clock);
    const EventLog log(monitor);
    const QStringList* events = &log.events;
    ASSERT_EQ(monitor.CellPhones().size(), 1);
    CellPhone* phone = monitor.CellPhones().first();
    EXPECT_FALSE(phone->IsConnected());
    EXPECT_THROW(phone->Name(), ProgramError);
    clock.advance(49);
    EXPECT_TRUE(events->isEmpty());
    clock.advance(1);
    EXPECT_EQ(*events, QStringList{QStringLiteral("1 1 354123061028348")});
    EXPECT_EQ(phone->Model(), QStringLiteral("BVT610"));
    clock.runAll();
    EXPECT_EQ(events->size(), 1);

    // Connected at creation: no event. Unplugged before the first connection: none either.
    SimPhoneMonitor present(PhoneImage::inMemory(demoPhone()), clock, SimPhoneOptions{true, 50});
    SimPhoneMonitor away(PhoneImage::inMemory(demoPhone()), clock);
    const EventLog presentLog(present);
    const EventLog awayLog(away);
    away.unplug();
    clock.runAll();
    EXPECT_EQ(present.phone()->Name(), QStringLiteral("Cellarchive demo"));
    EXPECT_TRUE(presentLog.events.isEmpty());
    EXPECT_TRUE(awayLog.events.isEmpty());
    EXPECT_FALSE(away.phone()->IsConnected());
}

TEST(SimPhoneMonitor, UnplugAndPlugAreAnnouncedOnceAndCallsFollowThem)
{
    SimPhoneFixture f;
    const EventLog log(f.monitor);
    const QStringList* events = &log.events;
    f.monitor.unplug();
    f.monitor.unplug();
    // The program compares the IMEI of the phone that went away with its current one.
    EXPECT_EQ(*events, QStringList{QStringLiteral("0 0 354123061028348")});
    SimCellPhone& phone = f.phone();
    const std::function<void()> calls[] = {
        [&] { phone.Name(); },          [&] { phone.Model(); },       [&] { phone.SoftwareVersion(); },
        [&] { phone.General(); },       [&] { phone.TextMessage(); }, [&] { phone.Obex(); },
        [&] { phone.IsCommandSupported(36); },
        [&] {
            QVariantList params;
            qint32 id = 0;
            phone.settingsObject()->SendCommand(36, params, id);
        }};
    for (const auto& call : calls) {
        try {
            call();
            ADD_FAILURE() << "call on an unplugged phone did not fail";
        } catch (const ProgramError& error) {
            EXPECT_EQ(error.number(), ProgramError::ComponentFailure);
            EXPECT_EQ(error.source(), QStringLiteral("PhoneMonitor"));
        }
    }
    f.monitor.plug();
    f.monitor.plug();
    ASSERT_EQ(events->size(), 2);
    EXPECT_TRUE(events->last().startsWith(QLatin1String("1 1")));
    EXPECT_EQ(f.phone().IsCommandSupported(36), 1);
}

TEST(SimSettingsObject, AnswersInOrderAfterTheLatencyAndDisconnectedOnceUnplugged)
{
    SimPhoneFixture f;
    AnswerRecorder recorder(&f.settings());
    const qint32 first = f.send(36);
    const qint32 second = f.send(344);
    EXPECT_TRUE(recorder.answers.isEmpty()) << "never inside the call";
    EXPECT_EQ(second, first + 1);
    f.clock.runAll();
    ASSERT_EQ(recorder.answers.size(), 2);
    EXPECT_EQ(recorder.answers[0].transactionId, first);
    EXPECT_EQ(recorder.answers[1].transactionId, second);
    EXPECT_EQ(recorder.answers[1].data.typeId(), QMetaType::QVariantList);

    f.image->setLatencyMs(250);
    f.send(36);
    f.clock.advance(249);
    EXPECT_EQ(recorder.answers.size(), 2);
    f.clock.advance(1);
    EXPECT_EQ(recorder.answers.size(), 3);

    // A command in flight when the phone goes away never reaches it.
    f.send(37, {int16(0)});
    f.monitor.unplug();
    f.monitor.plug();
    f.clock.runAll();
    ASSERT_EQ(recorder.answers.size(), 4);
    EXPECT_EQ(recorder.answers[3].status, status::Disconnected);
    EXPECT_EQ(f.image->settings(QStringLiteral("time")).value(QStringLiteral("timeFormat")), 1);
}

// Each fault at work is tested with the program that meets it (the command channel, the
// categories and the runs); here only how faults are declared.
TEST(SimPhoneFaults, FaultsSurviveTheImageAndMisspeltOrOutOfRangeOnesAreRefused)
{
    const QJsonObject declared{
        {QStringLiteral("sms"),
         QJsonObject{{QStringLiteral("unendingReads"), QJsonArray{2}},
                     {QStringLiteral("refusedWrites"), QStringLiteral("0x88880042")},
                     {QStringLiteral("lateWriteSeconds"), 15.5},
                     {QStringLiteral("unplugAfterMessages"), 3}}},
        {QStringLiteral("obex"),
         QJsonObject{{QStringLiteral("refusePutMatching"), QStringLiteral("Zo\u00EB")},
                     {QStringLiteral("losePutMatching"), QStringLiteral("Berg")},
                     {QStringLiteral("failGetAfterPackets"), 1},
                     {QStringLiteral("refusalCode"), 0xC3}}}};
    QString error;
    const auto faults = Faults::fromJson(declared, error);
    ASSERT_TRUE(faults) << error.toStdString();
    EXPECT_EQ(faults->sms.unendingReads, QSet<qint32>{2});
    EXPECT_EQ(faults->sms.refusedWrites, static_cast<qint32>(0x88880042u));
    EXPECT_EQ(faults->sms.lateWriteSeconds, 15.5);
    EXPECT_EQ(faults->obex.refusePutMatching, QByteArray("Zo\xEB"));
    EXPECT_EQ(faults->obex.losePutMatching, QByteArray("Berg"));
    const auto again = Faults::fromJson(faults->toJson(), error);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->toJson(), faults->toJson());
    EXPECT_EQ(again->sms.unplugAfterMessages, 3);

    // What a hand-written image is refused with names the member and what it must hold.
    const struct
    {
        const char* faults;
        const char* error;
    } bad[] = {
        {R"({"unsuported":[1]})", R"(unknown fault "unsuported")"},
        {R"({"unsupported":1})", "faults.unsupported must be an array of command codes"},
        {R"({"unanswered":[1.5]})", "faults.unanswered holds something that is not a command code"},
        {R"({"refused":[]})", "faults.refused must map command codes to statuses"},
        {R"({"refused":{"37":0}})", R"(faults.refused: "37" needs a command code and a non-zero status)"},
        {R"({"lateSeconds":1})", "faults.lateSeconds must map command codes to seconds"},
        {R"({"lateSeconds":{"x":1}})", R"(faults.lateSeconds: "x" needs a command code and 0 or more seconds)"},
        {R"({"unplugAfterCommands":-1})", "faults.unplugAfterCommands must be a count of 0 or more"},
        {R"({"noSettingsObject":1})", "faults.noSettingsObject must be true or false"},
        {R"({"sms":[]})", "faults.sms must be an object"},
        {R"({"sms":{"unendingRead":[1]}})", R"(unknown fault "sms.unendingRead")"},
        {R"({"sms":{"unendingReads":2}})", "faults.sms.unendingReads must be an array of storages"},
        {R"({"sms":{"unendingReads":[3]}})", "faults.sms.unendingReads holds something that is not storage 1 or 2"},
        {R"({"sms":{"unansweredWrites":1}})", "faults.sms.unansweredWrites must be true or false"},
        {R"({"sms":{"lateWriteSeconds":-1}})", "faults.sms.lateWriteSeconds must be 0 or more seconds"},
        {R"({"sms":{"refusedWrites":0}})", "faults.sms.refusedWrites must be a non-zero status"},
        {R"({"sms":{"unplugAfterMessages":1.5}})", "faults.sms.unplugAfterMessages must be a count of 0 or more"},
        {R"({"obex":true})", "faults.obex must be an object"},
        {R"({"obex":{"refuseConect":true}})", R"(unknown fault "obex.refuseConect")"},
        {R"({"obex":{"refuseDisconnect":1}})", "faults.obex.refuseDisconnect must be true or false"},
        {R"({"obex":{"failGetAfterPackets":-1}})", "faults.obex.failGetAfterPackets must be a count of 0 or more"},
        {R"({"obex":{"refusePutNumber":0}})", "faults.obex.refusePutNumber must be 1 or more"},
        {R"({"obex":{"refusePutMatching":""}})", "faults.obex.refusePutMatching must be a non-empty text"},
        {R"({"obex":{"losePutMatching":1}})", "faults.obex.losePutMatching must be a non-empty text"},
        {R"({"obex":{"refusalCode":160}})",
         "faults.obex.refusalCode must be an OBEX error response code from 192 (0xC0) to 255"},
        {R"({"at":1})", "faults.at must be an object"},
        {R"({"at":{"delay":1}})", R"(unknown fault "at.delay")"},
        {R"({"at":{"cutAfterCommands":"1"}})", "faults.at.cutAfterCommands must be a count of 0 or more"},
        {R"({"at":{"cmeErrors":[]}})", "faults.at.cmeErrors must map commands to error numbers"},
        {R"({"at":{"cmeErrors":{"CPBR":3}}})",
         R"(faults.at.cmeErrors: "CPBR" needs a command such as +CPBR and an error number from 0 to 65535)"},
    };
    for (const auto& c : bad) {
        error.clear();
        EXPECT_FALSE(Faults::fromJson(QJsonDocument::fromJson(c.faults).object(), error)) << c.faults;
        EXPECT_EQ(error, QLatin1String(c.error)) << c.faults;
    }
}
