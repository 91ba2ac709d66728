#include "scriptedphone.h"

#include "scenario.h"

#include "categories/setting_da.h"
#include "categories/setting_wap.h"
#include "core/programerror.h"

#include <gtest/gtest.h>

namespace {

constexpr qint32 kList = 186;
constexpr qint32 kGetActive = 183;
constexpr qint32 kSetActive = 184;
constexpr qint32 kRename = 188;
constexpr qint32 kSetBearer = 201;
constexpr qint32 kSetLogin = 195;
constexpr qint32 kSetHomePage = 181;

struct WapRig : ScriptedRig
{
    WapRig() : da(services), wap(services, da)
    {
        file.registerReader(sections::SettingsDataAccount,
                            [this](int index) { return da.DecodeDataAccounts(index); });
        file.registerReader(sections::SettingsWap,
                            [this](int index) { return wap.DecodeWAPSettings(index); });
    }
    Setting_DA da;
    Setting_WAP wap;
};

QStringList profile(int number, const QString& active, const QString& bearer,
                    const QString& extra = QString())
{
    QStringList lines{QStringLiteral("   <Profile>"),
                      QStringLiteral("      <Number value=%1/>").arg(number),
                      QStringLiteral("      <Name value=P%1/>").arg(number),
                      QStringLiteral("      <Active value=%1/>").arg(active),
                      QStringLiteral("      <Preferred_Bearer value=%1/>").arg(bearer)};
    if (!extra.isEmpty())
        lines << extra;
    return lines << QStringLiteral("   <Profile/>");
}

} // namespace

TEST(SettingWAP, GroupsOutOfOrderLandByNumberAndTheActiveProfileComesBack)
{
    WapRig rig;
    rig.answer(kList, {i16(3), i16(3), QStringLiteral("C"), i16(0), i16(1), QStringLiteral("A"),
                       i16(0), i16(2), QStringLiteral("B")});
    rig.answer(kGetActive, {i16(2)});
    rig.answer(196, {i16(0)}); // no login
    rig.answer(205, {i16(1), i16(1), QStringLiteral("1.2.3.4")});
    rig.answer(202, {i16(3), i16(5)});
    rig.answer(180, {}, 0x7001); // home page refused
    rig.answer(193, {}, 0x7001);
    rig.wap.GetWAPSettings();
    EXPECT_EQ(rig.sent(kSetActive), (QList<QVariantList>{{i16(1)}, {i16(2)}, {i16(3)}, {i32(2)}}));
    EXPECT_EQ(rig.sent(kSetActive).last()[0].typeId(), QMetaType::Int);

    rig.file.sBackUpFIleName = rig.dir.filePath(QStringLiteral("w.MS"));
    rig.wap.bSaveWAPSettings();
    // The refused home page and the unanswered time-out were not read: no line for them.
    expectGolden(fileBytes(rig.file.sBackUpFIleName), QStringLiteral("wap_walk.MS"));
    EXPECT_FALSE(rig.services.tally.isClean());

    // Restored: no home page and no time-out is sent, the empty login goes with two empty
    // texts, and profile 2 is activated last.
    rig.setFileLines(ProgramHarness::fileLines(rig.file.sBackUpFIleName));
    rig.file.bDecodeFile();
    EXPECT_TRUE(rig.sent(kSetHomePage).isEmpty());
    EXPECT_EQ(rig.sent(kSetLogin).value(0), (QVariantList{QString(), QString()}));
    EXPECT_EQ(rig.sent(kSetActive).last(), (QVariantList{i16(2)}));
    EXPECT_EQ(rig.sent(kRename).size(), 3);
}

TEST(SettingWAP, ListsTheGetterCannotUseRaiseAfterSettingTheActiveProfileBack)
{
    const QList<QVariantList> badLists{
        {i16(0)},
        {i16(2), i16(1), QStringLiteral("A"), i16(0), i16(3), QStringLiteral("B")},
        {i16(2), i16(1), QStringLiteral("A")}};
    for (const QVariantList& list : badLists) {
        WapRig rig;
        rig.answer(kList, list);
        EXPECT_THROW(rig.wap.GetWAPSettings(), ProgramError);
        EXPECT_TRUE(rig.sent(kSetActive).isEmpty());
    }
    WapRig shortGateway;
    shortGateway.answer(kList, {i16(1), i16(1), QStringLiteral("A"), i16(0)});
    shortGateway.answer(kGetActive, {i16(1)});
    shortGateway.answer(193, {i16(30)});
    shortGateway.answer(205, {i16(1), i16(1)});
    EXPECT_THROW(shortGateway.wap.GetWAPSettings(), ProgramError);
    EXPECT_EQ(shortGateway.sent(kSetActive), (QList<QVariantList>{{i16(1)}, {i32(1)}}));
    EXPECT_TRUE(shortGateway.wap.WAPProfiles.isEmpty());
}

TEST(SettingWAP, BearerFollowsTheAccountRestoredFromTheSameFile)
{
    const QStringList accounts{QStringLiteral("<Settings_DataAccount>"),
                               QStringLiteral("   <CSD>"),
                               QStringLiteral("      <Number value=0/>"),
                               QStringLiteral("      <ID value=5/>"),
                               QStringLiteral("   <CSD/>"),
                               QStringLiteral("   <GPRS>"),
                               QStringLiteral("      <Number value=0/>"),
                               QStringLiteral("      <ID value=7/>"),
                               QStringLiteral("   <GPRS/>"),
                               QStringLiteral("<Settings_DataAccount/>")};
    const QStringList wap = QStringList{QStringLiteral("<Settings_WAP>")} +
                            profile(1, QStringLiteral("False"), QStringLiteral("5")) +
                            profile(2, QStringLiteral("TRUE"), QStringLiteral("7")) +
                            profile(3, QStringLiteral("xtruex"), QStringLiteral("9")) +
                            QStringList{QStringLiteral("<Settings_WAP/>")};
    WapRig rig;
    rig.answer(662, {i16(2)});
    rig.answer(662, {i16(3), i16(1)});
    rig.setFileLines(accounts + wap);
    rig.file.bDecodeFile();
    EXPECT_EQ(rig.sent(kSetBearer),
              (QList<QVariantList>{{i16(3), i32(2)}, {i16(3), i32(3)}, {i16(3), i32(0)}}));
    // Several marked active: the last one wins.
    EXPECT_EQ(rig.sent(kSetActive).last(), (QVariantList{i16(3)}));

    // The same profiles without an account section: the accounts restored before belong to
    // another file, so every bearer goes out as 0.
    rig.setFileLines(wap);
    rig.file.bDecodeFile();
    EXPECT_EQ(rig.sent(kSetBearer).mid(3),
              (QList<QVariantList>{{i16(3), i32(0)}, {i16(3), i32(0)}, {i16(3), i32(0)}}));
}

TEST(SettingWAP, MalformedSectionIsLoggedLineByLineAndTheFileGoesOn)
{
    WapRig rig;
    rig.setFileLines(
        {QStringLiteral("<Settings_WAP>"), QStringLiteral("      <Name value=Orphan/>"),
         QStringLiteral("   <Profile>"), QStringLiteral("      <Number value=2/>"),
         QStringLiteral("      <Name value=Two/>"), QStringLiteral("      <Proxy_UID value=x/>"),
         QStringLiteral("      <HomePage_URL value=http://a/>b/>"),
         QStringLiteral("      <Connection_Timeout value=9999999999/>"),
         QStringLiteral("      <Active without value/>"),
         QStringLiteral("      <Number value=70000/>"),
         QStringLiteral("      <Gateway value=lost/>"), QStringLiteral("   <Profile/>"),
         QStringLiteral("<Settings_Time>")});
    rig.file.bDecodeFile();
    const QStringList log = rig.logLines();
    for (const char* line :
         {"No profile for the tag->Name", "Failed to find the tag->Proxy_UID",
          "Value out of range -> Connection_Timeout value=9999999999",
          "Incorrect element line ->       <Active without value/>",
          "Value out of range -> Number value=70000", "No profile for the tag->Gateway",
          "Missing end of section -> <Settings_WAP/>"})
        EXPECT_TRUE(log.contains(QLatin1String(line))) << line;
    ASSERT_EQ(rig.wap.WAPProfiles.size(), 2);
    // Profile 1 is not in the file: its slot is neither renamed nor changed.
    EXPECT_EQ(rig.sent(kRename), (QList<QVariantList>{{i16(2), QStringLiteral("Two")}}));
    EXPECT_EQ(rig.sent(kSetHomePage), (QList<QVariantList>{{QStringLiteral("http://a")}}));
    EXPECT_TRUE(rig.sent(192).isEmpty());
    // No profile marked active.
    EXPECT_EQ(rig.sent(kSetActive).last(), (QVariantList{i16(0)}));

    // A section without a profile sends nothing.
    WapRig empty;
    empty.setFileLines({QStringLiteral("<Settings_WAP>"), QStringLiteral("<Settings_WAP/>")});
    empty.file.bDecodeFile();
    EXPECT_TRUE(empty.phone.settings.sent.isEmpty());
}
