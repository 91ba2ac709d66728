#include "fakeclock.h"
#include "phonesim/cable.h"
#include "phonesim/demophone.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simcellphone.h"
#include "phonesim/simphonemonitor.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// The marker file beside the image pulls the cable, whether the phone runs already or not.
TEST(Cable, MarkerFileUnplugsAndPlugsThePhone)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("p.json"));
    QString error;
    auto image = phonesim::PhoneImage::inMemory(phonesim::demoPhone());
    ASSERT_TRUE(image->saveAs(path, error));
    FakeClock clock;
    phonesim::SimPhoneMonitor monitor(image, clock, phonesim::SimPhoneOptions{true, 50});
    new phonesim::CableWatcher(monitor, path);
    QSignalSpy events(&monitor, &PhoneMonitor::OnNotifyCellPhoneConnected);

    ASSERT_TRUE(phonesim::setUnpluggedByUser(path, true, error));
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 1; }, 5000));
    EXPECT_EQ(events.at(0).at(0).toInt(), 0);
    EXPECT_FALSE(monitor.phone()->IsConnected());

    // A save of the image changes the folder too; it must not plug the phone back in.
    ASSERT_TRUE(image->setSettings(QStringLiteral("time"), image->settings(QStringLiteral("time"))));
    QTest::qWait(100);
    EXPECT_EQ(events.size(), 1);

    // Pulled before start: the delayed connection never comes.
    phonesim::SimPhoneMonitor later(image, clock);
    new phonesim::CableWatcher(later, path);
    clock.advance(1000);
    EXPECT_FALSE(later.phone()->IsConnected());

    ASSERT_TRUE(phonesim::setUnpluggedByUser(path, false, error));
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() == 2; }, 5000));
    EXPECT_EQ(events.at(1).at(0).toInt(), 1);
    EXPECT_TRUE(monitor.phone()->IsConnected());
}
