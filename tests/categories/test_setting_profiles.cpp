#include "categorytesting.h"

#include "categories/truetext.h"

#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

using Box = MainView::Box;

const QString kProfiles = QStringLiteral("profiles");

QJsonObject profilesOf(const ProgramHarness& harness)
{
    return harness.image->settings(kProfiles);
}

QJsonObject profileOf(const ProgramHarness& harness, int number)
{
    return profilesOf(harness).value(QStringLiteral("list")).toArray().at(number - 1).toObject();
}

// A phone whose profile group is changed by edit before it is built.
template <typename Edit> QJsonObject phoneWith(QJsonObject phone, Edit edit)
{
    QJsonObject settings = phone.value(QStringLiteral("settings")).toObject();
    QJsonObject group = settings.value(kProfiles).toObject();
    QJsonArray list = group.value(QStringLiteral("list")).toArray();
    edit(group, list);
    group.insert(QStringLiteral("list"), list);
    settings.insert(kProfiles, group);
    phone.insert(QStringLiteral("settings"), settings);
    return phone;
}

QJsonObject phoneWithProfiles(QJsonObject phone, int count, int active)
{
    return phoneWith(phone, [&](QJsonObject& group, QJsonArray& list) {
        while (list.size() > count)
            list.removeLast();
        group.insert(QStringLiteral("active"), active);
    });
}

QJsonObject blank()
{
    return phonesim::blankPhone(QStringLiteral("BVT610"));
}

QStringList profileSection(const QStringList& lines)
{
    return sectionOf(lines, QStringLiteral("Settings_Profiles"));
}

} // namespace

TEST(SettingProfiles, WritesEveryProfileWithItsSettingsInTheSectionOrder)
{
    ProgramHarness harness;
    const QString file = harness.path(QStringLiteral("p.MS"));
    ASSERT_EQ(harness.backup({Box::Profiles}, file), RunOutcome::Completed);
    const QStringList lines = ProgramHarness::fileLines(file);
    ASSERT_EQ(lines.size(), 2 + 5 * 25);
    EXPECT_EQ(lines.mid(0, 26), (QStringList{QStringLiteral("<Settings_Profiles>"),
                                             QStringLiteral("   <Profile>"),
                                             QStringLiteral("      <Number value=1/>"),
                                             QStringLiteral("      <Name value=Normal/>"),
                                             QStringLiteral("      <Active value=False/>"),
                                             QStringLiteral("      <BackLightMode value=1/>"),
                                             QStringLiteral("      <FontSize value=2/>"),
                                             QStringLiteral("      <Handsfree value=0/>"),
                                             QStringLiteral("      <HelpTextMode value=0/>"),
                                             QStringLiteral("      <KeySound value=2/>"),
                                             QStringLiteral("      <Language value=4/>"),
                                             QStringLiteral("      <MessageAlert value=5/>"),
                                             QStringLiteral("      <MinuteReminder value=1/>"),
                                             QStringLiteral("      <RingLevel_Line1 value=4/>"),
                                             QStringLiteral("      <RingLevel_Line2 value=2/>"),
                                             QStringLiteral("      <RingLevel_Fax value=1/>"),
                                             QStringLiteral("      <RingLevel_Data value=0/>"),
                                             QStringLiteral("      <RingMelody_Line1 value=12/>"),
                                             QStringLiteral("      <RingMelody_Line2 value=7/>"),
                                             QStringLiteral("      <RingMelody_Fax value=3/>"),
                                             QStringLiteral("      <RingMelody_Data value=3/>"),
                                             QStringLiteral("      <RingMelody_Alarm value=21/>"),
                                             QStringLiteral("      <ScreenSaverMode value=0/>"),
                                             QStringLiteral("      <SilenceMode value=0/>"),
                                             QStringLiteral("      <VibratorMode value=0/>"),
                                             QStringLiteral("   <Profile/>")}));
    EXPECT_EQ(lines.last(), QStringLiteral("<Settings_Profiles/>"));
    EXPECT_TRUE(harness.statusLines().contains(QStringLiteral("Backup of Profiles -> Done")));
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Backup of Profiles -> Done")));
    EXPECT_TRUE(harness.program->categories().profiles.bAlternateLine);
}

TEST(SettingProfiles, WalkActivatesEachProfileInTurnAndSetsBackTheActiveOne)
{
    ProgramHarness harness(phoneWithProfiles(phonesim::demoPhone(), 3, 2));
    const QString file = harness.path(QStringLiteral("p.MS"));
    ASSERT_EQ(harness.backup({Box::Profiles}, file), RunOutcome::Completed);
    const QStringList log = harness.logLines();
    EXPECT_TRUE(log.contains(QStringLiteral("NumberOfProfiles--> 3")));
    EXPECT_TRUE(log.contains(QStringLiteral("0-Got the active profile....")));
    EXPECT_EQ(linesStartingWith(log, QStringLiteral("2-Profile->")),
              (QStringList{QStringLiteral("2-Profile-> 1"), QStringLiteral("2-Profile-> 2"),
                           QStringLiteral("2-Profile-> 3")}));
    EXPECT_EQ(linesStartingWith(log, QStringLiteral("Done with")).size(), 3 * 4);
    EXPECT_EQ(log.indexOf(QStringLiteral("5-Sucess to set back the active profile")),
              log.indexOf(QStringLiteral("Done with Sound"),
                          log.indexOf(QStringLiteral("2-Profile-> 3"))) +
                  1);
    EXPECT_EQ(profilesOf(harness).value(QStringLiteral("active")).toInt(), 2);
    EXPECT_EQ(linesStartingWith(ProgramHarness::fileLines(file), QStringLiteral("      <Active")),
              (QStringList{QStringLiteral("      <Active value=False/>"),
                           QStringLiteral("      <Active value=True/>"),
                           QStringLiteral("      <Active value=False/>")}));
    EXPECT_TRUE(
        harness.statusLines().contains(QStringLiteral("Saving Profile number-> 3-> My car")));
}

TEST(SettingProfiles, NulPaddedNamesAreShownAndWrittenWithoutTheirPadding)
{
    const QString padded = QStringLiteral("Meeting") + QString(3, QChar(0));
    ProgramHarness harness(phoneWith(phonesim::demoPhone(), [&](QJsonObject&, QJsonArray& list) {
        QJsonObject second = list.at(1).toObject();
        second.insert(QStringLiteral("name"), padded);
        list.replace(1, second);
    }));
    const QString file = harness.path(QStringLiteral("p.MS"));
    harness.backup({Box::Profiles}, file);
    EXPECT_TRUE(
        ProgramHarness::fileLines(file).contains(QStringLiteral("      <Name value=Meeting/>")));
    EXPECT_TRUE(
        harness.statusLines().contains(QStringLiteral("Saving Profile number-> 2-> Meeting")));
    EXPECT_TRUE(harness.logLines().contains(QStringLiteral("Saving Profile number-> 2-> Meeting")));
    EXPECT_EQ(harness.program->categories().profiles.Profiles.at(1).Name.value, padded);
}

TEST(SettingProfiles, RefusedRingVolumesLeaveAllFourOutAndAreNotRestored)
{
    ProgramHarness harness;
    editFaults(harness, [](phonesim::Faults& faults) { faults.refused.insert(23, 0x7001); });
    const QString file = harness.path(QStringLiteral("p.MS"));
    harness.backup({Box::Profiles}, file);
    const QString text = ProgramHarness::fileLines(file).join(QLatin1Char('|'));
    EXPECT_FALSE(text.contains(QLatin1String("RingLevel")));
    EXPECT_EQ(text.count(QLatin1String("RingMelody_")), 5 * 5);

    ProgramHarness target(blank());
    const QJsonArray volumesBefore =
        profileOf(target, 1).value(QStringLiteral("ringVolumes")).toArray();
    ASSERT_EQ(target.restore(file), RunOutcome::Completed);
    EXPECT_EQ(profileOf(target, 1).value(QStringLiteral("ringVolumes")).toArray(), volumesBefore);
    EXPECT_EQ(profileOf(target, 1).value(QStringLiteral("ringMelodies")).toArray(),
              (QJsonArray{12, 7, 3, 3, 21}));
}

TEST(SettingProfiles, SettingsAModelLacksStayAbsent)
{
    QJsonObject phone = phonesim::demoPhone();
    QJsonObject identity = phone.value(QStringLiteral("identity")).toObject();
    identity.insert(QStringLiteral("model"), QStringLiteral("BVT300"));
    phone.insert(QStringLiteral("identity"), identity);
    ProgramHarness harness(phone);
    const QString file = harness.path(QStringLiteral("p.MS"));
    ASSERT_EQ(harness.backup({Box::Profiles}, file), RunOutcome::Completed);
    const QString text = ProgramHarness::fileLines(file).join(QLatin1Char('|'));
    for (const char* key : {"FontSize", "HelpTextMode", "ScreenSaverMode"})
        EXPECT_FALSE(text.contains(QLatin1String(key))) << key;
    EXPECT_EQ(text.count(QLatin1String("<KeySound")), 5);
    EXPECT_FALSE(harness.program->categories().profiles.bAlternateLine);
    EXPECT_TRUE(harness.logLines().contains(
        QStringLiteral("Command --->CMD_GETFONTSIZE<--- is not supported")));
}

TEST(SettingProfiles, TrueTextIsAnyTextContainingTrueInAnyCase)
{
    for (const char* text : {"TRUE", "true", "True", "xtruex"})
        EXPECT_TRUE(IsTrueText(QLatin1String(text))) << text;
    for (const char* text : {"False", "1", "", "-1", "tru e"})
        EXPECT_FALSE(IsTrueText(QLatin1String(text))) << text;
}

TEST(SettingProfiles, RestoreActivatesTheMarkedProfileAndLeavesProfilesTheFileLacks)
{
    ProgramHarness harness(blank());
    const QJsonObject fourth = profileOf(harness, 4);
    const QString file = harness.writeFile(
        QStringLiteral("p.MS"),
        {QStringLiteral("<Settings_Profiles>"), QStringLiteral("   <Profile>"),
         QStringLiteral("      <Number value=1/>"), QStringLiteral("      <Name value=Work/>"),
         QStringLiteral("      <Active value=False/>"), QStringLiteral("   <Profile/>"),
         QStringLiteral("   <Profile>"), QStringLiteral("      <Number value=2/>"),
         QStringLiteral("      <Name value=My Profile 2/>"),
         QStringLiteral("      <Active value=xtruex/>"), QStringLiteral("   <Profile/>"),
         QStringLiteral("   <Profile>"), QStringLiteral("      <Number value=3/>"),
         QStringLiteral("      <Name value=Gym/>"), QStringLiteral("      <Active value=1/>"),
         QStringLiteral("   <Profile/>"), QStringLiteral("<Settings_Profiles/>")});
    ASSERT_EQ(harness.restore(file), RunOutcome::Completed);
    EXPECT_EQ(profilesOf(harness).value(QStringLiteral("active")).toInt(), 2);
    EXPECT_EQ(profileOf(harness, 2).value(QStringLiteral("name")).toString(),
              QStringLiteral("My Profile 2"));
    EXPECT_EQ(profileOf(harness, 3).value(QStringLiteral("name")).toString(),
              QStringLiteral("Gym"));
    EXPECT_EQ(profileOf(harness, 4), fourth);
    const QStringList log = harness.logLines();
    EXPECT_TRUE(log.contains(QStringLiteral("Profile not in the backup file -> 4")));
    EXPECT_TRUE(log.contains(QStringLiteral("Profile not in the backup file -> 5")));
    EXPECT_TRUE(
        harness.statusLines().contains(QStringLiteral("Restoring profile -> 2-> My Profile 2")));
    EXPECT_TRUE(harness.statusLines().contains(QStringLiteral("Restore finished")));
}

TEST(SettingProfiles, FiveProfilesIntoAPhoneWithFourRestoreTheFirstFour)
{
    ProgramHarness source;
    const QString file = source.path(QStringLiteral("p.MS"));
    source.backup({Box::Profiles}, file);

    ProgramHarness harness(phoneWithProfiles(blank(), 4, 1));
    ASSERT_EQ(harness.restore(file), RunOutcome::Incomplete);
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("Profiles: 1 not written -> see the log"));
    for (int number = 1; number <= 4; ++number)
        EXPECT_EQ(profileOf(harness, number), profileOf(source, number)) << number;
    EXPECT_EQ(profilesOf(harness).value(QStringLiteral("list")).toArray().size(), 4);
    EXPECT_EQ(profilesOf(harness).value(QStringLiteral("active")).toInt(), 2);
    EXPECT_FALSE(
        harness.statusLines().contains(QStringLiteral("Restoring profile -> 5-> Home office")));
}

TEST(SettingProfiles, MalformedLinesAreLoggedAndTheRestIsRestored)
{
    ProgramHarness harness(blank());
    const QString file = harness.writeFile(
        QStringLiteral("m.MS"),
        {QStringLiteral("<Settings_Profiles>"), QStringLiteral("   <Profile>"),
         QStringLiteral("      <Name value=Orphan/>"), QStringLiteral("      <Number value=3/>"),
         QStringLiteral("      <Name value=Third/>"), QStringLiteral("   <Profile/>"),
         QStringLiteral("   <Profile>"), QStringLiteral("      <Number value=1.5/>"),
         QStringLiteral("      <Name value=Work/>"), QStringLiteral("      <FontSize 0/>"),
         QStringLiteral("      <Language value=70000/>"),
         QStringLiteral("      <KeySound value=0/>"), QStringLiteral("      <fontsize value=0/>"),
         QStringLiteral("      <Colour value=3/>"), QStringLiteral("   <Profile/>"),
         QStringLiteral("<Settings_Time>"), QStringLiteral("   <Nitz value=0/>"),
         QStringLiteral("<Settings_Time/>")});
    ASSERT_EQ(harness.restore(file), RunOutcome::Completed);
    // 1.5 - 1 rounds to the even 0: the second group is profile 1, and profile 3 is kept.
    EXPECT_EQ(profileOf(harness, 1).value(QStringLiteral("name")).toString(),
              QStringLiteral("Work"));
    EXPECT_EQ(profileOf(harness, 3).value(QStringLiteral("name")).toString(),
              QStringLiteral("Third"));
    EXPECT_EQ(profileOf(harness, 2).value(QStringLiteral("name")).toString(),
              QStringLiteral("Meeting"));
    EXPECT_EQ(profileOf(harness, 1).value(QStringLiteral("keySound")).toInt(), 0);
    EXPECT_EQ(profileOf(harness, 1).value(QStringLiteral("fontSize")).toInt(), 1);
    EXPECT_EQ(harness.image->settings(QStringLiteral("time"))
                  .value(QStringLiteral("timeZoneUpdate"))
                  .toInt(),
              0);
    const QStringList log = harness.logLines();
    for (const char* line :
         {"No profile number for -> Name value=Orphan",
          "Incorrect element line ->       <FontSize 0/>",
          "Value out of range -> Language value=70000",
          "Missing end of section -> <Settings_Profiles/>", "Profile not in the backup file -> 2"})
        EXPECT_TRUE(log.contains(QLatin1String(line))) << line;
    EXPECT_FALSE(log.join(QLatin1Char('|')).contains(QLatin1String("Colour")));
}

TEST(SettingProfiles, NegativeValuesAreKeptAndARefusedOneIsCounted)
{
    ProgramHarness harness(blank());
    const QString file = harness.writeFile(
        QStringLiteral("n.MS"),
        {QStringLiteral("<Settings_Profiles>"), QStringLiteral("   <Profile>"),
         QStringLiteral("      <Number value=1/>"), QStringLiteral("      <Name value=Normal/>"),
         QStringLiteral("      <Active value=True/>"), QStringLiteral("      <FontSize value=-3/>"),
         QStringLiteral("      <VibratorMode value=2/>"), QStringLiteral("   <Profile/>"),
         QStringLiteral("<Settings_Profiles/>")});
    ASSERT_EQ(harness.restore(file), RunOutcome::Incomplete);
    EXPECT_TRUE(harness.logLines().contains(
        QStringLiteral("Not written -> CMD_SETFONTSIZE (status 0x88880002)")));
    EXPECT_EQ(profileOf(harness, 1).value(QStringLiteral("fontSize")).toInt(), 1);
    EXPECT_EQ(profileOf(harness, 1).value(QStringLiteral("vibratorMode")).toInt(), 2);

    Program& program = *harness.program;
    program.file().sBackUpFIleName = harness.path(QStringLiteral("again.MS"));
    program.categories().profiles.bSaveProfileSettings();
    EXPECT_TRUE(ProgramHarness::fileLines(harness.path(QStringLiteral("again.MS")))
                    .contains(QStringLiteral("      <FontSize value=-3/>")));
}

TEST(SettingProfiles, RefusedProfileCountTouchesNoProfileOnRestore)
{
    ProgramHarness source;
    const QString file = source.path(QStringLiteral("p.MS"));
    source.backup({Box::Profiles}, file);

    ProgramHarness harness(blank());
    editFaults(harness, [](phonesim::Faults& faults) { faults.refused.insert(126, 0x7001); });
    const QJsonObject before = profilesOf(harness);
    ASSERT_EQ(harness.restore(file), RunOutcome::Incomplete);
    EXPECT_EQ(harness.statusLines().last(), QStringLiteral("Profiles: 5 not written -> see the log"));
    EXPECT_EQ(profilesOf(harness), before);
    EXPECT_TRUE(
        linesStartingWith(harness.statusLines(), QStringLiteral("Restoring profile")).isEmpty());
}

TEST(SettingProfiles, WalkErrorsFailTheCategoryButNotTheRun)
{
    // No profiles at all: the count is below 1.
    ProgramHarness empty(phoneWithProfiles(phonesim::demoPhone(), 0, 1));
    const QString file = empty.path(QStringLiteral("p.MS"));
    ASSERT_EQ(empty.backup({Box::Profiles, Box::Time}, file), RunOutcome::Incomplete);
    const QStringList lines = ProgramHarness::fileLines(file);
    EXPECT_TRUE(profileSection(lines).isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("<Settings_Time>"));
    EXPECT_TRUE(empty.logLines().contains(QStringLiteral("GetProfileSettings_Error")));
    EXPECT_TRUE(empty.statusLines().contains(QStringLiteral("Backup of Profiles -> Failed")));
    EXPECT_TRUE(empty.logLines().contains(QStringLiteral("Backup of Profiles -> Failed")));

    // A ring volume answer without values ends the walk inside profile 1; the phone is still
    // left with the profile that was active.
    ProgramHarness harness;
    editFaults(harness, [](phonesim::Faults& faults) { faults.nonArrayData.insert(23); });
    ASSERT_EQ(harness.backup({Box::Profiles}, file), RunOutcome::Incomplete);
    EXPECT_TRUE(profileSection(ProgramHarness::fileLines(file)).isEmpty());
    const QStringList log = harness.logLines();
    EXPECT_LT(log.indexOf(QStringLiteral("GetProfileSettings_Error")),
              log.indexOf(QStringLiteral("5-Sucess to set back the active profile")));
    EXPECT_FALSE(log.contains(QStringLiteral("2-Profile-> 2")));
    EXPECT_EQ(profilesOf(harness).value(QStringLiteral("active")).toInt(), 2);
}

TEST(SettingProfiles, RoundTripThroughABlankPhoneGivesTheSameSection)
{
    ProgramHarness source;
    const QString first = source.path(QStringLiteral("a.MS"));
    ASSERT_EQ(source.backup({Box::Profiles}, first), RunOutcome::Completed);

    ProgramHarness target(blank());
    ASSERT_NE(profilesOf(target), profilesOf(source));
    ASSERT_EQ(target.restore(first), RunOutcome::Completed);
    EXPECT_TRUE(target.program->categories().profiles.bAlternateLine);
    const QString second = target.path(QStringLiteral("b.MS"));
    ASSERT_EQ(target.backup({Box::Profiles}, second), RunOutcome::Completed);
    EXPECT_EQ(ProgramHarness::fileLines(second), ProgramHarness::fileLines(first));
    EXPECT_EQ(profilesOf(target), profilesOf(source));
}
