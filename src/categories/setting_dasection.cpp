#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "backupfile/sectiontable.h"
#include "categories/categoryservices.h"
#include "categories/setting_da.h"

#include <optional>

namespace {

const QString kSection = QStringLiteral("Settings_DataAccount");
const QString kSectionEnd = QStringLiteral("<Settings_DataAccount/>");

QString withoutNul(const QString& text)
{
    QString result = text;
    result.remove(QChar(u'\0'));
    return result;
}

// The key and value of an element line; a line without "value=" gives an empty key, a
// "value=" without "/>" behind it an empty value.
elements::ElementParts parseElementLine(const QString& line)
{
    elements::ElementParts parts = elements::splitElementLine(line);
    if (!parts.hasValueMark)
        return {};
    return parts;
}

} // namespace

bool Setting_DA::bSaveDataAccounts()
{
    BackupFile& file = m_services.file;
    // The empty test comes before the NUL characters are taken out, as the lines are chosen
    // on what the phone gave.
    const auto optionalLine = [&file](const char* key, const QString& value) {
        if (!value.isEmpty())
            file.AppendLine(elements::elementLine(2, QLatin1String(key), withoutNul(value)));
    };
    const auto textLine = [&file](const char* key, const QString& value) {
        file.AppendLine(elements::elementLine(2, QLatin1String(key), withoutNul(value)));
    };
    file.AppendLine(elements::openTag(kSection));
    // Accounts are numbered from 0, unlike the groups of other sections.
    m_services.saveGroups(QStringLiteral("CSD"), DataAccountCSD.size(), 0, [&](qsizetype i) {
        const CSDAccountRecord& account = DataAccountCSD.at(i);
        file.AppendLine(elements::elementLine(2, QStringLiteral("ID"), account.ID));
        textLine("Name", account.Name);
        textLine("PhoneNumber", account.PhoneNumber);
        optionalLine("Username", account.Username);
        optionalLine("Password", account.Password);
        file.AppendLine(elements::elementLine(2, QStringLiteral("DataRate"), account.DataRate));
        file.AppendLine(elements::elementLine(2, QStringLiteral("DialType"), account.DialType));
    });
    m_services.saveGroups(QStringLiteral("GPRS"), DataAccountGPRS.size(), 0, [&](qsizetype i) {
        const GPRSAccountRecord& account = DataAccountGPRS.at(i);
        file.AppendLine(elements::elementLine(2, QStringLiteral("ID"), account.ID));
        textLine("Name", account.Name);
        optionalLine("Username", account.Username);
        optionalLine("Password", account.Password);
        optionalLine("APN", account.APN);
        textLine("PDP_Type", account.PDP_Type);
        optionalLine("PDP_Address", account.PDP_Address);
        file.AppendLine(elements::elementLine(2, QStringLiteral("Auth"), account.Auth));
        file.AppendLine(
            elements::elementLine(2, QStringLiteral("PrefService"), account.PrefService));
        file.AppendLine(elements::elementLine(2, QStringLiteral("DataComp"), account.DataComp));
        file.AppendLine(elements::elementLine(2, QStringLiteral("HeadComp"), account.HeadComp));
    });
    file.AppendLine(elements::closeTag(kSection));
    return true;
}

int Setting_DA::DecodeDataAccounts(int lineIndex)
{
    DataAccountCSD.clear();
    DataAccountGPRS.clear();
    BackupFile& file = m_services.file;
    const QStringList& lines = file.sFileLines;
    const int last = static_cast<int>(lines.size()) - 1;
    // The section ends before its closing line; a missing one ends it at the next section or
    // at the end of the file, so the reading never runs into what follows.
    const auto endsAfter = [&](int index) {
        if (index >= last)
            return true;
        const QString& next = lines.at(index + 1);
        return next.contains(kSectionEnd) || sections::findTag(sections::tagWord(next)) >= 0;
    };
    int index = lineIndex;
    while (index >= 0 && !endsAfter(index)) {
        ++index;
        const QString& line = lines.at(index);
        if (line.contains(QLatin1String("<Settings_DataAccount")) || line.size() <= 2) {
            // passed over
        } else if (line.contains(QLatin1String("<CSD>"))) {
            index = readGroup(index, false);
        } else if (line.contains(QLatin1String("<GPRS>"))) {
            index = readGroup(index, true);
        }
        m_services.yieldOnce();
    }
    if (index >= last || !lines.at(index + 1).contains(kSectionEnd))
        m_services.log.WriteLog(QStringLiteral("Missing end of section -> ") + kSectionEnd);
    SetDA();
    return index;
}

namespace {

// A Number line names one account: the list grows to hold it and never shrinks, so an account
// read earlier is never dropped by a lower number.
template <typename Record> void markFromFile(QList<Record>& accounts, int index)
{
    if (accounts.size() <= index)
        accounts.resize(index + 1);
    accounts[index].fromFile = true;
}

} // namespace

int Setting_DA::readGroup(int lineIndex, bool gprs)
{
    const QStringList& lines = m_services.file.sFileLines;
    const int last = static_cast<int>(lines.size()) - 1;
    const QLatin1String groupEnd = gprs ? QLatin1String("<GPRS/>") : QLatin1String("<CSD/>");
    // No record takes fields before the group's first Number line.
    int current = -1;
    int index = lineIndex;
    for (;;) {
        // A group left open ends where the next group or the section's end begins.
        if (index >= last)
            break;
        const QString& next = lines.at(index + 1);
        if (next.contains(QLatin1String("<CSD>")) || next.contains(QLatin1String("<GPRS>")) ||
            next.contains(kSectionEnd) || sections::findTag(sections::tagWord(next)) >= 0)
            break;
        ++index;
        const QString& line = lines.at(index);
        if (line.contains(groupEnd))
            return index;
        const elements::ElementParts element = parseElementLine(line);
        if (element.key == QLatin1String("Number")) {
            const std::optional<qint16> number = elements::valueToInt16(element.value);
            current = number && *number >= 0 ? *number : -1;
            if (current < 0)
                m_services.log.WriteLog(QStringLiteral("Value out of range -> Number value=") +
                                        element.value);
            else if (gprs)
                markFromFile(DataAccountGPRS, current);
            else
                markFromFile(DataAccountCSD, current);
        } else if (!element.key.isEmpty()) {
            if (current < 0)
                m_services.log.WriteLog(QStringLiteral("No account for the line -> ") +
                                        line.trimmed());
            else if (gprs)
                storeGprsElement(current, element.key, element.value);
            else
                storeCsdElement(current, element.key, element.value);
        }
        m_services.yieldOnce();
    }
    m_services.log.WriteLog(QStringLiteral("Missing end of group -> ") + groupEnd);
    return index;
}

void Setting_DA::storeCsdElement(int index, const QString& key, const QString& value)
{
    BackupFile& file = m_services.file;
    CSDAccountRecord& account = DataAccountCSD[index];
    if (key == QLatin1String("ID"))
        file.readInt32(key, value, account.ID);
    else if (key == QLatin1String("DataRate"))
        file.readInt32(key, value, account.DataRate);
    else if (key == QLatin1String("DialType"))
        file.readInt32(key, value, account.DialType);
    else if (key == QLatin1String("Name"))
        account.Name = value;
    else if (key == QLatin1String("PhoneNumber"))
        account.PhoneNumber = value;
    else if (key == QLatin1String("Username"))
        account.Username = value;
    else if (key == QLatin1String("Password"))
        account.Password = value;
}

void Setting_DA::storeGprsElement(int index, const QString& key, const QString& value)
{
    BackupFile& file = m_services.file;
    GPRSAccountRecord& account = DataAccountGPRS[index];
    if (key == QLatin1String("ID"))
        file.readInt32(key, value, account.ID);
    else if (key == QLatin1String("Auth"))
        file.readInt32(key, value, account.Auth);
    else if (key == QLatin1String("PrefService"))
        file.readInt32(key, value, account.PrefService);
    else if (key == QLatin1String("DataComp"))
        file.readInt16(key, value, account.DataComp);
    else if (key == QLatin1String("HeadComp"))
        file.readInt16(key, value, account.HeadComp);
    else if (key == QLatin1String("Name"))
        account.Name = value;
    else if (key == QLatin1String("Username"))
        account.Username = value;
    else if (key == QLatin1String("Password"))
        account.Password = value;
    else if (key == QLatin1String("APN"))
        account.APN = value;
    else if (key == QLatin1String("PDP_Address"))
        account.PDP_Address = value;
    else if (key == QLatin1String("PDP_Type"))
        // Only the IP packet type is restored, whatever the file holds.
        account.PDP_Type = QStringLiteral("IP");
}
