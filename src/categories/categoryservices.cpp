#include "categories/categoryservices.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "core/clock.h"
#include "core/userinterface.h"

#include <QLocale>
#include "phone/commandchannel.h"
#include "phone/phonelink.h"
#include "phone/variants.h"

void CategoryServices::checkPhone() const
{
    if (stopWhenPhoneLost && link.bPhoneLost)
        throw PhoneLost();
}

bool CategoryServices::send(Command command, const QVariantList& params)
{
    checkPhone();
    channel.setParams(params);
    return channel.DoData(command);
}

bool CategoryServices::sendOk(Command command, const QVariantList& params)
{
    return send(command, params) && link.ResponseStatus == 0;
}

namespace {

// What became of a command that was not taken: its status, or that it had no answer.
QString failureOf(bool answered, qint32 status)
{
    return answered ? QStringLiteral(" (") + CategoryServices::statusText(status) + QLatin1Char(')')
                    : QStringLiteral(" (no answer)");
}

} // namespace

QString CategoryServices::statusText(qint32 status)
{
    return QStringLiteral("status 0x") +
           QString::number(static_cast<quint32>(status), 16).toUpper();
}

bool CategoryServices::write(OutcomeTally::Category category, Command command,
                             const QVariantList& params)
{
    const bool answered = send(command, params);
    if (answered && link.ResponseStatus == 0)
        return true;
    log.WriteLog(QStringLiteral("Not written -> ") + commandName(command) +
                 (channel.lastWasUnsupported() ? QStringLiteral(" (not supported by the phone)")
                                               : failureOf(answered, link.ResponseStatus)));
    tally.lost(category);
    return false;
}

bool CategoryServices::read(OutcomeTally::Category category, Command command,
                            const QVariantList& params)
{
    if (sendOk(command, params))
        return true;
    readFailed(category, command);
    return false;
}

void CategoryServices::readFailed(OutcomeTally::Category category, Command command)
{
    if (channel.lastWasUnsupported())
        return;
    log.WriteLog(QStringLiteral("Not read -> ") + commandName(command));
    tally.lost(category);
}

void CategoryServices::listNotRead(OutcomeTally::Category category, Command command)
{
    if (channel.lastWasUnsupported())
        return;
    log.WriteLog(QStringLiteral("Not read -> ") + commandName(command));
    tally.failed(category);
}

void CategoryServices::readInt16(OutcomeTally::Category category, Command command,
                                 Present<qint16>& target)
{
    target.clear();
    if (read(category, command))
        target.set(variants::toInt16(variants::at(link.ResponseData, 0)));
}

void CategoryServices::progress(OutcomeTally::Category category, qsizetype count,
                                qsizetype total)
{
    const qint64 now = clock.nowMs();
    if (lastProgressMs >= 0 && now - lastProgressMs < 200 && count != total && count > 1)
        return;
    lastProgressMs = now;
    const QLocale grouped(QLocale::English);
    QString text = OutcomeTally::name(category) + QStringLiteral(": ") +
                   grouped.toString(static_cast<qlonglong>(count));
    if (total >= 0)
        text += QStringLiteral(" of ") + grouped.toString(static_cast<qlonglong>(total));
    ui.progress(text);
}

void CategoryServices::yieldOnce()
{
    clock.yieldOnce();
}

void CategoryServices::saveGroups(const QString& group, qsizetype count, qsizetype firstNumber,
                                  const std::function<void(qsizetype index)>& writeValues)
{
    for (qsizetype i = 0; i < count; ++i) {
        file.AppendLine(elements::openTag(group, 1));
        file.AppendLine(elements::elementLine(2, QStringLiteral("Number"), i + firstNumber));
        writeValues(i);
        file.AppendLine(elements::closeTag(group, 1));
        yieldOnce();
    }
}
