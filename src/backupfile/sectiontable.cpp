#include "backupfile/sectiontable.h"

namespace sections {

const std::array<Section, Count>& table()
{
    // Every calendar entry line has the tag word "<Calendar" too; the sections are counted by
    // their extents, so only a second "<Calendar>" opening counts.
    static const std::array<Section, Count> kTable = {{
        {Contacts, "<Contacts", true, true},
        {Calendar, "<Calendar", true, true},
        {SettingsCalendar, "<Settings_Calendar", false, true},
        {SmsMessages, "<SMS_Messages", true, true},
        {SettingsSms, "<Settings_SMS", false, true},
        {SettingsProfiles, "<Settings_Profiles", true, true},
        {SettingsDisplay, "<Settings_Display", false, true},
        {SettingsLanguage, "<Settings_Language", false, true},
        {SettingsSound, "<Settings_Sound", false, true},
        {SettingsTime, "<Settings_Time", true, true},
        {SettingsPhonebook, "<Settings_Phonebook", false, true},
        {SettingsCallhandling, "<Settings_Callhandling", false, true},
        {SettingsLocks, "<Settings_Locks", true, true},
        {SettingsWap, "<Settings_WAP", true, true},
        {Bookmarks, "<Bookmarks", true, true},
        {SettingsDataAccount, "<Settings_DataAccount", true, true},
        {SettingsCustomMenu, "<Settings_CustomMenu", true, true},
        {SettingsEmail, "<Settings_Email", false, true},
    }};
    return kTable;
}

int findTag(const QString& tagWord)
{
    for (const Section& section : table()) {
        if (tagWord == QLatin1String(section.tagWord))
            return section.iTag;
    }
    return -1;
}

QString tagWord(const QString& line)
{
    const qsizetype open = line.indexOf(QLatin1Char('<'));
    if (open < 0)
        return line;
    const QString rest = line.mid(open);
    qsizetype end = rest.indexOf(QLatin1Char(' '));
    if (end < 0)
        end = rest.indexOf(QLatin1Char('>'));
    return end < 0 ? rest : rest.left(end);
}

QString nameOf(const QString& openingLine)
{
    return tagWord(openingLine).mid(1);
}

QString noClosingLine(const QString& name)
{
    return QStringLiteral("the section %1 has no closing line").arg(name);
}

Extent extentOf(const QStringList& lines, qsizetype openIndex)
{
    const QString name = nameOf(lines.at(openIndex));
    const int own = findTag(QLatin1Char('<') + name);
    const QString closing = QLatin1Char('<') + name + QStringLiteral("/>");
    const QString opening = QLatin1Char('<') + name + QLatin1Char('>');
    qsizetype i = openIndex + 1;
    for (; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (line.contains(closing))
            return {i, true};
        // Calendar entry lines share the tag word of the calendar's opening line.
        const int iTag = findTag(tagWord(line));
        if (iTag >= 0 && (iTag != own || line.trimmed().startsWith(opening)))
            break;
    }
    return {i, false};
}

QList<Placed> sectionsOf(const QStringList& lines)
{
    QList<Placed> placed;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int iTag = findTag(tagWord(lines.at(i)));
        if (iTag < 0)
            continue;
        const Extent extent = extentOf(lines, i);
        placed.append(Placed{i, iTag, extent});
        i = extent.closed ? extent.end : extent.end - 1;
    }
    return placed;
}

QList<Twice> openedTwice(const QStringList& lines)
{
    std::array<qsizetype, Count> firstOpening;
    firstOpening.fill(-1);
    QList<Twice> twice;
    for (const Placed& section : sectionsOf(lines)) {
        if (!table()[section.iTag].counted)
            continue;
        qsizetype& first = firstOpening[section.iTag];
        if (first == -1) {
            first = section.opening;
        } else if (first >= 0) {
            twice.append(Twice{section.iTag, first, section.opening});
            first = -2; // named once, however often it opens again
        }
    }
    return twice;
}

QString openedTwiceText(const Twice& twice)
{
    return QStringLiteral("the section %1 opens twice (lines %2 and %3)")
        .arg(QLatin1String(table()[twice.iTag].tagWord + 1))
        .arg(twice.first + 1)
        .arg(twice.second + 1);
}

QList<qsizetype> unclosedSections(const QStringList& lines)
{
    QList<qsizetype> unclosed;
    for (const Placed& section : sectionsOf(lines)) {
        if (!section.extent.closed)
            unclosed.append(section.opening);
    }
    return unclosed;
}

} // namespace sections
