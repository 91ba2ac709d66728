#include "qtprint.h"
#include "simphonetesting.h"

#include "phonesim/imageirmcstore.h"
#include "phonesim/simstatus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace phonesim;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

// A phone on a file with every kind of change kept in its journal: a setting by command, a
// whole category, entries added, replaced and removed.
struct ChangedPhone
{
    explicit ChangedPhone(const QString& path)
    {
        QString error;
        EXPECT_TRUE(PhoneImage::inMemory(blankPhone(QStringLiteral("BVT610")))->saveAs(path, error));
        image = PhoneImage::load(path, error);
        EXPECT_TRUE(image) << error.toStdString();
        SimPhoneMonitor monitor(image, clock, SimPhoneOptions{true, 50});
        AnswerRecorder recorder(monitor.phone()->settingsObject());
        qint32 id = 0;
        QVariantList params{QVariant::fromValue<qint16>(1)};
        monitor.phone()->settingsObject()->SendCommand(346, params, id);
        params = {QVariant::fromValue<qint16>(5)}; // refused: nothing to keep
        monitor.phone()->settingsObject()->SendCommand(37, params, id);
        clock.runAll();
        EXPECT_EQ(recorder.answers.size(), 2);
        EXPECT_EQ(recorder.answers.value(0).status, status::Ok);
        EXPECT_EQ(recorder.answers.value(1).status, status::InvalidParameter);

        ImageIrmcStore store(image);
        for (const char* name : {"Berg", "Holm", "Weiß", "Núñez"})
            store.add(irmc::IrmcBook::Phonebook, "BEGIN:VCARD\r\nN:" + QByteArray(name) + "\r\nEND:VCARD");
        EXPECT_TRUE(store.replace(irmc::IrmcBook::Phonebook, QStringLiteral("2"), "BEGIN:VCARD\r\nN:Holm;Tom\r\nEND:VCARD"));
        EXPECT_TRUE(store.remove(irmc::IrmcBook::Phonebook, QStringLiteral("3")));
        EXPECT_TRUE(image->setCategory(QStringLiteral("bookmarks"), QJsonArray{QJsonObject{
                                           {QStringLiteral("name"), QStringLiteral("Ä")},
                                           {QStringLiteral("url"), QStringLiteral("a//b")}}}));
    }

    FakeClock clock;
    std::shared_ptr<PhoneImage> image;
};

// The image at path as a fresh load sees it; empty, with a failure, when it cannot be read.
QJsonObject loaded(const QString& path)
{
    QString error;
    const auto image = PhoneImage::load(path, error);
    EXPECT_TRUE(image) << error.toStdString();
    return image ? image->toJson() : QJsonObject();
}

qsizetype loadedContacts(const QString& path)
{
    return loaded(path).value(QStringLiteral("phonebook")).toArray().size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(PhoneImage, ACrashInTheMiddleOfARecordLosesOnlyThatChange)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("phone.json"));
    ChangedPhone phone(path);
    const QString journal = ImageJournal::pathFor(path);
    const QByteArray image = readFile(path);
    const QByteArray kept = readFile(journal);
    const QJsonObject before = phone.image->toJson();
    // Every change is on disk the moment it returns, though the image file was not rewritten.
    EXPECT_EQ(loaded(path), before);

    ImageIrmcStore(phone.image).add(irmc::IrmcBook::Phonebook, "BEGIN:VCARD\r\nN:Last\r\nEND:VCARD");
    const QByteArray record = readFile(journal).mid(kept.size());
    ASSERT_TRUE(record.endsWith('\n'));
    const QJsonObject after = phone.image->toJson();

    // The disk as a crash leaves it while the last record is being written.
    const QList<std::pair<qsizetype, QJsonObject>> cuts{
        {1, before}, {record.size() / 2, before}, {record.size() - 1, before}, {record.size(), after}};
    for (const auto& [length, expected] : cuts) {
        QTemporaryDir crashed;
        const QString copy = crashed.filePath(QStringLiteral("phone.json"));
        writeFile(copy, image);
        writeFile(ImageJournal::pathFor(copy), kept + record.first(length));
        QString error;
        auto reloaded = PhoneImage::load(copy, error);
        ASSERT_TRUE(reloaded) << error.toStdString();
        EXPECT_EQ(reloaded->toJson(), expected) << length;
        // The phone goes on from there: its next change and close make a whole image again.
        ImageIrmcStore store(reloaded);
        EXPECT_FALSE(store.add(irmc::IrmcBook::Phonebook, "BEGIN:VCARD\r\nEND:VCARD").isEmpty());
        ASSERT_TRUE(reloaded->close());
        EXPECT_FALSE(QFile::exists(ImageJournal::pathFor(copy)));
        EXPECT_EQ(loadedContacts(copy), expected.value(QStringLiteral("phonebook")).toArray().size() + 1);
    }

    // A record damaged in the middle of the journal is no crash: the image is refused.
    writeFile(journal, kept.first(kept.indexOf('\n') + 1) + "{\"op\":\"append\"}\n" + record);
    QString error;
    EXPECT_EQ(PhoneImage::load(path, error), nullptr);
    EXPECT_TRUE(error.contains(journal) && error.contains(QStringLiteral("line 2"))) << error.toStdString();
}

TEST(PhoneImage, APhoneClosedAndOpenedAgainHoldsEveryChange)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("phone.json"));
    ChangedPhone phone(path);
    const QString journal = ImageJournal::pathFor(path);
    // Entries big enough to pass the journal's bound: it is folded into the image on the way.
    ImageIrmcStore store(phone.image);
    const QByteArray note = "BEGIN:VCARD\r\nNOTE:" + QByteArray(400000, 'x') + "\r\nEND:VCARD";
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(store.add(irmc::IrmcBook::Calendar, note).isEmpty());
    EXPECT_LT(QFileInfo(journal).size(), 3 * note.size());
    const QJsonObject expected = phone.image->toJson();
    const QByteArray journalBeforeClose = readFile(journal);
    ASSERT_TRUE(phone.image->close());

    // The image alone holds everything, as a JSON document a user can read and edit (beside
    // the lock file, which holds nothing).
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              (QStringList{QStringLiteral("phone.json"), QStringLiteral("phone.json.lock")}));
    QJsonObject onDisk = QJsonDocument::fromJson(readFile(path)).object();
    EXPECT_TRUE(onDisk.take(QStringLiteral("journalFolded")).isObject());
    EXPECT_EQ(onDisk, expected);
    EXPECT_EQ(onDisk.value(QStringLiteral("settings")).toObject().value(QStringLiteral("time"))
                  .toObject().value(QStringLiteral("timeZoneUpdate")), 1);
    EXPECT_EQ(onDisk.value(QStringLiteral("phonebook")).toArray().size(), 3);

    // A crash between the new image and the end of the journal: its records are in already.
    writeFile(journal, journalBeforeClose);
    QString error;
    auto reopened = PhoneImage::load(path, error);
    ASSERT_TRUE(reopened) << error.toStdString();
    EXPECT_EQ(reopened->toJson(), expected);

    // A second program changes the phone: a change the first one worked out on its old copy is
    // refused, and it reads the image again; from then on both go on from the image on disk,
    // and whichever closes last writes every change of both.
    ImageIrmcStore second(reopened);
    EXPECT_FALSE(second.add(irmc::IrmcBook::Phonebook, "BEGIN:VCARD\r\nN:Second\r\nEND:VCARD").isEmpty());
    EXPECT_TRUE(store.add(irmc::IrmcBook::Phonebook, "BEGIN:VCARD\r\nEND:VCARD").isEmpty());
    EXPECT_TRUE(phone.image->lastSaveError().contains(QStringLiteral("another program")));
    EXPECT_EQ(phone.image->category(QStringLiteral("phonebook")).toArray().size(), 4);
    const QString first = store.add(irmc::IrmcBook::Phonebook, "BEGIN:VCARD\r\nN:First\r\nEND:VCARD");
    EXPECT_FALSE(first.isEmpty());
    ASSERT_TRUE(reopened->refresh());
    const QString last = second.add(irmc::IrmcBook::Phonebook, "BEGIN:VCARD\r\nEND:VCARD");
    EXPECT_GT(last.toInt(), first.toInt());
    EXPECT_TRUE(phone.image->close());
    EXPECT_EQ(loadedContacts(path), 6);
    ASSERT_TRUE(reopened->close());
    EXPECT_EQ(loadedContacts(path), 6);
}

TEST(PhoneImage, AChangeThatCannotBeSavedIsNotKept)
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("file"));
    writeFile(blocker, "x");
    auto image = PhoneImage::inMemory(demoPhone());
    QString error;
    EXPECT_FALSE(image->saveAs(blocker + QStringLiteral("/phone.json"), error));
    EXPECT_TRUE(error.contains(blocker));
    EXPECT_TRUE(image->path().isEmpty());

    ASSERT_TRUE(image->saveAs(dir.filePath(QStringLiteral("phone.json")), error));
    ASSERT_TRUE(QFile::remove(image->path()));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("phone.json")));
    FakeClock clock;
    SimPhoneMonitor monitor(image, clock, SimPhoneOptions{true, 50});
    AnswerRecorder recorder(monitor.phone()->settingsObject());
    QVariantList params{QVariant::fromValue<qint16>(0)};
    qint32 id = 0;
    monitor.phone()->settingsObject()->SendCommand(37, params, id);
    clock.runAll();
    ASSERT_EQ(recorder.answers.size(), 1);
    EXPECT_EQ(recorder.answers[0].status, status::StorageFailure);
    EXPECT_EQ(image->settings(QStringLiteral("time")).value(QStringLiteral("timeFormat")), 1);
    EXPECT_FALSE(image->lastSaveError().isEmpty());
}

// An image written by hand, loaded and saved again: the saved file, and the image loaded from it,
// hold the document that was written, member for member, whichever faults it declares.
TEST(PhoneImage, ASavedImageHoldsEveryMemberOfTheDocumentItWasLoadedFrom)
{
    const QJsonObject everyKind{
        {QStringLiteral("unanswered"), QJsonArray{36}},
        {QStringLiteral("lateSeconds"), QJsonObject{{QStringLiteral("37"), 1.5}}},
        {QStringLiteral("refused"), QJsonObject{{QStringLiteral("343"), -7}}},
        {QStringLiteral("unplugAfterCommands"), 4},
        {QStringLiteral("noSettingsObject"), true},
        {QStringLiteral("sms"), QJsonObject{{QStringLiteral("refusedWrites"), QStringLiteral("0x88880042")}}},
        {QStringLiteral("obex"), QJsonObject{{QStringLiteral("refusePutNumber"), 2}}},
        {QStringLiteral("at"), QJsonObject{{QStringLiteral("delayMs"), 40}}}};
    const QJsonObject onlyAt{
        {QStringLiteral("at"), QJsonObject{{QStringLiteral("silentAfterCommands"), 3},
                                           {QStringLiteral("cmeErrors"), QJsonObject{{QStringLiteral("+CPBR"), 22}}}}}};
    const QList<std::pair<const char*, QJsonObject>> cases{
        {"every kind of fault", everyKind}, {"only faults of the serial line", onlyAt}, {"no faults", {}}};
    for (const auto& [name, faults] : cases) {
        QJsonObject written = demoPhone();
        written.insert(QStringLiteral("phonebook"), QJsonArray{QStringLiteral("BEGIN:VCARD")});
        written.insert(QStringLiteral("latencyMs"), 120);
        if (!faults.isEmpty())
            written.insert(QStringLiteral("faults"), faults);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("hand.json")), QJsonDocument(written).toJson());
        QString error;
        auto image = PhoneImage::load(dir.filePath(QStringLiteral("hand.json")), error);
        ASSERT_TRUE(image) << error.toStdString();
        ASSERT_TRUE(image->saveAs(dir.filePath(QStringLiteral("saved.json")), error)) << error.toStdString();
        QJsonObject saved = QJsonDocument::fromJson(readFile(image->path())).object();
        saved.remove(QStringLiteral("journalFolded"));
        EXPECT_EQ(saved, written) << name;
        auto reloaded = PhoneImage::load(image->path(), error);
        ASSERT_TRUE(reloaded) << error.toStdString();
        EXPECT_EQ(reloaded->toJson(), written) << name;
    }
}

// A file that is no image, or the demo phone with one member changed so: the load names the
// file and the member.
TEST(PhoneImage, MalformedImagesAreRefusedWithTheReason)
{
    const struct
    {
        const char* member; // empty: bytes is the whole file
        const char* bytes;
        const char* reason;
    } cases[] = {
        {"", "{\"identity\": ", "not valid JSON"},
        {"", "[1, 2]", "not a JSON object"},
        {"", "{\"settings\": {}}", "identity"},
        {"identity", "5", "identity"},
        {"identity", R"({"name":"a","imei":"1","model":"","softwareVersion":"1"})", "identity.model"},
        {"settings", "[]", "settings"},
        {"settings", R"({"time":1})", "settings.time"},
        {"latencyMs", "-1", "latencyMs"},
        {"latencyMs", R"("fast")", "latencyMs"},
        {"faults", "[]", "faults"},
        {"faults", R"({"unsuported":1})", "unsuported"},
        {"faults", R"({"unsupported":[1.5]})", "faults.unsupported"},
        {"faults", R"({"refused":{"37":0}})", "faults.refused"},
        {"faults", R"({"lateSeconds":{"x":1}})", "faults.lateSeconds"},
        {"faults", R"({"noSettingsObject":1})", "noSettingsObject"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.json"));
    for (const auto& c : cases) {
        QByteArray bytes = c.bytes;
        if (*c.member) {
            QJsonObject json = demoPhone();
            json.insert(QLatin1String(c.member),
                        QJsonDocument::fromJson("[" + bytes + "]").array().first());
            bytes = QJsonDocument(json).toJson();
        }
        writeFile(path, bytes);
        QString error;
        EXPECT_EQ(PhoneImage::load(path, error), nullptr) << c.reason;
        EXPECT_TRUE(error.contains(path) && error.contains(QLatin1String(c.reason))) << error.toStdString();
    }
    QString error;
    EXPECT_EQ(PhoneImage::load(dir.filePath(QStringLiteral("none.json")), error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("none.json")));
}
