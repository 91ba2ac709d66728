#include "gammucodec/gammumapping.h"
#include "gammucodec/gammupdu.h"
#include "phone/phonestatus.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

namespace status = phonestatus;

TEST(GammuMapping, StatusesOfLibgammuErrors)
{
    const struct
    {
        GSM_Error error;
        qint32 status;
    } rows[] = {
        {ERR_NONE, status::Ok},
        {ERR_NOTSUPPORTED, status::NotSupported},
        {ERR_NOTIMPLEMENTED, status::NotSupported},
        {ERR_FULL, status::MemoryFull},
        {ERR_INVALIDLOCATION, status::InvalidParameter},
        {ERR_TIMEOUT, status::Disconnected},
        {ERR_DEVICENOTEXIST, status::Disconnected},
        {ERR_CANTOPENFILE, status::StorageFailure},
        {ERR_UNKNOWN, status::StorageFailure},
    };
    for (const auto& row : rows)
        EXPECT_EQ(gammu::statusOf(row.error), row.status) << GSM_ErrorName(row.error);
}

TEST(GammuMapping, MessageTypesAndStoragesOutOfRange)
{
    GSM_SMS_State state;
    EXPECT_FALSE(gammu::stateOfType(4, state));
    EXPECT_FALSE(gammu::stateOfType(-1, state));
    EXPECT_EQ(gammu::storageOfMemory(MEM_SM), 1);
    EXPECT_EQ(gammu::storageOfMemory(MEM_ME), 2);
    EXPECT_EQ(gammu::memoryOfStorage(1), MEM_SM);
    EXPECT_EQ(gammu::memoryOfStorage(2), MEM_ME);
}

// Each state gives the PDU kind the program expects, and libgammu reads back what was put in.
TEST(GammuMapping, PdusRoundTripThroughLibgammu)
{
    const struct
    {
        GSM_SMS_State state;
        const char* text;
        GSM_Coding_Type coding;
        GSM_SMSMessageType kind;
    } rows[] = {
        {SMS_UnRead, "Hello, received!", SMS_Coding_Default_No_Compression, SMS_Deliver},
        {SMS_Read, "Grüße ☺", SMS_Coding_Unicode_No_Compression, SMS_Deliver},
        {SMS_UnSent, "draft", SMS_Coding_Default_No_Compression, SMS_Submit},
        {SMS_Sent, "Привет", SMS_Coding_Unicode_No_Compression, SMS_Submit},
    };
    for (const auto& row : rows) {
        auto sms = std::make_unique<GSM_SMSMessage>();
        std::memset(sms.get(), 0, sizeof *sms);
        GSM_SetDefaultSMSData(sms.get());
        sms->State = row.state;
        sms->Coding = row.coding;
        gammu::toUnicode(QString::fromUtf8(row.text), sms->Text, 160);
        gammu::toUnicode(QStringLiteral("+4917099887766"), sms->Number, 20);
        gammu::toUnicode(QStringLiteral("+491710760000"), sms->SMSC.Number, 20);
        sms->DateTime = GSM_DateTime{2026, 12, 1, 10, 15, 0, 0};
        gammu::EncodedPdu pdu;
        QString error;
        ASSERT_TRUE(gammu::encodePdu(*sms, pdu, error)) << qPrintable(error);
        EXPECT_EQ(pdu.type, gammu::typeOfState(row.state));
        GSM_SMS_State state = SMS_Sent;
        EXPECT_TRUE(gammu::stateOfType(pdu.type, state) && state == row.state);
        const qsizetype serviceCentre = pdu.hex.left(2).toInt(nullptr, 16) + 1;
        EXPECT_EQ(pdu.length, pdu.hex.size() / 2 - serviceCentre) << qPrintable(pdu.hex);

        auto back = std::make_unique<GSM_SMSMessage>();
        ASSERT_TRUE(gammu::decodePdu(pdu.hex, pdu.length, *back, error)) << qPrintable(error);
        EXPECT_EQ(back->PDU, row.kind);
        EXPECT_EQ(gammu::fromUnicode(back->Text), QString::fromUtf8(row.text));
        EXPECT_EQ(gammu::fromUnicode(back->Number), QStringLiteral("+4917099887766"));
        EXPECT_FALSE(gammu::decodePdu(pdu.hex, pdu.length + 1, *back, error));
        EXPECT_FALSE(gammu::decodePdu(pdu.hex + QStringLiteral("Z"), pdu.length, *back, error));
    }
}

} // namespace
