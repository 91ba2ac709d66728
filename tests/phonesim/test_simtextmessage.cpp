#include "phonesim/simstatus.h"
#include "phonesim/simtextmessage.h"
#include "phonesim/smspdu.h"
#include "simphonetesting.h"

#include <gtest/gtest.h>

using namespace phonesim;

namespace {

struct SmsEvent
{
    qint32 transactionId;
    qint32 status;
    bool hasPdu;
    qint32 storage;
    qint32 type;
    qint32 length;
    QString pdu;
};

// Every event of an SMS object, copied while it is delivered.
class SmsRecorder : public QObject
{
public:
    explicit SmsRecorder(TextMessageObject* sms)
    {
        connect(sms, &TextMessageObject::OnPDUAvailable, this,
                [this](qint32 id, qint32 status, const PduObject* pdu) {
                    reads.append(pdu ? SmsEvent{id, status, true, pdu->Storage(), pdu->Type(),
                                                pdu->Length(), pdu->PDU()}
                                     : SmsEvent{id, status, false, 0, 0, 0, {}});
                });
        connect(sms, &TextMessageObject::OnNotifyResponse, this,
                [this](qint32 id, qint32 status, QObject*) { writes.append({id, status}); });
    }
    QList<SmsEvent> reads;
    QList<QPair<qint32, qint32>> writes;
};

struct SmsFixture : SimPhoneFixture
{
    using SimPhoneFixture::SimPhoneFixture;
    TextMessageObject* sms() { return phone().TextMessage(); }
    void setSmsFaults(const SmsFaults& smsFaults)
    {
        Faults faults = image->faults();
        faults.sms = smsFaults;
        image->setFaults(faults);
    }
    qint32 read(qint32 storage, qint32 what = smstype::All)
    {
        qint32 id = 0;
        sms()->ReadMessages(storage, what, id);
        return id;
    }
    void write(qint32 storage, const smspdu::Pdu& pdu, qint32 type = smstype::StoredUnsent)
    {
        qint32 id = 0;
        sms()->WriteMessage(storage, type, pdu.hex, pdu.length, id);
    }
    QList<StoredSms> stored(qint32 storage) { return SmsStore(*image).messages(storage); }
};

const smspdu::Pdu kDraft = smspdu::submit(QStringLiteral("+4930123456"), QStringLiteral("Hi"));

} // namespace

TEST(SimTextMessage, ReadListsEachMessageInItsOwnTurnAndEndsWithTheLast)
{
    SmsFixture fixture;
    SmsRecorder recorder(fixture.sms());
    const qint32 id = fixture.read(1);
    EXPECT_TRUE(recorder.reads.isEmpty()) << "no event inside the call";
    fixture.clock.yieldOnce();
    EXPECT_EQ(recorder.reads.size(), 1);
    fixture.clock.runAll();
    const QList<StoredSms> stored = fixture.stored(1);
    ASSERT_EQ(stored.size(), 3);
    ASSERT_EQ(recorder.reads.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const SmsEvent& event = recorder.reads.at(i);
        const StoredSms& message = stored.at(i);
        EXPECT_EQ(std::tuple(event.transactionId, event.status, event.storage, event.pdu, event.type,
                             event.length),
                  std::tuple(id, i < 2 ? SmsStatus::MoreToCome : 0, 1, message.pdu, message.type,
                             message.length));
    }

    // The selection picks messages by their status.
    recorder.reads.clear();
    fixture.read(1, smstype::ReceivedUnread);
    fixture.clock.runAll();
    ASSERT_EQ(recorder.reads.size(), 1);
    EXPECT_EQ(recorder.reads.at(0).status, 0);
    EXPECT_EQ(recorder.reads.at(0).type, smstype::ReceivedUnread);
}

TEST(SimTextMessage, EmptyOrUnknownStoragesEndWithOneEventWithoutPdu)
{
    SmsFixture fixture(blankPhone(QStringLiteral("BVT610")));
    SmsRecorder recorder(fixture.sms());
    fixture.read(1);
    fixture.read(2);
    fixture.read(3);
    fixture.read(1, 7);
    fixture.clock.runAll();
    QList<qint32> statuses;
    for (const SmsEvent& event : recorder.reads)
        statuses << event.status;
    EXPECT_EQ(statuses, (QList<qint32>{SmsStatus::NoMessages, SmsStatus::NoMessages,
                                       status::InvalidParameter, status::InvalidParameter}));
    for (const SmsEvent& event : recorder.reads)
        EXPECT_FALSE(event.hasPdu);
}

TEST(SimTextMessage, WriteStoresAtTheEndUntilTheStorageIsFull)
{
    QJsonObject json = blankPhone(QStringLiteral("BVT610"));
    json.insert(SmsStore::Key, SmsStore::storages(2, {}, 5, {}));
    SmsFixture fixture(json);
    SmsRecorder recorder(fixture.sms());
    fixture.write(1, kDraft);
    EXPECT_TRUE(recorder.writes.isEmpty()) << "no answer inside the call";
    fixture.write(1, kDraft, smstype::StoredSent);
    fixture.write(1, kDraft);
    // What the phone cannot store: a Length that does not fit the PDU, no such storage, no
    // such message status.
    qint32 id = 0;
    fixture.sms()->WriteMessage(2, smstype::StoredUnsent, kDraft.hex, kDraft.length + 1, id);
    fixture.sms()->WriteMessage(3, smstype::StoredUnsent, kDraft.hex, kDraft.length, id);
    fixture.sms()->WriteMessage(2, 9, kDraft.hex, kDraft.length, id);
    fixture.clock.runAll();
    QList<qint32> statuses;
    for (const auto& answer : recorder.writes)
        statuses << answer.second;
    EXPECT_EQ(statuses, (QList<qint32>{status::Ok, status::Ok, status::MemoryFull,
                                       status::InvalidParameter, status::InvalidParameter,
                                       status::InvalidParameter}));
    const QList<StoredSms> stored = fixture.stored(1);
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(std::tuple(stored.at(1).type, stored.at(1).pdu, stored.at(1).length),
              std::tuple(smstype::StoredSent, kDraft.hex, kDraft.length));
    EXPECT_TRUE(fixture.stored(2).isEmpty());
}

// Unending reads and a phone unplugged in the middle of a read are met by the program's SMS
// tests; the writes' faults only here.
TEST(SimTextMessage, WriteFaultsOnDemand)
{
    SmsFixture fixture;
    SmsRecorder recorder(fixture.sms());
    SmsFaults faults;
    faults.unansweredWrites = true;
    fixture.setSmsFaults(faults);
    fixture.write(2, kDraft);
    fixture.clock.runAll();
    EXPECT_TRUE(recorder.writes.isEmpty());
    EXPECT_EQ(fixture.stored(2).size(), 2);

    faults = SmsFaults();
    faults.refusedWrites = static_cast<qint32>(0x88880042u);
    faults.lateWriteSeconds = 20;
    fixture.setSmsFaults(faults);
    const qint64 start = fixture.clock.nowMs();
    fixture.write(2, kDraft);
    fixture.clock.runAll();
    ASSERT_EQ(recorder.writes.size(), 1);
    EXPECT_EQ(recorder.writes.at(0).second, static_cast<qint32>(0x88880042u));
    EXPECT_EQ(fixture.clock.nowMs() - start, 20000);
    EXPECT_EQ(fixture.stored(2).size(), 2);
}
