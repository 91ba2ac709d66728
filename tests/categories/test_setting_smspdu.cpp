#include "categories/setting_smspdu.h"
#include "categorytesting.h"
#include "phone/storedpdu.h"
#include "phonesim/simcellphone.h"
#include "phonesim/simtextmessage.h"
#include "phonesim/smspdu.h"
#include "phonesim/smsstore.h"

#include <QTimeZone>
#include <gtest/gtest.h>
#include <optional>

using namespace phonesim;
using Box = MainView::Box;

namespace {

StoredSms received(const QString& text)
{
    const smspdu::Pdu pdu =
        smspdu::deliver(QStringLiteral("+491710760000"), QStringLiteral("+4917012345678"),
                        QDateTime(QDate(2004, 5, 17), QTime(9, 0), QTimeZone(7200)), text);
    return StoredSms{smstype::ReceivedRead, pdu.length, pdu.hex};
}

StoredSms draft(const QString& text)
{
    const smspdu::Pdu pdu = smspdu::submit(QStringLiteral("+4930123456"), text);
    return StoredSms{smstype::StoredUnsent, pdu.length, pdu.hex};
}

QJsonObject phoneWith(const QList<StoredSms>& sim, const QList<StoredSms>& memory)
{
    QJsonObject json = blankPhone(QStringLiteral("BVT610"));
    json.insert(SmsStore::Key, SmsStore::storages(30, sim, 150, memory));
    return json;
}

void setSmsFaults(ProgramHarness& harness, const SmsFaults& sms)
{
    editFaults(harness, [&](Faults& faults) { faults.sms = sms; });
}

QStringList smsSection(const QString& file)
{
    return sectionOf(ProgramHarness::fileLines(file), QStringLiteral("SMS_Messages"));
}

QStringList messageLines(int number, const StoredSms& message, int storage)
{
    return {QStringLiteral("   <SMS>"),
            QStringLiteral("      <Number value=%1/>").arg(number),
            QStringLiteral("      <Storage value=%1/>").arg(storage),
            QStringLiteral("      <Type value=%1/>").arg(message.type),
            QStringLiteral("      <PDU value=%1/>").arg(message.pdu),
            QStringLiteral("      <Length value=%1/>").arg(message.length),
            QStringLiteral("   <SMS/>")};
}

// An SMS object that answers each read with the events scripted for its storage, one every
// 100 ms, and notes when each read was asked for.
class ScriptedSms : public TextMessageObject
{
public:
    struct Event
    {
        qint32 status;
        std::optional<StoredSms> message;
    };
    explicit ScriptedSms(MonotonicClock& clock) : m_clock(clock) {}

    void ReadMessages(qint32 storage, qint32, qint32&) override
    {
        reads.append({storage, m_clock.nowMs()});
        const QList<Event> events = scripts.value(storage);
        for (qsizetype i = 0; i < events.size(); ++i) {
            const Event event = events.at(i);
            m_clock.callLater(100 * (i + 1), this, [this, storage, event] {
                if (!event.message) {
                    Q_EMIT OnPDUAvailable(0, event.status, nullptr);
                    return;
                }
                const StoredPdu pdu(storage, event.message->pdu, event.message->type,
                                      event.message->length);
                Q_EMIT OnPDUAvailable(0, event.status, &pdu);
            });
        }
    }
    void WriteMessage(qint32, qint32, const QString&, qint32, qint32&) override {}

    QHash<qint32, QList<Event>> scripts;
    QList<QPair<qint32, qint64>> reads;

private:
    MonotonicClock& m_clock;
};

} // namespace

TEST(SettingSMSPDU, MessagesOfBothStoragesAreNumberedInArrivalOrder)
{
    const QList<StoredSms> sim = {received(QStringLiteral("one")), received(QStringLiteral("two")),
                                  received(QStringLiteral("\u0414\u0430"))};
    const QList<StoredSms> memory = {draft(QStringLiteral("four"))};
    ProgramHarness harness(phoneWith(sim, memory));
    const QString file = harness.path(QStringLiteral("s.MS"));
    ASSERT_EQ(harness.backup({Box::SMS}, file), RunOutcome::Completed);

    QStringList expected{QStringLiteral("<SMS_Messages>")};
    for (int i = 0; i < 3; ++i)
        expected << messageLines(i + 1, sim.at(i), 1);
    expected << messageLines(4, memory.at(0), 2) << QStringLiteral("<SMS_Messages/>");
    EXPECT_EQ(ProgramHarness::fileLines(file), expected);

    const QStringList status = harness.statusLines();
    const qsizetype started = status.indexOf(QStringLiteral("Backup of SMS_Messages has started"));
    ASSERT_GE(started, 0);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(status.at(started + i), QStringLiteral("Read SMS Message--> %1").arg(i));
    EXPECT_EQ(status.at(started + 5), QStringLiteral("Backup of SMS_Messages -> Done"));
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Backup of SMS_Messages -> Done")));
}

TEST(SettingSMSPDU, PhoneWithoutMessagesGivesNoSection)
{
    ProgramHarness harness(blankPhone(QStringLiteral("BVT610")));
    const QString file = harness.path(QStringLiteral("e.MS"));
    ASSERT_EQ(harness.backup({Box::SMS, Box::Time}, file), RunOutcome::Completed);
    EXPECT_TRUE(harness.statusLines().contains(QStringLiteral("Didn't find any SMS")));
    EXPECT_TRUE(smsSection(file).isEmpty());
    EXPECT_EQ(ProgramHarness::fileLines(file).first(), QStringLiteral("<Settings_Time>"));
    EXPECT_FALSE(harness.logLines().contains(QStringLiteral("Backup of SMS_Messages -> Done")));
}

TEST(SettingSMSPDU, OnlyAStatusOtherThanMoreToComeEndsARead)
{
    ProgramHarness harness;
    ScriptedSms sms(harness.clock);
    const StoredSms a = received(QStringLiteral("a"));
    const StoredSms b = received(QStringLiteral("b"));
    sms.scripts[1] = {{SmsStatus::MoreToCome, a}, {SmsStatus::MoreToCome, {}}, {0, b}};
    sms.scripts[2] = {{SmsStatus::NoMessages, {}}};
    harness.program->link().m_objTextMessage = &sms;
    Setting_SMSPDU& category = harness.program->categories().sms;
    category.SMSList = {SMSRecord{QStringLiteral("stale"), 1, 1, 1}};
    const qint64 start = harness.clock.nowMs();
    category.ReadSMSMessages();

    ASSERT_EQ(sms.reads.size(), 2);
    EXPECT_EQ(sms.reads.at(1).first, 2);
    // Storage 2 is asked for only once the third event of storage 1 ended its read.
    EXPECT_EQ(sms.reads.at(1).second - start, 300);
    ASSERT_EQ(category.SMSList.size(), 2);
    EXPECT_EQ(category.SMSList.at(0), (SMSRecord{a.pdu, a.length, 1, smstype::ReceivedRead}));
    EXPECT_EQ(category.SMSList.at(1).PDU, b.pdu);
    EXPECT_TRUE(harness.program->link().bNoMorePDU);

    // Any other status ends a read too, with or without a message.
    sms.reads.clear();
    sms.scripts[1] = {{static_cast<qint32>(0x88880001u), a}};
    sms.scripts[2] = {{0x1234, {}}};
    category.ReadSMSMessages();
    EXPECT_EQ(sms.reads.size(), 2);
    EXPECT_EQ(category.SMSList.size(), 1);
}

TEST(SettingSMSPDU, ReadThatNeverEndsGivesUpAfterFifteenSilentSeconds)
{
    ProgramHarness harness;
    SmsFaults faults;
    faults.unendingReads = {1};
    setSmsFaults(harness, faults);
    const QString file = harness.path(QStringLiteral("t.MS"));
    const qint64 start = harness.clock.nowMs();
    ASSERT_EQ(harness.backup({Box::SMS}, file), RunOutcome::Incomplete);
    const qint64 elapsed = harness.clock.nowMs() - start;
    EXPECT_GT(elapsed, 15000);
    EXPECT_LT(elapsed, 16000);
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("ReadPDU -> timedout in storage 1")));
    // The three messages of storage 1 and the two of storage 2.
    EXPECT_EQ(smsSection(file).size(), 2 + 5 * 7);

    // A slow phone whose events keep coming is waited for however long the read takes.
    ProgramHarness slow;
    slow.image->setLatencyMs(10000);
    ASSERT_EQ(slow.backup({Box::SMS}, file), RunOutcome::Completed);
    EXPECT_FALSE(slow.logLines().join(QLatin1Char('|')).contains(QLatin1String("timedout")));
    EXPECT_EQ(smsSection(file).size(), 2 + 5 * 7);
}

TEST(SettingSMSPDU, PhoneUnpluggedDuringTheReadKeepsWhatArrived)
{
    ProgramHarness harness;
    SmsFaults faults;
    faults.unplugAfterMessages = 2;
    setSmsFaults(harness, faults);
    const QString file = harness.path(QStringLiteral("u.MS"));
    EXPECT_EQ(harness.backup({Box::SMS, Box::Time}, file), RunOutcome::Ended);
    EXPECT_EQ(smsSection(file).size(), 2 + 2 * 7);
    EXPECT_TRUE(harness.logLines().contains(
        QStringLiteral("m_objTextMessage Is Nothing -> storage 2 not read")));
    EXPECT_TRUE(
        harness.statusLines().contains(QStringLiteral("Lost Conntact to MS->No work was done")));
}

TEST(SettingSMSPDU, SectionReaderFollowsTheNumberLines)
{
    ProgramHarness harness(blankPhone(QStringLiteral("BVT610")));
    const StoredSms good = draft(QStringLiteral("kept"));
    const QString file = harness.writeFile(
        QStringLiteral("d.MS"), {QStringLiteral("<SMS_Messages>"),
                                 QStringLiteral("      <PDU value=00AB/>"),
                                 QStringLiteral("   <SMS>"),
                                 QStringLiteral("      <Number value=3/>"),
                                 QStringLiteral("      <Storage value=2/>"),
                                 QStringLiteral("      <Type value=3/>"),
                                 QStringLiteral("      <PDU value=%1/>").arg(good.pdu),
                                 QStringLiteral("      <Length value=140/>"),
                                 QStringLiteral("      <Colour value=1/>"),
                                 QStringLiteral("   <SMS/>"),
                                 QStringLiteral("   <SMS>"),
                                 QStringLiteral("      <Number value=1/>"),
                                 QStringLiteral("      <Storage value=1/>"),
                                 QStringLiteral("      <Type value=2/>"),
                                 QStringLiteral("      <PDU value=%1/>").arg(good.pdu),
                                 QStringLiteral("      <Length value=%1/>").arg(good.length),
                                 QStringLiteral("   <SMS/>"),
                                 QStringLiteral("      <Number value=0/>"),
                                 QStringLiteral("      <Storage value=1/>"),
                                 QStringLiteral("<SMS_Messages/>")});
    ASSERT_EQ(harness.restore(file), RunOutcome::Incomplete);

    const QList<SMSRecord>& list = harness.program->categories().sms.SMSList;
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(2), (SMSRecord{good.pdu, 140, 2, 3}));
    EXPECT_EQ(list.at(0), (SMSRecord{good.pdu, good.length, 1, 2}));
    EXPECT_EQ(list.at(1), SMSRecord{});

    const QStringList log = harness.logLines();
    EXPECT_TRUE(log.contains(
        QStringLiteral("SMS element without a Number line ignored -> PDU value=00AB")));
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to find the tag->Colour")));
    EXPECT_TRUE(log.contains(QStringLiteral("SMS Number out of range -> 0")));
    EXPECT_TRUE(log.contains(
        QStringLiteral("SMS element without a Number line ignored -> Storage value=1")));
    EXPECT_TRUE(log.contains(QStringLiteral("SMS Message 2 has no PDU -> not written")));
    const QStringList status = harness.statusLines();
    EXPECT_TRUE(status.contains(QStringLiteral("Writing SMS Message--> 1")));
    EXPECT_FALSE(status.contains(QStringLiteral("Writing SMS Message--> 2")));
    EXPECT_TRUE(status.contains(QStringLiteral("Writing SMS Message--> 3")));
    // The phone refuses the third, whose Length does not fit its PDU; the first is kept.
    const QList<StoredSms> stored = SmsStore(*harness.image).messages(1);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored.at(0).pdu, good.pdu);
    EXPECT_TRUE(SmsStore(*harness.image).messages(2).isEmpty());
}

TEST(SettingSMSPDU, ALateWriteAnswerNeverEndsTheNextWrite)
{
    const QStringList lines = {
        QStringLiteral("<SMS_Messages>"),
        QStringLiteral("      <Number value=1/>"),
        QStringLiteral("      <Storage value=2/>"),
        QStringLiteral("      <Type value=2/>"),
        QStringLiteral("      <PDU value=%1/>").arg(draft(QStringLiteral("x")).pdu),
        QStringLiteral("      <Length value=%1/>").arg(draft(QStringLiteral("x")).length),
        QStringLiteral("      <Number value=2/>"),
        QStringLiteral("      <Storage value=2/>"),
        QStringLiteral("      <Type value=2/>"),
        QStringLiteral("      <PDU value=%1/>").arg(draft(QStringLiteral("y")).pdu),
        QStringLiteral("      <Length value=%1/>").arg(draft(QStringLiteral("y")).length),
        QStringLiteral("<SMS_Messages/>")};
    for (const double late : {15.5, 15.0}) {
        ProgramHarness harness(blankPhone(QStringLiteral("BVT610")));
        SmsFaults faults;
        faults.lateWriteSeconds = late;
        setSmsFaults(harness, faults);
        const qint64 start = harness.clock.nowMs();
        ASSERT_EQ(harness.restore(harness.writeFile(QStringLiteral("w.MS"), lines)),
                  late > 15.0 ? RunOutcome::Incomplete : RunOutcome::Completed);
        const qint64 elapsed = harness.clock.nowMs() - start;
        const qsizetype timeouts = harness.logLines().count(QStringLiteral("WritePDU -> timedout"));
        EXPECT_TRUE(harness.statusLines().contains(QStringLiteral("Writing SMS Message--> 2")));
        if (late > 15.0) {
            // Each gives up at 15.001 s; the first's late answer is not the second's.
            EXPECT_EQ(timeouts, 2);
            EXPECT_EQ(elapsed, 30002);
            EXPECT_TRUE(harness.logLines().contains(
                QStringLiteral("Ignored late answer -> transaction 1")));
            EXPECT_EQ(harness.statusLines().last(),
                      QStringLiteral("SMS Messages: 2 not written -> see the log"));
        } else {
            EXPECT_EQ(timeouts, 0);
            EXPECT_EQ(elapsed, 30000);
        }
        harness.clock.runAll();
        EXPECT_EQ(SmsStore(*harness.image).messages(2).size(), 2);
    }
}

TEST(SettingSMSPDU, MissingSmsObjectNamesEveryMessageNotWritten)
{
    ProgramHarness demo;
    const QString file = demo.path(QStringLiteral("m.MS"));
    ASSERT_EQ(demo.backup({Box::SMS}, file), RunOutcome::Completed);

    ProgramHarness harness(blankPhone(QStringLiteral("BVT610")));
    harness.monitor->phone()->setTextMessage(nullptr);
    ASSERT_EQ(harness.restore(file), RunOutcome::Incomplete);
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("SMS Messages: 5 not written -> see the log"));
    const QStringList log = harness.logLines();
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(log.contains(
            QStringLiteral("m_objTextMessage Is Nothing -> SMS Message %1 not written").arg(i)));
    EXPECT_TRUE(harness.statusLines().contains(
        QStringLiteral("No SMS object - SMS Messages not written--> 5")));
}

TEST(SettingSMSPDU, RoundTripThroughABlankPhone)
{
    ProgramHarness demo;
    const QString first = demo.path(QStringLiteral("a.MS"));
    ASSERT_EQ(demo.backup({Box::SMS}, first), RunOutcome::Completed);

    ProgramHarness blank(blankPhone(QStringLiteral("BVT610")));
    ASSERT_EQ(blank.restore(first), RunOutcome::Completed);
    EXPECT_FALSE(blank.logLines().join(QLatin1Char('|')).contains(QLatin1String("timedout")));
    for (qint32 storage : {1, 2}) {
        const QList<StoredSms> before = SmsStore(*demo.image).messages(storage);
        const QList<StoredSms> after = SmsStore(*blank.image).messages(storage);
        ASSERT_EQ(after.size(), before.size());
        for (qsizetype i = 0; i < before.size(); ++i) {
            EXPECT_EQ(after.at(i).pdu, before.at(i).pdu);
            EXPECT_EQ(after.at(i).type, before.at(i).type);
            EXPECT_EQ(after.at(i).length, before.at(i).length);
        }
    }

    // A new SMS object after the phone came back is the one the next backup talks to.
    blank.monitor->phone()->setTextMessage(new SimTextMessage(*blank.monitor->phone()));
    blank.monitor->unplug();
    blank.monitor->plug();
    const QString second = blank.path(QStringLiteral("b.MS"));
    ASSERT_EQ(blank.backup({Box::SMS}, second), RunOutcome::Completed);
    EXPECT_EQ(smsSection(second), smsSection(first));
    EXPECT_EQ(smsSection(first).size(), 2 + 5 * 7);
}
