// Sends one settings command that is never answered and lets DoData wait out its 15 seconds,
// so that `/usr/bin/time ./bench_dodata_wait` shows the CPU time the wait costs.

#include "statuslog/statuslog.h"
#include "core/clock.h"
#include "phone/commandchannel.h"
#include "phone/phonelink.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

class SilentSettings final : public SettingsObject
{
public:
    void SendCommand(qint32, QVariantList&, qint32& transactionId) override { transactionId = 1; }
};

class SilentPhone final : public CellPhone
{
public:
    bool IsConnected() const override { return true; }
    QString Name() const override { return QStringLiteral("bench"); }
    QString IMEI() const override { return QStringLiteral("0"); }
    QString Model() const override { return QStringLiteral("BVT610"); }
    QString SoftwareVersion() const override { return QStringLiteral("0"); }
    TextMessageObject* TextMessage() override { return nullptr; }
    SettingsObject* General() override { return &m_settings; }
    qint32 IsCommandSupported(qint32) override { return 1; }
    ObexService* Obex() override { return nullptr; }

private:
    SilentSettings m_settings;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    SystemWallClock wallClock;
    SystemMonotonicClock clock;
    StatusLog log(wallClock);
    log.InitLog(folder.path(), QString());
    PhoneLink link;
    SilentPhone phone;
    link.m_objCellPhone = &phone;
    CommandChannel channel(link, log, clock);

    QElapsedTimer timer;
    timer.start();
    const bool answered = channel.DoData(CMD_GETTIMEFORMAT);
    std::printf("DoData returned %s after %.3f s\n", answered ? "true" : "false",
                static_cast<double>(timer.elapsed()) / 1000.0);
    return answered ? 1 : 0;
}
