#pragma once

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "categories/categoryservices.h"
#include "fakeclock.h"
#include "phone/commandchannel.h"
#include "phone/components.h"
#include "phone/phonelink.h"
#include "scriptedui.h"

#include <QTemporaryDir>
#include <functional>
#include <map>

// A phone whose settings object answers from a script and records every command it was sent,
// for answers the simulated phone never gives (groups out of order, short answers).
struct SentCommand
{
    qint32 code;
    QVariantList params;
};

struct ScriptedAnswer
{
    qint32 status = 0;
    QVariantList data;
    bool answered = true;
};

class ScriptedSettings final : public SettingsObject
{
public:
    explicit ScriptedSettings(MonotonicClock& clock) : m_clock(clock) {}

    void SendCommand(qint32 code, QVariantList& params, qint32& transactionId) override
    {
        sent.append({code, params});
        transactionId = ++m_lastId;
        ScriptedAnswer reply;
        if (answers.count(code) && !answers[code].isEmpty())
            reply = answers[code].size() > 1 ? answers[code].takeFirst() : answers[code].first();
        if (!reply.answered)
            return;
        const qint32 id = transactionId;
        m_clock.callLater(0, this, [this, id, reply] {
            Q_EMIT OnNotifyResponse(id, reply.status, QVariant(reply.data));
        });
    }

    // Answers per command code, used in turn; the last one repeats. Unscripted: status 0.
    std::map<qint32, QList<ScriptedAnswer>> answers;
    QList<SentCommand> sent;

    QList<QVariantList> paramsOf(qint32 code) const
    {
        QList<QVariantList> found;
        for (const SentCommand& command : sent) {
            if (command.code == code)
                found << command.params;
        }
        return found;
    }

private:
    MonotonicClock& m_clock;
    qint32 m_lastId = 0;
};

class ScriptedPhone final : public CellPhone
{
public:
    explicit ScriptedPhone(MonotonicClock& clock) : settings(clock) {}
    bool IsConnected() const override { return true; }
    QString Name() const override { return QStringLiteral("Scripted"); }
    QString IMEI() const override { return QStringLiteral("1"); }
    QString Model() const override { return QStringLiteral("BVT610"); }
    QString SoftwareVersion() const override { return QString(); }
    TextMessageObject* TextMessage() override { return nullptr; }
    SettingsObject* General() override { return &settings; }
    qint32 IsCommandSupported(qint32) override { return 1; }
    ObexService* Obex() override { return nullptr; }
    bool keepsCsdAccounts() const override { return csdKept; }

    ScriptedSettings settings;
    bool csdKept = true;
};

// The services a category needs, on the scripted phone, with a log in a temporary folder.
struct ScriptedRig
{
    ScriptedRig()
        : phone(clock), log(wallClock), channel(link, log, clock),
          file(log, clock, link), services{link, channel, log, file, clock, ui}
    {
        log.InitLog(dir.path(), QString());
        link.m_objCellPhone = &phone;
        link.bPhoneConnected = true;
    }

    void answer(qint32 code, const QVariantList& data, qint32 status = 0)
    {
        phone.settings.answers[code].append({status, data, true});
    }
    QList<QVariantList> sent(qint32 code) const { return phone.settings.paramsOf(code); }
    // Every command sent, its parameters with their types, then the status and log lines: what
    // a walk or a restore did, to compare whole with a golden file.
    QByteArray record() const
    {
        QStringList lines;
        for (const SentCommand& command : phone.settings.sent) {
            QStringList params;
            for (const QVariant& param : command.params)
                params << QLatin1String(param.typeName()) + QLatin1Char(' ') + param.toString();
            lines << QString::number(command.code) + QStringLiteral(": ") + params.join(QStringLiteral(", "));
        }
        lines << QStringLiteral("status:") << log.statusText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QFile in(log.LogFile());
        if (in.open(QIODevice::ReadOnly)) {
            lines << QStringLiteral("log:");
            for (const QString& line : QString::fromLatin1(in.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
                lines << line.section(QLatin1Char('\t'), 2);
        }
        return lines.join(QLatin1Char('\n')).toUtf8() + '\n';
    }
    // Loads lines as the file being restored (with the trailing empty element of a read file).
    void setFileLines(const QStringList& lines)
    {
        file.sFileLines = lines + QStringList{QString()};
    }

    QTemporaryDir dir;
    FakeClock clock;
    FakeWallClock wallClock;
    ScriptedUi ui;
    ScriptedPhone phone;
    PhoneLink link;
    StatusLog log;
    CommandChannel channel;
    BackupFile file;
    CategoryServices services;
};

inline QVariant i16(qint16 value)
{
    return QVariant::fromValue<qint16>(value);
}

inline QVariant i32(qint32 value)
{
    return QVariant::fromValue<qint32>(value);
}
