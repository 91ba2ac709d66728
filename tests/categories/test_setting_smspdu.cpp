#include "categories/setting_smspdu.h"
#include "categories/categoryservices.h"
#include "phone/phonestatus.h"
#include "phone/storedpdu.h"
#include "programharness.h"
#include "phonesim/simtextmessage.h"
#include "phonesim/smspdu.h"
#include "phonesim/smsstore.h"

#include <QTimeZone>
#include <gtest/gtest.h>
#include <optional>

using namespace phonesim;

namespace {

StoredSms received(const QString& text)
{
    const smspdu::Pdu pdu =
        smspdu::deliver(QStringLiteral("+491710760000"), QStringLiteral("+4917012345678"),
                        QDateTime(QDate(2004, 5, 17), QTime(9, 0), QTimeZone(7200)), text);
    return StoredSms{smstype::ReceivedRead, pdu.length, pdu.hex};
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
        // Set: the event is a message the phone could not hand out, for this reason.
        QString notRead = {};
    };
    explicit ScriptedSms(MonotonicClock& clock) : m_clock(clock) {}

    void ReadMessages(qint32 storage, qint32, qint32&) override
    {
        reads.append({storage, m_clock.nowMs()});
        const QList<Event> events = scripts.value(storage);
        for (qsizetype i = 0; i < events.size(); ++i) {
            const Event event = events.at(i);
            m_clock.callLater(100 * (i + 1), this, [this, storage, event] {
                if (!event.notRead.isEmpty()) {
                    Q_EMIT OnMessageNotRead(0, event.notRead);
                    return;
                }
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

namespace {

struct StorageAnswers
{
    const char* name;
    QList<ScriptedSms::Event> sim;
    QList<ScriptedSms::Event> phone;
    qsizetype kept;
    // The closing line of the SMS category, empty when it lost nothing.
    QString closing;
    QString logLine;
};

class SettingSMSPDUStorages : public ::testing::TestWithParam<StorageAnswers>
{
};

const StoredSms kMessage = received(QStringLiteral("kept"));

} // namespace

// Only a phone without either storage keeps no messages at all; a message it cannot hand out
// is named and counted, and the read goes on past it.
TEST_P(SettingSMSPDUStorages, NotSupportedAndNotRead)
{
    const StorageAnswers& row = GetParam();
    ProgramHarness harness;
    ScriptedSms sms(harness.clock);
    sms.scripts[1] = row.sim;
    sms.scripts[2] = row.phone;
    harness.program->link().m_objTextMessage = &sms;
    harness.program->services().tally.clear();
    harness.program->categories().sms.ReadSMSMessages();

    EXPECT_EQ(harness.program->categories().sms.SMSList.size(), row.kept);
    const QStringList closing = harness.program->services().tally.summary(QStringLiteral("read"));
    EXPECT_EQ(closing, row.closing.isEmpty() ? QStringList() : QStringList{row.closing});
    if (!row.logLine.isEmpty()) {
        EXPECT_TRUE(harness.logLines().contains(row.logLine))
            << harness.logLines().join(u'\n').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingSMSPDUStorages,
    ::testing::Values(
        StorageAnswers{"NeitherStorage",
                       {{phonestatus::NotSupported, {}}},
                       {{phonestatus::NotSupported, {}}},
                       0,
                       QStringLiteral("SMS Messages: not supported by this phone"),
                       QStringLiteral("ReadPDU -> not supported in storage 2")},
        StorageAnswers{"NoSimStorage",
                       {{phonestatus::NotSupported, {}}},
                       {{0, kMessage}},
                       1,
                       {},
                       {}},
        StorageAnswers{"OneNotRead",
                       {{SmsStatus::MoreToCome, kMessage},
                        {SmsStatus::MoreToCome, {}, QStringLiteral("message 2: corrupted")},
                        {0, kMessage}},
                       {{SmsStatus::NoMessages, {}}},
                       2,
                       QStringLiteral("SMS Messages: 1 not read -> see the log"),
                       QStringLiteral("Not read -> message 2: corrupted")},
        StorageAnswers{"OnlyNotRead",
                       {{SmsStatus::NoMessages, {}}},
                       {{SmsStatus::MoreToCome, {}, QStringLiteral("a")},
                        {SmsStatus::MoreToCome, {}, QStringLiteral("b")},
                        {SmsStatus::NoMessages, {}}},
                       0,
                       QStringLiteral("SMS Messages: 2 not read -> see the log"),
                       QStringLiteral("Not read -> b")}),
    [](const ::testing::TestParamInfo<StorageAnswers>& info) { return info.param.name; });
