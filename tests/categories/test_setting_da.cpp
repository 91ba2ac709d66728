#include "scriptedphone.h"

#include "categories/setting_da.h"
#include "scenario.h"

#include <gtest/gtest.h>

namespace {

constexpr qint32 kList = 664;
constexpr qint32 kContexts = 290;
constexpr qint32 kDefine = 662;
constexpr qint32 kSetContext = 291;

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

QVariantList contextValues(const QVariant& type, const QVariant& apn, const QVariant& address)
{
    QVariantList values{i16(1), type, apn, address, i16(1), i16(0)};
    while (values.size() < 15)
        values << i16(0);
    return values;
}

} // namespace

TEST(SettingDA, AccountsReadGprsCsdCsdAreWrittenPerListWithTheirOwnPositions)
{
    ScriptedRig rig;
    rig.answer(kList, QVariantList{i16(3)} +
                          gprsValues(7, QStringLiteral("Web") + QString(2, QChar(u'\0')),
                                     QStringLiteral("u"), QStringLiteral("p")) +
                          csdValues(2, QStringLiteral("Office"), i16(0), 0) +
                          csdValues(3, QStringLiteral("Home"), QStringLiteral("me"), 9600));
    rig.answer(kContexts,
               QVariantList{i16(1)} +
                   contextValues(QStringLiteral("IP"), QStringLiteral("apn.example"), i16(0)));
    Setting_DA da(rig.services);
    ASSERT_TRUE(da.GetDA());
    ASSERT_EQ(da.DataAccountCSD.size(), 2);
    EXPECT_EQ(da.DataAccountCSD[0].DataRate, 1); // a rate of 0 is stored as 1
    EXPECT_EQ(da.DataAccountCSD[0].Username, QString());

    rig.file.sBackUpFIleName = rig.dir.filePath(QStringLiteral("da.MS"));
    EXPECT_TRUE(da.bSaveDataAccounts());
    expectGolden(fileBytes(rig.file.sBackUpFIleName), QStringLiteral("da_walk.MS"));
    const QStringList log = rig.logLines();
    for (const char* line :
         {"Erased both arrays", "Found--> 3<--accounts", "Checking dataaccount--> 1",
          "Found a GPRS Account", "Store all values into the array", "Found a CSD Account",
          "There was gprs accounts-->Get more info", "Total number of GPRS Accounts--> 1",
          "Checking GPRS Account--> 0", "GPRS Check-->3<--",
          "Saved all info about GPRS Account--> 0"})
        EXPECT_TRUE(log.contains(QLatin1String(line))) << line;
}

TEST(SettingDA, ContextsAreOptionalButAShortAnswerIsReportedWithTheResponse)
{
    ScriptedRig rig;
    Setting_DA da(rig.services);
    rig.answer(kList, {i16(0)});
    EXPECT_FALSE(da.GetDA());
    EXPECT_TRUE(rig.logLines().contains(QStringLiteral("No Data Account available")));

    // The context read is not answered: the accounts are kept with empty contexts.
    ScriptedRig noContexts;
    noContexts.answer(kList,
                      QVariantList{i16(1)} + gprsValues(4, QStringLiteral("G"), i16(0), i16(0)));
    noContexts.phone.settings.answers[kContexts] = {ScriptedAnswer{0, {}, false}};
    Setting_DA kept(noContexts.services);
    EXPECT_TRUE(kept.GetDA());
    ASSERT_EQ(kept.DataAccountGPRS.size(), 1);
    EXPECT_EQ(kept.DataAccountGPRS[0].PDP_Type, QString());
    EXPECT_EQ(kept.DataAccountGPRS[0].DataComp, 0);

    // Two accounts announced, one sent: the report shows the state and every element, and
    // also works while there is no GPRS account yet.
    ScriptedRig shortList;
    shortList.answer(kList, QVariantList{i16(2)} + csdValues(5, QStringLiteral("A"), i16(0), 1));
    Setting_DA failing(shortList.services);
    EXPECT_FALSE(failing.GetDA());
    EXPECT_EQ(failing.DataAccountCSD.size(), 1);
    const QStringList log = shortList.logLines();
    const qsizetype start = log.indexOf(QStringLiteral("GetDA_Error"));
    ASSERT_GE(start, 0);
    EXPECT_EQ(log.mid(start, 5),
              (QStringList{QStringLiteral("GetDA_Error"), QStringLiteral("lLine--> 9"),
                           QStringLiteral("nCounter--> 2"),
                           QStringLiteral("UBound(DataAccountGPRS)-->-1"),
                           QStringLiteral("Print the response from the MS")}));
    EXPECT_TRUE(log.contains(QStringLiteral("Element (N)--> 0<--Data-->2<--")));
    EXPECT_TRUE(log.contains(QStringLiteral("Element (S)--> 2<--Data-->A<--")));
    EXPECT_TRUE(log.contains(QStringLiteral("Desc-->Subscript out of range")));

    // More GPRS accounts than contexts.
    ScriptedRig fewContexts;
    fewContexts.answer(kList, QVariantList{i16(2)} +
                                  gprsValues(1, QStringLiteral("G1"), i16(0), i16(0)) +
                                  gprsValues(2, QStringLiteral("G2"), i16(0), i16(0)));
    fewContexts.answer(kContexts,
                       QVariantList{i16(1)} + contextValues(QStringLiteral("IP"), i16(0), i16(0)));
    Setting_DA partial(fewContexts.services);
    EXPECT_FALSE(partial.GetDA());
    EXPECT_TRUE(fewContexts.logLines().contains(QStringLiteral("UBound(DataAccountGPRS)--> 1")));
    EXPECT_TRUE(fewContexts.logLines().contains(QStringLiteral("lLine--> 16")));
}

TEST(SettingDA, RestoreRunsTheIndexOnFromTheAnswersAndForcesTheIpType)
{
    ScriptedRig rig;
    rig.setFileLines({QStringLiteral("<Settings_DataAccount>"),
                      QStringLiteral("   <CSD>"),
                      QStringLiteral("      <Number value=0/>"),
                      QStringLiteral("      <ID value=5/>"),
                      QStringLiteral("      <Name value=Dial/>"),
                      QStringLiteral("      <DataRate value=9600/>"),
                      QStringLiteral("   <CSD/>"),
                      QStringLiteral("   <GPRS>"),
                      QStringLiteral("      <Number value=0/>"),
                      QStringLiteral("      <ID value=6/>"),
                      QStringLiteral("      <Name value=Net/>"),
                      QStringLiteral("      <PDP_Type value=PPP/>"),
                      QStringLiteral("      <APN value=a.example/>"),
                      QStringLiteral("      <HeadComp value=1/>"),
                      QStringLiteral("   <GPRS/>"),
                      QStringLiteral("   <GPRS>"),
                      QStringLiteral("      <Number value=1/>"),
                      QStringLiteral("      <ID value=8/>"),
                      QStringLiteral("      <Name value=Refused/>"),
                      QStringLiteral("   <GPRS/>"),
                      QStringLiteral("   <GPRS>"),
                      QStringLiteral("      <Number value=2/>"),
                      QStringLiteral("      <ID value=9/>"),
                      QStringLiteral("   <GPRS/>"),
                      QStringLiteral("<Settings_DataAccount/>")});
    rig.answer(kDefine, {i16(3)});
    rig.answer(kDefine, {i16(4), i16(7)});
    rig.answer(kDefine, {}, 0x7001); // a refused GPRS definition
    rig.answer(kDefine, {i16(5), i16(8)});
    Setting_DA da(rig.services);
    EXPECT_EQ(da.DecodeDataAccounts(0), 23);

    const QList<QVariantList> defined = rig.sent(kDefine);
    ASSERT_EQ(defined.size(), 4);
    EXPECT_EQ(defined[0], (QVariantList{i32(1), QStringLiteral("Dial"), QString(), QString(),
                                        i16(0), QString(), i32(0), i32(9600)}));
    EXPECT_EQ(defined[1], (QVariantList{i32(4), QStringLiteral("Net"), QString(), QString(), i16(1),
                                        i32(0), i32(0)}));
    EXPECT_EQ(defined[0][0].typeId(), QMetaType::Int);
    EXPECT_EQ(defined[1][4].typeId(), QMetaType::Short);
    // The refused one has no number; the next account goes under the same index.
    EXPECT_EQ(defined[2].value(0), i32(5));
    EXPECT_EQ(defined[3].value(0), i32(5));
    EXPECT_EQ(rig.sent(kSetContext),
              (QList<QVariantList>{{i16(7), QStringLiteral("IP"), QStringLiteral("a.example"),
                                    QString(), i16(0), i16(1)},
                                   {i16(8), QString(), QString(), QString(), i16(0), i16(0)}}));
    EXPECT_EQ(da.DataAccountCSD[0].RestoredID, 3);
    EXPECT_EQ(da.DataAccountGPRS[0].RestoredID, 4);
    EXPECT_EQ(da.DataAccountGPRS[1].RestoredID, 0);
    EXPECT_EQ(da.DataAccountGPRS[2].RestoredID, 5);
    EXPECT_TRUE(rig.log.statusText().contains(QStringLiteral("Restoring GPRS accounts 3")));
}

TEST(SettingDA, BrokenSectionsNeverRunIntoTheNextSection)
{
    ScriptedRig rig;
    Setting_DA da(rig.services);
    rig.answer(kDefine, {i16(1)});
    // An empty section restores nothing and consumes nothing.
    rig.setFileLines({QStringLiteral("<Settings_DataAccount>"),
                      QStringLiteral("<Settings_DataAccount/>"),
                      QStringLiteral("<Settings_Time>")});
    EXPECT_EQ(da.DecodeDataAccounts(0), 0);
    EXPECT_TRUE(rig.sent(kDefine).isEmpty());

    // A group left open, a field before the Number line, a negative Number and an unknown key.
    rig.setFileLines(
        {QStringLiteral("<Settings_DataAccount>"), QStringLiteral("   <CSD>"),
         QStringLiteral("      <Name value=Early/>"), QStringLiteral("      <Number value=0/>"),
         QStringLiteral("      <Name value=Open/>"), QStringLiteral("      <Colour value=red/>"),
         QStringLiteral("   <CSD>"), QStringLiteral("      <Number value=-1/>"),
         QStringLiteral("      <Name value=Lost/>"), QStringLiteral("   <CSD/>"),
         QStringLiteral("<Settings_Time>"), QStringLiteral("   <Nitz value=1/>")});
    EXPECT_EQ(da.DecodeDataAccounts(0), 9);
    ASSERT_EQ(da.DataAccountCSD.size(), 1);
    EXPECT_EQ(da.DataAccountCSD[0].Name, QStringLiteral("Open"));
    const QStringList log = rig.logLines();
    EXPECT_TRUE(log.contains(QStringLiteral("Missing end of group -> <CSD/>")));
    EXPECT_TRUE(log.contains(QStringLiteral("Missing end of section -> <Settings_DataAccount/>")));
    EXPECT_TRUE(log.contains(QStringLiteral("Value out of range -> Number value=-1")));
    EXPECT_EQ(rig.sent(kDefine).size(), 1);
}
