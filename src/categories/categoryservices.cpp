#include "categories/categoryservices.h"

#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "core/clock.h"
#include "phone/commandchannel.h"
#include "phone/phonelink.h"
#include "phone/variants.h"

bool CategoryServices::send(qint32 code, const QString& name, const QVariantList& params)
{
    channel.setParams(params);
    return channel.DoData(code, name);
}

bool CategoryServices::sendOk(qint32 code, const QString& name, const QVariantList& params)
{
    return send(code, name, params) && link.ResponseStatus == 0;
}

void CategoryServices::readInt16(qint32 code, const QString& name, Present<qint16>& target)
{
    if (!send(code, name))
        return;
    if (link.ResponseStatus == 0)
        target.set(variants::toInt16(variants::at(link.ResponseData, 0)));
    else
        target.present = false;
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
