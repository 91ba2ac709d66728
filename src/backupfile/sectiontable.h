#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// The section names a restore knows, numbered by iTag. The numbering indexes the counters of
// the duplicate check, and the table order is the order in which a tag word is compared.
namespace sections {

enum Tag : qint16 {
    Contacts = 0,
    Calendar = 1,
    SettingsCalendar = 2,
    SmsMessages = 3,
    SettingsSms = 4,
    SettingsProfiles = 5,
    SettingsDisplay = 6,
    SettingsLanguage = 7,
    SettingsSound = 8,
    SettingsTime = 9,
    SettingsPhonebook = 10,
    SettingsCallhandling = 11,
    SettingsLocks = 12,
    SettingsWap = 13,
    Bookmarks = 14,
    SettingsDataAccount = 15,
    SettingsCustomMenu = 16,
    SettingsEmail = 17,
};

constexpr int Count = 18;

struct Section
{
    qint16 iTag;
    const char* tagWord; // the opening tag word, "<" and the name
    bool hasReader;      // a category of this program reads it
    bool counted;        // a second opening makes the file unusable
};

const std::array<Section, Count>& table();

// The iTag of a tag word (exact, case included), or -1 when it names no section.
int findTag(const QString& tagWord);

// The word a line opens with: from its first "<" up to the first space, else up to the first
// ">", else to the end of the line. A line without "<" is its own tag word.
QString tagWord(const QString& line);

// Where the section that opens at openIndex ends. A section without its closing line (a file
// cut short, a failed get) ends where the next section opens or where the lines end.
struct Extent
{
    qsizetype end = 0; // the closing line, or the first line after the section
    bool closed = false;
};
Extent extentOf(const QStringList& lines, qsizetype openIndex);
// The sections of a file in file order: the line each opens at, its tag and its extent.
struct Placed
{
    qsizetype opening = 0;
    int iTag = -1;
    Extent extent;
};
QList<Placed> sectionsOf(const QStringList& lines);
// A section that opens a second time: the file is refused as a whole, since nothing tells
// which of the two is the backup.
struct Twice
{
    int iTag = -1;
    qsizetype first = 0;  // the line index of its first opening
    qsizetype second = 0; // and of its second
};
// Each counted section that opens more than once, at its second opening, in file order.
QList<Twice> openedTwice(const QStringList& lines);
// What the refusal says: "the section Contacts opens twice (lines 1 and 40)".
QString openedTwiceText(const Twice& twice);
// The opening lines of the sections that have no closing line, in file order.
QList<qsizetype> unclosedSections(const QStringList& lines);
// The section's name as the file writes it ("Contacts") and what is said of it when it has no
// closing line.
QString nameOf(const QString& openingLine);
QString noClosingLine(const QString& name);

} // namespace sections
