#include "backupfiletest.h"

#include "core/codepage.h"
#include "core/programerror.h"

namespace {

QString dataPath(const QString& relative)
{
    return QDir(qEnvironmentVariable("CELLARCHIVE_TEST_DATA")).filePath(relative);
}

QByteArray readAllBytes(const QString& path)
{
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

} // namespace

TEST_F(BackupFileTest, AppendLineWritesEveryByteValueAndReadsItBack)
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value) {
        if (value != '\r' && value != '\n')
            bytes.append(static_cast<char>(value));
    }
    file.AppendLine(codepage::decode(bytes));
    file.AppendLine(QStringLiteral("<Settings_Time/>"));

    EXPECT_EQ(readAllBytes(file.sBackUpFIleName), bytes + "\r\n<Settings_Time/>\r\n");
    ASSERT_TRUE(file.bReadFileToArray());
    // One element per line plus the trailing empty one.
    ASSERT_EQ(file.sFileLines.size(), 3);
    EXPECT_EQ(codepage::encode(file.sFileLines[0]), bytes);
    EXPECT_EQ(file.sFileLines[1], QStringLiteral("<Settings_Time/>"));
    EXPECT_EQ(file.sFileLines[2], QString());
}

TEST_F(BackupFileTest, NewFileIsReadableByItsOwnerOnly)
{
    file.AppendLine(QStringLiteral("<Settings_Time>"));
    EXPECT_EQ(QFile::permissions(file.sBackUpFIleName) &
                  ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(BackupFileTest, ReadSplitsAtLoneCrAndKeepsTheUnterminatedLastLine)
{
    file.sBackUpFIleName = dataPath(QStringLiteral("backupfile/lone_cr.MS"));
    ASSERT_TRUE(file.bReadFileToArray());
    EXPECT_EQ(file.sFileLines,
              QStringList({QStringLiteral("<Settings_Time>"), QStringLiteral("   <Nitz value=1/>"),
                           QString(), QStringLiteral("<Settings_Time/>"), QString()}));
    EXPECT_GE(clock.yields(), 4);
}

// A text tool may turn the line ends into LF alone, or mix them: the file reads the same.
TEST_F(BackupFileTest, EveryLineEndGivesTheSameLines)
{
    const QStringList expected{QStringLiteral("<Settings_Time>"), QStringLiteral("   <Nitz value=1/>"),
                               QString(), QStringLiteral("<Settings_Time/>"), QString()};
    for (const QByteArray& bytes :
         {QByteArray("<Settings_Time>\r\n   <Nitz value=1/>\r\n\r\n<Settings_Time/>\r\n"),
          QByteArray("<Settings_Time>\n   <Nitz value=1/>\n\n<Settings_Time/>\n"),
          QByteArray("<Settings_Time>\n   <Nitz value=1/>\r\n\r<Settings_Time/>\n")}) {
        writeBytes(QStringLiteral("backup.MS"), bytes);
        ASSERT_TRUE(file.bReadFileToArray());
        EXPECT_EQ(file.sFileLines, expected) << bytes.toStdString();
    }
}

TEST_F(BackupFileTest, EmptyAndMissingFiles)
{
    writeBytes(QStringLiteral("backup.MS"), QByteArray());
    ASSERT_TRUE(file.bReadFileToArray());
    EXPECT_EQ(file.sFileLines, QStringList{QString()});
    EXPECT_TRUE(file.bCheckFile());

    file.sFileLines = QStringList{QStringLiteral("kept")};
    file.sBackUpFIleName = path(QStringLiteral("absent.MS"));
    EXPECT_FALSE(file.bReadFileToArray());
    EXPECT_EQ(file.sFileLines, QStringList{QStringLiteral("kept")});
}

TEST_F(BackupFileTest, AppendLineIntoAnUnwritablePlaceThrows)
{
    writeBytes(QStringLiteral("plainfile"), "x");
    file.sBackUpFIleName = path(QStringLiteral("plainfile/backup.MS"));
    try {
        file.AppendLine(QStringLiteral("<Settings_Time>"));
        FAIL() << "no error raised";
    } catch (const ProgramError& error) {
        EXPECT_EQ(error.number(), BackupFile::FileAccessError);
        EXPECT_TRUE(error.description().contains(file.sBackUpFIleName));
    }
    file.sBackUpFIleName.clear();
    EXPECT_THROW(file.AppendLine(QStringLiteral("x")), ProgramError);
}

TEST_F(BackupFileTest, TagWords)
{
    using sections::tagWord;
    EXPECT_EQ(tagWord(QStringLiteral("   <Settings_Time>")), QStringLiteral("<Settings_Time"));
    EXPECT_EQ(tagWord(QStringLiteral("<Settings_Time/>")), QStringLiteral("<Settings_Time/"));
    EXPECT_EQ(tagWord(QStringLiteral("   <Index value=3/>")), QStringLiteral("<Index"));
    EXPECT_EQ(tagWord(QStringLiteral("<Settings_Time> more")), QStringLiteral("<Settings_Time>"));
    EXPECT_EQ(tagWord(QStringLiteral("no tag here")), QStringLiteral("no tag here"));
    EXPECT_EQ(tagWord(QStringLiteral("x<Unended")), QStringLiteral("<Unended"));
    EXPECT_EQ(sections::findTag(QStringLiteral("<settings_time")), -1);
}

// The calendar's entry lines share its tag word, but only a second opening counts.
TEST_F(BackupFileTest, CheckLogsEveryDuplicatedSectionTheCalendarToo)
{
    file.sBackUpFIleName = dataPath(QStringLiteral("backupfile/duplicates.MS"));
    ASSERT_TRUE(file.bReadFileToArray());
    EXPECT_FALSE(file.bCheckFile());
    EXPECT_EQ(logTexts(), QStringList({QStringLiteral("Failed to decode the file -->iTag<-->1"),
                                       QStringLiteral("Failed to decode the file -->iTag<-->5"),
                                       QStringLiteral("Failed to decode the file -->iTag<-->9")}));
    const QList<sections::Twice> twice = sections::openedTwice(file.sFileLines);
    ASSERT_EQ(twice.size(), 3);
    EXPECT_EQ(sections::openedTwiceText(twice.at(2)),
              QStringLiteral("the section Settings_Time opens twice (lines 9 and 13)"));

    setLines({QStringLiteral("<Calendar>"), QStringLiteral("   <Calendar Value=BEGIN:VCALENDAR/>"),
              QStringLiteral("   <Calendar Value=BEGIN:VCALENDAR/>"), QStringLiteral("<Calendar/>"),
              QStringLiteral("<Settings_Time>"), QStringLiteral("<Settings_Time/>")});
    EXPECT_TRUE(file.bCheckFile());
}

TEST_F(BackupFileTest, AReaderCannotSendTheWalkBackwards)
{
    EXPECT_FALSE(file.registerReader(sections::SettingsEmail, [](int i) { return i; }));
    EXPECT_FALSE(file.registerReader(sections::Count, [](int i) { return i; }));
    int calls = 0;
    ASSERT_TRUE(file.registerReader(sections::SettingsLocks, [&](int) {
        ++calls;
        return 0;
    }));
    setLines({QStringLiteral("x"), QStringLiteral("<Settings_Locks>"), QStringLiteral("y")});
    EXPECT_TRUE(file.bDecodeFile());
    EXPECT_EQ(calls, 1);
}

// Each case dispatches a file to readers that log what they were given.
class DecodeGolden : public BackupFileTest, public ::testing::WithParamInterface<const char*>
{
protected:
    void registerLoggingReaders()
    {
        for (const sections::Section& section : sections::table()) {
            const QString tag = QLatin1String(section.tagWord);
            file.registerReader(section.iTag, [this, tag, section](int index) {
                const int last = file.readElements(
                    index, tag, tag + QStringLiteral("/>"),
                    [this](const QString& key, const QString& value) {
                        log.WriteLog(QStringLiteral("element ") + key + QLatin1Char('=') + value);
                    });
                log.WriteLog(QStringLiteral("reader %1 at %2 -> %3").arg(section.iTag).arg(index).arg(last));
                return last;
            });
        }
    }
};

TEST_P(DecodeGolden, LogMatches)
{
    const QString caseDir = dataPath(QStringLiteral("backupfile/decode/") + QLatin1String(GetParam()));
    registerLoggingReaders();
    file.sBackUpFIleName = QDir(caseDir).filePath(QStringLiteral("input.MS"));
    ASSERT_TRUE(file.bReadFileToArray());
    EXPECT_TRUE(file.bDecodeFile());
    QStringList expected = QString::fromLatin1(readAllBytes(QDir(caseDir).filePath(
                                                   QStringLiteral("expected.log"))))
                               .split(QLatin1Char('\n'));
    expected.removeLast();
    EXPECT_EQ(logTexts(), expected);
}

INSTANTIATE_TEST_SUITE_P(Files, DecodeGolden,
                         ::testing::Values("locks_custommenu", "empty_and_odd_sections",
                                           "unclosed_sections", "contacts_unsupported",
                                           "empty_file"));
