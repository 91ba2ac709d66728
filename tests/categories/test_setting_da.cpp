#include "categorygolden.h"
#include "scriptedphone.h"

#include "categories/setting_da.h"

// The data account walk and restore on a phone that answers from a script. What they send,
// with the parameter types, and what they log and write is compared whole with
// tests/data/categories/da_*.

namespace {

constexpr qint32 kList = 664;
constexpr qint32 kContexts = 290;
constexpr qint32 kDefine = 662;

QVariantList csdValues(qint32 id, const QString& name, const QVariant& username, qint32 rate)
{
    return {i32(id), name,      username, QStringLiteral("secret"), i16(0), QStringLiteral("+4646"),
            i16(1),  i32(rate), i16(0)};
}

QVariantList gprsValues(qint32 id, const QString& name, const QVariant& username,
                        const QVariant& password)
{
    return {i32(id), name, username, password, i16(1), i16(2), i16(1), i16(0), i16(0)};
}

QVariantList contexts(const QVariant& type, const QVariant& apn)
{
    QVariantList values{i16(1), i16(1), type, apn, i16(0), i16(1), i16(0)};
    while (values.size() < 16)
        values << i16(0);
    return values;
}

// Walks the accounts of rig, saves what it read and compares both with the golden files name.
void walk(ScriptedRig& rig, bool read, const QString& name)
{
    Setting_DA da(rig.services);
    EXPECT_EQ(da.GetDA(), read) << name.toStdString();
    rig.file.sBackUpFIleName = rig.dir.filePath(QStringLiteral("da.MS"));
    EXPECT_TRUE(da.bSaveDataAccounts());
    expectGolden(fileBytes(rig.file.sBackUpFIleName), name + QStringLiteral(".MS"));
    expectGolden(rig.record(), name + QStringLiteral(".txt"));
}

} // namespace

// Accounts read GPRS, CSD, CSD are written per list with their own positions; a rate of 0 is
// stored as 1, a username 0 as no username, and NULs are dropped.
TEST(SettingDA, WalksOfGoodAndShortAnswers)
{
    ScriptedRig rig;
    rig.answer(kList, QVariantList{i16(3)} +
                          gprsValues(7, QStringLiteral("Web") + QString(2, QChar(u'\0')),
                                     QStringLiteral("u"), QStringLiteral("p")) +
                          csdValues(2, QStringLiteral("Office"), i16(0), 0) +
                          csdValues(3, QStringLiteral("Home"), QStringLiteral("me"), 9600));
    rig.answer(kContexts, contexts(QStringLiteral("IP"), QStringLiteral("apn.example")));
    walk(rig, true, QStringLiteral("da_walk"));

    ScriptedRig none;
    none.answer(kList, {i16(0)});
    walk(none, true, QStringLiteral("da_none"));

    // The context read is not answered: the accounts are kept with empty contexts.
    ScriptedRig noContexts;
    noContexts.answer(kList, QVariantList{i16(1)} + gprsValues(4, QStringLiteral("G"), i16(0), i16(0)));
    noContexts.phone.settings.answers[kContexts] = {ScriptedAnswer{0, {}, false}};
    walk(noContexts, true, QStringLiteral("da_no_contexts"));

    // Two accounts announced, one sent: the log shows the state and every element, also while
    // there is no GPRS account yet.
    ScriptedRig shortList;
    shortList.answer(kList, QVariantList{i16(2)} + csdValues(5, QStringLiteral("A"), i16(0), 1));
    walk(shortList, false, QStringLiteral("da_short_list"));

    ScriptedRig fewContexts;
    fewContexts.answer(kList, QVariantList{i16(2)} + gprsValues(1, QStringLiteral("G1"), i16(0), i16(0)) +
                                  gprsValues(2, QStringLiteral("G2"), i16(0), i16(0)));
    fewContexts.answer(kContexts, contexts(QStringLiteral("IP"), i16(0)));
    walk(fewContexts, false, QStringLiteral("da_few_contexts"));
}

// Each account goes under the index after the one the phone returned last (a refused one
// leaves it), and a GPRS context always goes out as IP.
TEST(SettingDA, RestoreRunsTheIndexOnFromTheAnswers)
{
    ScriptedRig rig;
    rig.setFileLines(ProgramHarness::fileLines(goldenPath(QStringLiteral("input/da_restore.MS"))));
    rig.answer(kDefine, {i16(3)});
    rig.answer(kDefine, {i16(4), i16(7)});
    rig.answer(kDefine, {}, 0x7001);
    rig.answer(kDefine, {i16(5), i16(8)});
    Setting_DA da(rig.services);
    EXPECT_EQ(da.DecodeDataAccounts(0), 23);
    expectGolden(rig.record(), QStringLiteral("da_restore.txt"));
    EXPECT_EQ(da.DataAccountCSD[0].RestoredID, 3);
    EXPECT_EQ(da.DataAccountGPRS[0].RestoredID, 4);
    EXPECT_EQ(da.DataAccountGPRS[1].RestoredID, 0);
    EXPECT_EQ(da.DataAccountGPRS[2].RestoredID, 5);
}

// A phone without CSD accounts is sent none of them, and the closing line names them apart
// from the GPRS accounts it takes.
TEST(SettingDA, RestoreSendsNoCsdAccountToAPhoneWithoutThem)
{
    ScriptedRig rig;
    rig.phone.csdKept = false;
    rig.setFileLines(ProgramHarness::fileLines(goldenPath(QStringLiteral("input/da_restore.MS"))));
    rig.answer(kDefine, {i16(4), i16(7)});
    rig.answer(kDefine, {}, 0x7001);
    rig.answer(kDefine, {i16(5), i16(8)});
    Setting_DA da(rig.services);
    EXPECT_EQ(da.DecodeDataAccounts(0), 23);
    expectGolden(rig.record(), QStringLiteral("da_restore_without_csd.txt"));
    EXPECT_TRUE(rig.services.tally.summary(QStringLiteral("written"))
                    .contains(QStringLiteral("Data Accounts: 1 CSD account not supported by this phone")));
}

// An empty section consumes nothing; a group left open, a field before the Number line, a
// negative Number and an unknown key never run into the next section.
TEST(SettingDA, BrokenSectionsNeverRunIntoTheNextSection)
{
    ScriptedRig rig;
    Setting_DA da(rig.services);
    rig.answer(kDefine, {i16(1)});
    rig.setFileLines(ProgramHarness::fileLines(goldenPath(QStringLiteral("input/da_empty.MS"))));
    EXPECT_EQ(da.DecodeDataAccounts(0), 0);
    rig.setFileLines(ProgramHarness::fileLines(goldenPath(QStringLiteral("input/da_broken.MS"))));
    EXPECT_EQ(da.DecodeDataAccounts(0), 9);
    ASSERT_EQ(da.DataAccountCSD.size(), 1);
    EXPECT_EQ(da.DataAccountCSD[0].Name, QStringLiteral("Open"));
    expectGolden(rig.record(), QStringLiteral("da_broken.txt"));
}
