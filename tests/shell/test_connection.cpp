#include "shell/connection.h"
#include "statuslog/mainview.h"
#include "statuslog/statuslog.h"
#include "appfakes.h"
#include "fakeclock.h"
#include "phone/phonelink.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using Box = MainView::Box;
using Button = MainView::Button;

namespace {

const QString kUnknownStatus = QStringLiteral(
    "14:30:05 - Unknown PhoneType -> This modell has not been tested with this program!!\r\n");

class ConnectionTest : public ::testing::Test
{
protected:
    ConnectionTest() : log(wall), connection(link, log, view) { log.InitLog(dir.path(), {}); }

    void connectPhone(CellPhone* phone) { connection.m_objPhoneMonitor_OnNotifyCellPhoneConnected(1, phone); }
    void disconnectPhone(CellPhone* phone) { connection.m_objPhoneMonitor_OnNotifyCellPhoneConnected(0, phone); }
    QStringList logLines() const { return logTexts(log.LogFile()); }

    QTemporaryDir dir;
    FakeWallClock wall;
    StatusLog log;
    PhoneLink link;
    PlainMainView view;
    Connection connection;
};

} // namespace

TEST_F(ConnectionTest, ModelTableFirstRowInTableOrderWins)
{
    struct Case
    {
        const char* model;
        bool phonebook;
        bool known;
    } cases[] = {
        {"BVT68i", true, true},       {"xxBVT300", false, true}, {"BVT610", true, true},
        {"BVT300/BVT68", true, true}, {"bvt300", true, false},   {"Other", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        connection.SetModelFlags(QLatin1String(c.model));
        EXPECT_EQ(link.bPhonebookSupported, c.phonebook);
        EXPECT_EQ(link.bCalendarSupported, c.phonebook);
        EXPECT_EQ(link.bKnownPhoneType, c.known);
        EXPECT_EQ(view.isBoxEnabled(Box::Pb), c.phonebook);
        EXPECT_EQ(view.isBoxEnabled(Box::Cal), c.phonebook);
    }
}

TEST_F(ConnectionTest, KnownPhoneIsShownAndLogged)
{
    FakeCellPhone phone(QStringLiteral("3500"), QStringLiteral("BVT610"));
    connectPhone(&phone);
    EXPECT_TRUE(link.bPhoneConnected);
    EXPECT_EQ(link.m_objCellPhone, &phone);
    const QStringList info{QStringLiteral("My phone"), QStringLiteral("3500"),
                           QStringLiteral("BVT610"), QStringLiteral("R2A")};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(view.phoneInfo(i), info.at(i));
    EXPECT_TRUE(view.buttonEnabled(Button::Backup) && view.buttonEnabled(Button::Restore));
    EXPECT_EQ(log.statusText(), QStringLiteral("14:30:05 - Known PhoneType!!\r\n"));
    EXPECT_EQ(logLines(),
              (QStringList{QStringLiteral("Entered UpdateConnectionStatus"),
                           QStringLiteral("Cell is something"), QStringLiteral("Mobile Name-->My phone"),
                           QStringLiteral("IMEI-->3500"), QStringLiteral("Model-->BVT610"),
                           QStringLiteral("Software-->R2A"), QStringLiteral("Phone Info--->My phone<---"),
                           QStringLiteral("Phone Info--->3500<---"),
                           QStringLiteral("Phone Info--->BVT610<---"),
                           QStringLiteral("Phone Info--->R2A<---"), QStringLiteral("Phone Connected")}));
    // A phone event during a run leaves the buttons disabled until the run ends.
    connection.setRunInProgress(true);
    connectPhone(&phone);
    EXPECT_FALSE(view.buttonEnabled(Button::Backup) || view.buttonEnabled(Button::Restore));
    connection.setRunInProgress(false);
    EXPECT_TRUE(view.buttonEnabled(Button::Backup) && view.buttonEnabled(Button::Restore));
}

TEST_F(ConnectionTest, Bvt300ClearsPhonebookAndCalendarUntilItGoes)
{
    for (Box box : {Box::Pb, Box::Cal, Box::SMS})
        view.setTicked(box, true);
    FakeCellPhone phone(QStringLiteral("1"), QStringLiteral("BVT300"));
    connectPhone(&phone);
    EXPECT_FALSE(view.isTicked(Box::Pb) || view.isTicked(Box::Cal));
    EXPECT_FALSE(view.isBoxEnabled(Box::Pb) || view.isBoxEnabled(Box::Cal));
    EXPECT_TRUE(view.isTicked(Box::SMS));

    // Another phone that is not known replaces it without a "lost" line and is reported.
    log.clearStatus();
    FakeCellPhone unknown(QStringLiteral("222"), QStringLiteral("Z100"));
    connectPhone(&unknown);
    EXPECT_EQ(link.m_objCellPhone, &unknown);
    EXPECT_EQ(view.phoneInfo(1), QStringLiteral("222"));
    EXPECT_TRUE(view.isBoxEnabled(Box::Pb) && view.isBoxEnabled(Box::Cal));
    EXPECT_TRUE(view.buttonEnabled(Button::Backup));
    EXPECT_EQ(log.statusText(), kUnknownStatus);
    EXPECT_TRUE(logLines().contains(QStringLiteral("Unknown Phonetype-->Z100")));
}

TEST_F(ConnectionTest, OnlyTheCurrentPhoneDisconnectsAndThenEverythingIsReset)
{
    FakeCellPhone phone(QStringLiteral("111"), QStringLiteral("BVT300"));
    FakeCellPhone other(QStringLiteral("222"), QStringLiteral("BVT68"));
    connectPhone(&phone);
    log.clearStatus();
    disconnectPhone(&other);
    EXPECT_TRUE(link.bPhoneConnected);
    EXPECT_EQ(link.m_objCellPhone, &phone);
    EXPECT_FALSE(log.statusText().contains(QStringLiteral("Lost connection")));

    disconnectPhone(&phone);
    EXPECT_FALSE(link.bPhoneConnected);
    EXPECT_EQ(link.m_objCellPhone, nullptr);
    EXPECT_TRUE(log.statusText().startsWith(QStringLiteral("14:30:05 - Lost connection to phone\r\n")));
    EXPECT_EQ(view.phoneInfo(0), QStringLiteral("No connected phone..."));
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(view.phoneInfo(i), QStringLiteral("-"));
    EXPECT_TRUE(view.isBoxEnabled(Box::Pb) && view.isBoxEnabled(Box::Cal));
    EXPECT_TRUE(link.bPhonebookSupported && link.bCalendarSupported);
    EXPECT_FALSE(view.buttonEnabled(Button::Backup) || view.buttonEnabled(Button::Restore));
    EXPECT_EQ(logLines().mid(logLines().size() - 3),
              (QStringList{QStringLiteral("Entered UpdateConnectionStatus"),
                           QStringLiteral("Cell is nothing"), QStringLiteral("Phone disconnected")}));
}

TEST_F(ConnectionTest, PhoneThatFailsWhileReadCountsAsGone)
{
    FakeCellPhone phone(QStringLiteral("111"), QStringLiteral("BVT68"));
    phone.failOnRead = true;
    EXPECT_NO_THROW(connectPhone(&phone));
    EXPECT_FALSE(link.bPhoneConnected);
    EXPECT_EQ(view.phoneInfo(0), QStringLiteral("No connected phone..."));
    EXPECT_FALSE(view.buttonEnabled(Button::Backup));
}
