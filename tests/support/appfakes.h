#pragma once

#include "core/programerror.h"
#include "phone/components.h"

// Small stand-ins for the phone monitor components: a worker with a list of phones and phones
// whose identity the test sets. Nothing here talks to the simulated phone.
class FakeCellPhone final : public CellPhone
{
public:
    FakeCellPhone(const QString& imei, const QString& model, QObject* parent = nullptr)
        : CellPhone(parent), m_imei(imei), m_model(model)
    {
    }

    bool connected = true;
    QString name = QStringLiteral("My phone");
    QString software = QStringLiteral("R2A");
    // Reading the identity fails, as it does when the phone goes away while it is read.
    bool failOnRead = false;
    // A phone without any settings command, and one that says it has no calendar.
    bool noSettings = false;
    bool noCalendar = false;

    bool IsConnected() const override { return connected; }
    QString Name() const override { return read(name); }
    QString IMEI() const override { return read(m_imei); }
    QString Model() const override { return read(m_model); }
    QString SoftwareVersion() const override { return read(software); }
    TextMessageObject* TextMessage() override { return nullptr; }
    SettingsObject* General() override { return nullptr; }
    // Unless noSettings, a phone with every settings category: no box is disabled for it.
    qint32 IsCommandSupported(qint32) override { return noSettings ? 0 : 1; }
    bool lacksCalendar() const override { return noCalendar; }
    ObexService* Obex() override { return nullptr; }

private:
    QString read(const QString& value) const
    {
        if (failOnRead)
            throw ProgramError(ProgramError::ComponentFailure, QStringLiteral("CellPhone"),
                               QStringLiteral("The phone is gone"));
        return value;
    }

    QString m_imei;
    QString m_model;
};

class FakePhoneMonitor final : public PhoneMonitor
{
public:
    using PhoneMonitor::PhoneMonitor;
    QList<CellPhone*> phones;
    QList<CellPhone*> CellPhones() const override { return phones; }

    void connectPhone(CellPhone* phone) { Q_EMIT OnNotifyCellPhoneConnected(1, phone); }
    void disconnectPhone(CellPhone* phone) { Q_EMIT OnNotifyCellPhoneConnected(0, phone); }
};

#include "core/codepage.h"

#include <QFile>
#include <QStringList>
#include "qtprint.h"
#include "logtexts.h"

