#include "fakeclock.h"
#include "golden.h"
#include "atmodem/atmodem.h"
#include "phonesim/demophone.h"
#include "phonesim/phoneimage.h"

#include <QJsonDocument>
#include <QTimeZone>

using namespace phonesim;

namespace {

// The bytes of the line, with its control characters named, one answer line per text line.
QByteArray visible(const QByteArray& bytes)
{
    QByteArray text;
    for (const char c : bytes) {
        if (c == '\r')
            text += "<CR>";
        else if (c == '\n')
            text += "<LF>\n";
        else
            text += c;
    }
    return text;
}

// Plays tests/data/phonesim/at/NAME.at against the demo phone: every line is a command line
// ended by CR, or by Ctrl-Z where it ends in "^Z"; "faults: {...}" sets the image's "at"
// faults, "#" starts a comment. The transcript goes to NAME.transcript.
class AtModemScript : public testing::TestWithParam<const char*>
{
};

TEST_P(AtModemScript, AnswersAsTheTranscriptSays)
{
    auto image = PhoneImage::inMemory(demoPhone());
    FakeWallClock wallClock;
    wallClock.set(QDateTime(QDate(2026, 12, 6), QTime(21, 30, 0), QTimeZone(3600)));
    AtModem modem(image, wallClock);
    const QByteArray script =
        fileBytes(testDataPath(QStringLiteral("phonesim/at/%1.at").arg(QLatin1String(GetParam()))));
    ASSERT_FALSE(script.isEmpty());
    QByteArray transcript;
    for (const QByteArray& line : script.split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith("faults: ")) {
            Faults faults;
            QString error;
            const auto at =
                AtFaults::fromJson(QJsonDocument::fromJson(line.mid(8)).object(), error);
            ASSERT_TRUE(at) << qPrintable(error);
            faults.at = *at;
            image->setFaults(faults);
            transcript += "== " + line + '\n';
            continue;
        }
        const QByteArray input = line.endsWith("^Z") ? line.chopped(2) + '\x1A' : line + '\r';
        transcript += "> " + line + '\n';
        for (const AtModem::Answer& answer : modem.feed(input))
            transcript += visible(answer.bytes) + (answer.cutLine ? "\n== line cut\n" : "\n");
    }
    expectGoldenFile(transcript,
                     QStringLiteral("phonesim/at/%1.transcript").arg(QLatin1String(GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Scripts, AtModemScript,
                         testing::Values("basics", "phonebook", "messages", "faults"));

} // namespace
