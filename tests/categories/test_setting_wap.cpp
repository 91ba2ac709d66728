#include "categorygolden.h"
#include "scriptedphone.h"

#include "categories/setting_da.h"
#include "categories/setting_wap.h"
#include "core/programerror.h"

// The WAP walk and restore on a phone that answers from a script. What they send, with the
// parameter types, and what they log is compared whole with tests/data/categories/wap_*.

namespace {

constexpr qint32 kList = 186;
constexpr qint32 kGetActive = 183;
constexpr qint32 kSetActive = 184;

struct WapRig : ScriptedRig
{
    WapRig() : da(services), wap(services, da)
    {
        file.registerReader(sections::SettingsDataAccount,
                            [this](int index) { return da.DecodeDataAccounts(index); });
        file.registerReader(sections::SettingsWap,
                            [this](int index) { return wap.DecodeWAPSettings(index); });
    }
    void restore(const QString& input)
    {
        setFileLines(ProgramHarness::fileLines(goldenPath(QStringLiteral("input/") + input)));
        file.bDecodeFile();
    }
    Setting_DA da;
    Setting_WAP wap;
};

} // namespace

// Groups out of order land by number; the refused home page and the unanswered time-out are
// neither written nor restored; the active profile comes back after the walk and the restore.
TEST(SettingWAP, WalkAndRestoreOfProfilesOutOfOrder)
{
    WapRig rig;
    rig.answer(kList, {i16(3), i16(3), QStringLiteral("C"), i16(0), i16(1), QStringLiteral("A"),
                       i16(0), i16(2), QStringLiteral("B")});
    rig.answer(kGetActive, {i16(2)});
    rig.answer(196, {i16(0)}); // no login
    rig.answer(205, {i16(1), i16(1), QStringLiteral("1.2.3.4")});
    rig.answer(202, {i16(3), i16(5)});
    rig.answer(180, {}, 0x7001);
    rig.answer(193, {}, 0x7001);
    rig.wap.GetWAPSettings();
    EXPECT_FALSE(rig.services.tally.isClean());
    rig.file.sBackUpFIleName = rig.dir.filePath(QStringLiteral("w.MS"));
    rig.wap.bSaveWAPSettings();
    expectGolden(fileBytes(rig.file.sBackUpFIleName), QStringLiteral("wap_walk.MS"));
    rig.setFileLines(ProgramHarness::fileLines(rig.file.sBackUpFIleName));
    rig.file.bDecodeFile();
    expectGolden(rig.record(), QStringLiteral("wap_walk.txt"));
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

// A bearer goes out as the number the phone gave the account restored from the same file (the
// last match, GPRS over CSD), else as 0; several marked active: the last one wins. Then the
// same profiles without an account section: the accounts restored before belong to another
// file. Then a malformed section, logged line by line, and an empty one that sends nothing.
TEST(SettingWAP, RestoresOfBearersAndOfBrokenSections)
{
    WapRig rig;
    rig.answer(662, {i16(2)});
    rig.answer(662, {i16(3), i16(1)});
    rig.restore(QStringLiteral("wap_bearers.MS"));
    rig.restore(QStringLiteral("wap_without_accounts.MS"));
    expectGolden(rig.record(), QStringLiteral("wap_bearers.txt"));

    WapRig broken;
    broken.restore(QStringLiteral("wap_malformed.MS"));
    EXPECT_EQ(broken.wap.WAPProfiles.size(), 2);
    broken.restore(QStringLiteral("wap_empty.MS"));
    expectGolden(broken.record(), QStringLiteral("wap_malformed.txt"));
}
