#include "programharness.h"

#include "phonesim/imageirmcstore.h"
#include "irmc/obexserver.h"
#include "phonesim/simcellphone.h"
#include "irmc/irmcobexservice.h"

#include <QJsonArray>
#include <gtest/gtest.h>

namespace {

const QStringList kTimeSection = {QStringLiteral("<Settings_Time>"),
                                  QStringLiteral("   <Nitz value=0/>"),
                                  QStringLiteral("<Settings_Time/>")};

// Puts an OBEX service on the phone that notes every request with the time it was sent.
struct ObexRecorder
{
    explicit ObexRecorder(ProgramHarness& harness)
        : store(std::make_shared<phonesim::ImageIrmcStore>(harness.image)), server(*store)
    {
        FakeClock& clock = harness.clock;
        harness.monitor->phone()->setObex(
            new irmc::IrmcObexService([this, &clock](const QByteArray& request) {
                QString what;
                switch (static_cast<quint8>(request.at(0))) {
                case 0x80:
                    what = QStringLiteral("connect");
                    break;
                case 0x81:
                    what = QStringLiteral("disconnect");
                    break;
                case 0x82:
                    what = request.contains(QByteArray("\0p\0b\0.", 6)) ? QStringLiteral("put pb")
                                                                        : QStringLiteral("put cal");
                    break;
                default:
                    what = QStringLiteral("other");
                }
                calls << QStringLiteral("%1@%2").arg(what).arg(clock.nowMs() - start);
                return server.feed(request);
            }));
    }

    std::shared_ptr<phonesim::ImageIrmcStore> store;
    irmc::ObexServer server;
    QStringList calls;
    qint64 start = 0;
};

qsizetype bookSize(const ProgramHarness& harness, const QString& key)
{
    return harness.image->category(key).toArray().size();
}

} // namespace

TEST(MasterReset, FactoryDefaultThenPhonebookAndCalendarEmptiedInOrder)
{
    ProgramHarness harness;
    ObexRecorder recorder(harness);
    harness.image->setSettings(QStringLiteral("time"),
                               QJsonObject{{QStringLiteral("timeFormat"), 1}});
    harness.view.setTicked(MainView::Box::MasterReset, true);
    harness.ui.nextInput(QStringLiteral("7391"));
    recorder.start = harness.clock.nowMs();
    ASSERT_EQ(harness.restore(harness.writeFile(QStringLiteral("t.MS"), kTimeSection)),
              RunOutcome::Completed);
    // The command is answered at once; each OBEX call of the reset is a second apart, and
    // ObexConnect waits its own second before the puts.
    EXPECT_EQ(recorder.calls,
              (QStringList{QStringLiteral("connect@1000"), QStringLiteral("put pb@2000"),
                           QStringLiteral("put cal@2000"), QStringLiteral("disconnect@3000")}));
    EXPECT_EQ(bookSize(harness, phonesim::ImageIrmcStore::PhonebookKey), 0);
    EXPECT_EQ(bookSize(harness, phonesim::ImageIrmcStore::CalendarKey), 0);
    // Factory values, then the file's time settings on top.
    EXPECT_EQ(
        harness.image->settings(QStringLiteral("time")).value(QStringLiteral("timeFormat")).toInt(),
        0);
    const QStringList status = harness.statusLines();
    const qsizetype making = status.indexOf(QStringLiteral("Making a Master Reset!!"));
    ASSERT_GE(making, 0);
    EXPECT_EQ(status.at(making + 1), QStringLiteral("Master Reset->Done"));
    // The file is read and checked first: a file that cannot be restored never costs a reset.
    EXPECT_GT(making, status.indexOf(QStringLiteral("Checking file")));
}

TEST(MasterReset, LockCodeBoxOffersTheDefaultThenTheCodeTypedLast)
{
    ProgramHarness harness;
    harness.view.setTicked(MainView::Box::MasterReset, true);
    const QString file = harness.writeFile(QStringLiteral("t.MS"), kTimeSection);
    harness.ui.nextInput(QStringLiteral("2468"));
    harness.restore(file);
    harness.ui.nextInput(QStringLiteral("7391"));
    harness.restore(file);
    QStringList inputs;
    for (const QString& asked : harness.ui.asked) {
        if (asked.startsWith(QLatin1String("input:")))
            inputs << asked.section(QLatin1Char(':'), -1);
    }
    EXPECT_EQ(inputs, (QStringList{QStringLiteral("7391"), QStringLiteral("2468")}));
    EXPECT_EQ(harness.program->masterReset().sPhoneLockCode, QStringLiteral("7391"));
}

TEST(MasterReset, EmptyAnswerEndsTheRunWithNothingSent)
{
    ProgramHarness harness;
    ObexRecorder recorder(harness);
    harness.view.setTicked(MainView::Box::MasterReset, true);
    harness.ui.nextInput(QString());
    EXPECT_EQ(harness.restore(harness.writeFile(QStringLiteral("t.MS"), kTimeSection)),
              RunOutcome::Ended);
    EXPECT_TRUE(recorder.calls.isEmpty());
    EXPECT_EQ(bookSize(harness, phonesim::ImageIrmcStore::PhonebookKey), 13);
    EXPECT_FALSE(harness.statusLines().contains(QStringLiteral("Making a Master Reset!!")));
}
