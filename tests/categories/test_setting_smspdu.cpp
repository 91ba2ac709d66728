#include "categories/setting_smspdu.h"
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
