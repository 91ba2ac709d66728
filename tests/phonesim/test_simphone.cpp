#include "simphonetesting.h"

#include "core/programerror.h"
#include "phonesim/simstatus.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace phonesim;

namespace {

struct ConnectionEvent
{
    qint32 connected;
    CellPhone* phone;
    bool isConnectedDuring;
    QString imeiDuring;
};

// Every call but IsConnected fails as a component call on a phone that is gone.
void expectAllCallsFail(SimCellPhone& phone)
{
    EXPECT_FALSE(phone.IsConnected());
    const auto expectFailure = [](const std::function<void()>& call) {
        try {
            call();
            ADD_FAILURE() << "call on an unplugged phone did not fail";
        } catch (const ProgramError& error) {
            EXPECT_EQ(error.number(), ProgramError::ComponentFailure);
            EXPECT_EQ(error.source(), QStringLiteral("PhoneMonitor"));
            EXPECT_TRUE(error.description().contains(QStringLiteral("not connected")));
        }
    };
    expectFailure([&] { phone.Name(); });
    expectFailure([&] { phone.IMEI(); });
    expectFailure([&] { phone.Model(); });
    expectFailure([&] { phone.SoftwareVersion(); });
    expectFailure([&] { phone.General(); });
    expectFailure([&] { phone.IsCommandSupported(36); });
    expectFailure([&] { phone.TextMessage(); });
    expectFailure([&] { phone.Obex(); });
    expectFailure([&] {
        QVariantList params;
        qint32 id = 0;
        phone.settingsObject()->SendCommand(36, params, id);
    });
}

} // namespace

TEST(SimPhoneMonitor, ConnectsShortlyAfterCreationWithOneEvent)
{
    FakeClock clock;
    SimPhoneMonitor monitor(PhoneImage::inMemory(demoPhone()), clock);
    QList<std::pair<qint32, CellPhone*>> events;
    QObject::connect(&monitor, &PhoneMonitor::OnNotifyCellPhoneConnected, &monitor,
                     [&](qint32 connected, CellPhone* phone) { events.append({connected, phone}); });

    ASSERT_EQ(monitor.CellPhones().size(), 1);
    CellPhone* phone = monitor.CellPhones().first();
    EXPECT_FALSE(phone->IsConnected());
    EXPECT_THROW(phone->Name(), ProgramError);

    clock.advance(49);
    EXPECT_TRUE(events.isEmpty());
    clock.advance(1);
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].first, 1);
    EXPECT_EQ(events[0].second, phone);
    EXPECT_TRUE(phone->IsConnected());
    EXPECT_EQ(phone->Model(), QStringLiteral("BVT610"));
    EXPECT_EQ(phone->IMEI().size(), 15);

    clock.runAll();
    EXPECT_EQ(events.size(), 1);
}

TEST(SimPhoneMonitor, ConnectedAtCreationSendsNoEvent)
{
    FakeClock clock;
    SimPhoneMonitor monitor(PhoneImage::inMemory(demoPhone()), clock, SimPhoneOptions{true, 50});
    int events = 0;
    QObject::connect(&monitor, &PhoneMonitor::OnNotifyCellPhoneConnected, &monitor,
                     [&](qint32, CellPhone*) { ++events; });
    EXPECT_TRUE(monitor.phone()->IsConnected());
    EXPECT_EQ(monitor.phone()->Name(), QStringLiteral("Cellarchive demo"));
    clock.runAll();
    EXPECT_EQ(events, 0);
}

TEST(SimPhoneMonitor, UnplugAndPlugAnnounceTheChangeAndCallsFollowIt)
{
    SimPhoneFixture f;
    QList<ConnectionEvent> events;
    QObject::connect(&f.monitor, &PhoneMonitor::OnNotifyCellPhoneConnected, &f.monitor,
                     [&](qint32 connected, CellPhone* phone) {
                         events.append({connected, phone, phone->IsConnected(), phone->IMEI()});
                     });

    f.monitor.unplug();
    f.monitor.unplug();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].connected, 0);
    EXPECT_FALSE(events[0].isConnectedDuring);
    // The program compares the IMEI of the phone that went away with its current one.
    EXPECT_EQ(events[0].imeiDuring, QStringLiteral("354123061028348"));
    expectAllCallsFail(f.phone());

    f.monitor.plug();
    f.monitor.plug();
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events[1].connected, 1);
    EXPECT_TRUE(events[1].isConnectedDuring);
    EXPECT_NE(f.phone().General(), nullptr);
    EXPECT_EQ(f.phone().IsCommandSupported(36), 1);
}

TEST(SimPhoneMonitor, UnplugBeforeTheFirstConnectionKeepsThePhoneAway)
{
    FakeClock clock;
    SimPhoneMonitor monitor(PhoneImage::inMemory(demoPhone()), clock);
    int events = 0;
    QObject::connect(&monitor, &PhoneMonitor::OnNotifyCellPhoneConnected, &monitor,
                     [&](qint32, CellPhone*) { ++events; });
    monitor.unplug();
    clock.runAll();
    EXPECT_EQ(events, 0);
    EXPECT_FALSE(monitor.phone()->IsConnected());
}

TEST(SimSettingsObject, AnswersEachCommandOnceAndNeverInsideTheCall)
{
    SimPhoneFixture f;
    AnswerRecorder recorder(&f.settings());
    const qint32 first = f.send(36);
    const qint32 second = f.send(344);
    const qint32 third = f.send(347);
    EXPECT_TRUE(recorder.answers.isEmpty());
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(third, second + 1);

    f.clock.runDue();
    f.clock.runAll();
    ASSERT_EQ(recorder.answers.size(), 3);
    // Answers keep the order of the commands.
    EXPECT_EQ(recorder.answers[0].transactionId, first);
    EXPECT_EQ(recorder.answers[2].transactionId, third);
    for (const RecordedAnswer& answer : recorder.answers) {
        EXPECT_EQ(answer.status, status::Ok);
        EXPECT_EQ(answer.data.typeId(), QMetaType::QVariantList);
    }
}

TEST(SimSettingsObject, LatencyDelaysEveryAnswer)
{
    SimPhoneFixture f;
    f.image->setLatencyMs(250);
    AnswerRecorder recorder(&f.settings());
    f.send(36);
    f.clock.advance(249);
    EXPECT_TRUE(recorder.answers.isEmpty());
    f.clock.advance(1);
    EXPECT_EQ(recorder.answers.size(), 1);
}

TEST(SimSettingsObject, CommandsInFlightWhenThePhoneGoesAwayAreAnsweredDisconnected)
{
    SimPhoneFixture f;
    f.image->setLatencyMs(100);
    AnswerRecorder recorder(&f.settings());
    QVariantList set{QVariant::fromValue<qint16>(0)};
    f.send(37, set);
    f.monitor.unplug();
    f.monitor.plug();
    f.clock.runAll();
    ASSERT_EQ(recorder.answers.size(), 1);
    EXPECT_EQ(recorder.answers[0].status, status::Disconnected);
    // The command never reached the phone.
    EXPECT_EQ(f.image->settings(QStringLiteral("time")).value(QStringLiteral("timeFormat")), 1);
}

TEST(SimPhoneFaults, EachFaultChangesOnlyItsCommand)
{
    SimPhoneFixture f;
    Faults faults;
    faults.unsupported = {344};
    faults.refused = {{37, static_cast<qint32>(0x88880099u)}};
    faults.unanswered = {347};
    faults.lateSeconds = {{36, 20.0}};
    f.image->setFaults(faults);
    AnswerRecorder recorder(&f.settings());

    EXPECT_EQ(f.phone().IsCommandSupported(344), 0);
    EXPECT_EQ(f.phone().IsCommandSupported(343), 1);

    f.send(344);
    f.send(37, {QVariant::fromValue<qint16>(0)});
    f.send(347);
    f.send(36);
    f.clock.runDue();
    ASSERT_EQ(recorder.answers.size(), 2);
    EXPECT_EQ(recorder.answers[0].status, status::NotSupported);
    EXPECT_EQ(recorder.answers[1].status, static_cast<qint32>(0x88880099u));
    EXPECT_TRUE(recorder.answers[1].data.toList().isEmpty());

    f.clock.advance(19999);
    EXPECT_EQ(recorder.answers.size(), 2);
    f.clock.advance(1);
    ASSERT_EQ(recorder.answers.size(), 3);
    // The refused write changed nothing.
    EXPECT_EQ(recorder.answers[2].data.toList().value(0).toInt(), 1);

    f.clock.runAll();
    EXPECT_EQ(recorder.answers.size(), 3);
}

TEST(SimPhoneFaults, NonArrayDataAndNoSettingsObject)
{
    SimPhoneFixture f;
    Faults faults;
    faults.nonArrayData = {36, 37};
    f.image->setFaults(faults);
    AnswerRecorder recorder(&f.settings());
    f.send(36);
    f.send(37, {QVariant::fromValue<qint16>(0)});
    f.clock.runAll();
    ASSERT_EQ(recorder.answers.size(), 2);
    EXPECT_EQ(recorder.answers[0].status, status::Ok);
    EXPECT_NE(recorder.answers[0].data.typeId(), QMetaType::QVariantList);
    EXPECT_EQ(recorder.answers[0].data.toInt(), 1);
    EXPECT_NE(recorder.answers[1].data.typeId(), QMetaType::QVariantList);

    faults.noSettingsObject = true;
    f.image->setFaults(faults);
    EXPECT_EQ(f.phone().General(), nullptr);
    EXPECT_EQ(f.phone().IsCommandSupported(36), 1);
}

TEST(SimPhoneFaults, UnplugAfterNCommandsComesRightAfterTheNthAnswer)
{
    SimPhoneFixture f;
    Faults faults;
    faults.unplugAfterCommands = 2;
    f.image->setFaults(faults);
    QStringList order;
    QObject::connect(&f.settings(), &SettingsObject::OnNotifyResponse, &f.monitor,
                     [&](qint32 id, qint32, const QVariant&) {
                         order.append(QStringLiteral("answer %1").arg(id));
                     });
    QObject::connect(&f.monitor, &PhoneMonitor::OnNotifyCellPhoneConnected, &f.monitor,
                     [&](qint32 connected, CellPhone*) {
                         order.append(QStringLiteral("connected %1").arg(connected));
                     });
    const qint32 first = f.send(36);
    f.clock.runAll();
    EXPECT_TRUE(f.phone().IsConnected());
    const qint32 second = f.send(344);
    f.clock.runAll();
    EXPECT_EQ(order, QStringList({QStringLiteral("answer %1").arg(first),
                                  QStringLiteral("answer %1").arg(second),
                                  QStringLiteral("connected 0")}));
    EXPECT_FALSE(f.phone().IsConnected());

    // It happens once: plugged in again, the phone stays.
    f.monitor.plug();
    f.send(36);
    f.send(36);
    f.clock.runAll();
    EXPECT_TRUE(f.phone().IsConnected());
}

TEST(SimPhoneFaults, FaultsDeclaredInTheImageApply)
{
    QJsonObject json = demoPhone();
    json.insert(QStringLiteral("faults"),
                QJsonObject{{QStringLiteral("unsupported"), QJsonArray{36}},
                            {QStringLiteral("refused"),
                             QJsonObject{{QStringLiteral("343"), QStringLiteral("0x88880042")}}}});
    SimPhoneFixture f(json);
    EXPECT_EQ(f.phone().IsCommandSupported(36), 0);
    AnswerRecorder recorder(&f.settings());
    f.send(343, {QVariant::fromValue<qint16>(0)});
    f.clock.runAll();
    ASSERT_EQ(recorder.answers.size(), 1);
    EXPECT_EQ(recorder.answers[0].status, static_cast<qint32>(0x88880042u));
}

TEST(SimCellPhone, SupportedSetFollowsHandlersModelAndFaults)
{
    SimPhoneFixture demo;
    const QList<qint32> time{36, 37, 343, 344, 346, 347};
    for (qint32 code : time)
        EXPECT_TRUE(demo.phone().supportedCommands().contains(code)) << code;
    EXPECT_EQ(demo.phone().IsCommandSupported(35), 0);
    EXPECT_EQ(demo.phone().IsCommandSupported(-1), 0);

    // The older model has no automatic time zone update.
    SimPhoneFixture old(blankPhone(QStringLiteral("BVT300")));
    EXPECT_EQ(old.phone().IsCommandSupported(346), 0);
    EXPECT_EQ(old.phone().IsCommandSupported(347), 0);
    EXPECT_EQ(old.phone().IsCommandSupported(36), 1);
}
