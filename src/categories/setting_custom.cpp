#include "categories/setting_custom.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "categories/categoryservices.h"
#include "categories/numberedgroups.h"
#include "phone/phonelink.h"
#include "phone/variants.h"

#include <utility>

namespace {

const QString kSection = QStringLiteral("Settings_CustomMenu");

} // namespace

Setting_Custom::Setting_Custom(CategoryServices& services) : m_services(services) {}

void Setting_Custom::GetCustomMenuSettings()
{
    iCustomMenuItems.clear();
    // A refused answer carries no values, so its status is looked at before its count.
    if (!m_services.sendOk(CMD_GETCUSTOMMENUITEMS)) {
        m_services.listNotRead(OutcomeTally::Shortcuts, CMD_GETCUSTOMMENUITEMS);
        return;
    }
    const PhoneLink& link = m_services.link;
    const qint16 count = variants::toInt16(variants::at(link.ResponseData, 0));
    for (int k = 1; k <= count; ++k)
        iCustomMenuItems.append(variants::toInt16(variants::at(link.ResponseData, 2 * k)));
}

bool Setting_Custom::bSaveCustomMenu()
{
    if (iCustomMenuItems.isEmpty())
        return true;
    BackupFile& file = m_services.file;
    file.AppendLine(elements::openTag(kSection));
    for (qsizetype k = 0; k < iCustomMenuItems.size(); ++k) {
        file.AppendLine(elements::elementLine(1, QStringLiteral("Number"), k));
        file.AppendLine(elements::elementLine(1, QStringLiteral("Index"), iCustomMenuItems[k]));
    }
    file.AppendLine(elements::closeTag(kSection));
    return true;
}

int Setting_Custom::DecodeCustomMenu(int lineIndex)
{
    iCustomMenuItems.clear();
    const int last = readNumberedGroups(
        m_services, lineIndex,
        {.skipText = QStringLiteral("<Settings_CustomMenu"),
         .closingText = QStringLiteral("<Settings_CustomMenu/>"),
         .open =
             [this](const QString& value) {
                 const int index =
                     numberIndex(m_services, value, 0, MaxItems - 1,
                                 QStringLiteral("Menu position out of range -> Number value="));
                 if (index >= 0)
                     iCustomMenuItems.resize(index + 1);
                 return index;
             },
         .elements = {QStringLiteral("Index")},
         .withoutGroup = QStringLiteral("Menu item without a Number -> "),
         .element =
             [this](int index, const QString& key, const QString& value) {
                 m_services.file.readInt16(key, value, iCustomMenuItems[index]);
             }});
    SetCustomMenuSettings();
    return last;
}

void Setting_Custom::SetCustomMenuSettings()
{
    OutcomeTally& tally = m_services.tally;
    if (!m_services.send(CMD_GETCUSTOMMENUITEMS)) {
        tally.failed(OutcomeTally::Shortcuts);
        return;
    }
    StatusLog& log = m_services.log;
    log.UpdateStat(QStringLiteral("Restoring My Shortcuts"));
    const PhoneLink& link = m_services.link;
    const qint16 count =
        link.ResponseStatus != 0 ? 0 : variants::toInt16(variants::at(link.ResponseData, 0));
    if (count <= 0) {
        log.WriteLog(QStringLiteral("Failed to restore cutom menu"));
        tally.failed(OutcomeTally::Shortcuts);
        return;
    }
    // Every removal takes the first position, so the menu empties from the top.
    for (int k = 0; k < count; ++k)
        m_services.write(OutcomeTally::Shortcuts, CMD_REMOVECUSTOMMENUITEM, {variants::int16(1)});
    // An item the phone refuses leaves no gap: the next one goes to the position it would
    // have taken, not past the end of the menu, where the phone would refuse it too.
    qint16 position = 1;
    for (qint16 item : std::as_const(iCustomMenuItems)) {
        if (m_services.write(OutcomeTally::Shortcuts, CMD_ADDCUSTOMMENUITEM,
                             {variants::int16(position), variants::int16(item)}))
            ++position;
    }
}
