#include "export/backupcontents.h"

#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "backupfile/sectiontable.h"
#include "categories/obexmodule.h"
#include "phone/phonelink.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace backupexport {

QString Group::value(const QString& key) const
{
    const Element* element = find(key);
    return element ? element->value : QString();
}

const Element* Group::find(const QString& key) const
{
    for (const Element& element : elements) {
        if (element.key == key)
            return &element;
    }
    return nullptr;
}

bool Section::holdsEntries() const
{
    return iTag == sections::Contacts || iTag == sections::Calendar;
}

const Section* BackupContents::find(qint16 iTag) const
{
    for (const Section& section : sections) {
        if (section.iTag == iTag)
            return &section;
    }
    return nullptr;
}

namespace {

int sectionTag(const QString& line)
{
    return sections::findTag(sections::tagWord(line));
}

// Reads the body of the section that opens at index; returns the index of its closing line,
// or of the last line it consumed when the closing line is missing.
qsizetype readSection(const QStringList& lines, qsizetype index, Section& section)
{
    static const QRegularExpression groupOpen(QStringLiteral("^\\s*<(\\w+)>\\s*$"));
    static const QRegularExpression groupClose(QStringLiteral("^\\s*<(\\w+)/>\\s*$"));
    const sections::Extent extent = sections::extentOf(lines, index);
    bool inGroup = false;
    for (qsizetype i = index + 1; i < extent.end; ++i) {
        const QString& line = lines.at(i);
        const int number = static_cast<int>(i) + 1;
        QString entry;
        if (section.holdsEntries() && ObexModule::entryOfLine(line, false, entry)) {
            section.entries.append({number, entry});
            continue;
        }
        if (line.size() <= 2)
            continue;
        if (section.holdsEntries()) {
            section.problems.append({number, QStringLiteral("not an entry line")});
            continue;
        }
        if (const auto open = groupOpen.match(line); open.hasMatch()) {
            section.groups.append({number, open.captured(1), {}});
            inGroup = true;
            continue;
        }
        if (groupClose.match(line).hasMatch()) {
            inGroup = false;
            continue;
        }
        const elements::ElementParts parts = elements::splitElementLine(line);
        if (!parts.hasKey || !parts.hasValueEnd) {
            section.problems.append({number, QStringLiteral("not an element line")});
            continue;
        }
        // Outside group lines a Number line starts the next record, as My Shortcuts have it.
        const bool startsRecord = !inGroup && (section.groups.isEmpty() ||
                                               parts.key == QLatin1String("Number"));
        if (startsRecord) {
            section.groups.append({number, QString(), {}});
            inGroup = false;
        }
        section.groups.last().elements.append({number, parts.key, parts.value});
    }
    if (extent.closed)
        return extent.end;
    section.problems.append({section.line, sections::noClosingLine(section.name)});
    return extent.end - 1;
}

} // namespace

BackupContents parseBackupLines(const QStringList& lines)
{
    BackupContents contents;
    qsizetype strayStart = -1;
    int strayCount = 0;
    auto endStray = [&]() {
        if (strayStart >= 0)
            contents.problems.append(
                {static_cast<int>(strayStart) + 1,
                 strayCount == 1 ? QStringLiteral("a line outside any section")
                                 : QStringLiteral("%1 lines outside any section").arg(strayCount)});
        strayStart = -1;
        strayCount = 0;
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const int iTag = sectionTag(line);
        if (iTag < 0) {
            if (!line.trimmed().isEmpty()) {
                if (strayStart < 0)
                    strayStart = i;
                ++strayCount;
            }
            continue;
        }
        endStray();
        Section section;
        section.line = static_cast<int>(i) + 1;
        section.iTag = static_cast<qint16>(iTag);
        section.name = QString::fromLatin1(sections::table()[iTag].tagWord).mid(1);
        i = readSection(lines, i, section);
        contents.sections.append(section);
    }
    endStray();
    for (const sections::Twice& twice : sections::openedTwice(lines))
        contents.openedTwice.append(sections::openedTwiceText(twice));
    if (contents.sections.isEmpty())
        contents.problems.prepend({0, QStringLiteral("not a backup file: no section opens in it")});
    return contents;
}

bool readBackup(const QString& path, StatusLog& log, MonotonicClock& clock,
                BackupContents& contents, QString& error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        error = QStringLiteral("no such file: %1").arg(path);
        return false;
    }
    if (!info.isFile()) {
        error = QStringLiteral("not a file: %1").arg(path);
        return false;
    }
    // The backup file's own reader: its code page and line ends.
    PhoneLink link;
    BackupFile file(log, clock, link);
    file.sBackUpFIleName = path;
    if (!file.bReadFileToArray()) {
        error = QStringLiteral("the file cannot be read: %1").arg(path);
        return false;
    }
    contents = parseBackupLines(file.sFileLines);
    contents.modified = info.lastModified().toUTC();
    return true;
}

} // namespace backupexport
